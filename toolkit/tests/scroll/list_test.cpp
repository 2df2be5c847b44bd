// Lists: rows copied from the template, ids, parity, sorting with any
// predicate, removal from inside a row's own event, the rows in view for
// fixed and per-row heights, horizontal lists, and rows under the pointer.
#include "controls/list.h"

#include <climits>

#include "scroll_fixture.h"
#include "window/window.h"
#include "window/window_manager.h"

namespace scrolltest {
namespace {

using Vcl::List;

constexpr const char* kRow =
    "<panel id=\"row\" color=\"odd\"><button id=\"b\" width=\"30\"/><label id=\"l\"/>"
    "<edit id=\"e\"/></panel>";

class Lists : public ScrollFixture {
protected:
    List* Make(const std::string& attrs = "", const std::string& height = "20",
               const std::string& row = kRow, Rect frame = Rect{0, 0, 100, 100}) {
        return Build<List>("<list color-odd=\"odd\" color-even=\"even\" " + attrs +
                               "><item height=\"" + height + "\">" + row + "</item></list>",
                           frame);
    }
    static std::vector<int> Ids(List& list, int fromId = 1, int toId = 64) {
        std::vector<int> out;
        for (const auto& child : list.node->children)
            for (int id = fromId; id <= toId; ++id)
                if (list.itemQuery(id, "row") == child->control.get())
                    out.push_back(id);
        return out;
    }
    static std::vector<int> Parities(List& list) {
        std::vector<int> out;
        for (const auto& child : list.node->children)
            out.push_back(child->parity);
        return out;
    }
    static Rect RowRect(List& list, int id) { return list.itemQuery(id, "row")->rect; }
    static void Fill(List& list, int rows) {
        for (int i = 0; i < rows; ++i)
            list.appendItem(i);
    }
};

TEST_F(Lists, DescriptionsWithoutACopyableRowDoNotLoad) {
    for (const char* bad :
         {"<list/>", "<list><item/></list>", "<list><item>text</item></list>",
          "<list><item><edit/></item></list>", "<list><item><scroll/></item></list>"}) {
        EXPECT_EQ(Build<List>(bad, Rect{0, 0, 10, 10}), nullptr) << bad;
    }
    List* zero = Make("", "0");
    ASSERT_NE(zero, nullptr);
    EXPECT_EQ(zero->itemHeight, 12) << "a zero row height is the default";
}

TEST_F(Lists, IdsAreNeverReusedAndDataStaysWithItsRow) {
    List* list = Make();
    EXPECT_EQ(list->appendItem(10), 1);
    EXPECT_EQ(list->appendItem(20), 2);
    EXPECT_EQ(list->appendItem(30), 3);
    list->removeItem(3);
    list->removeItem(99);  // unknown ids do nothing
    EXPECT_EQ(list->appendItem(40), 4);
    EXPECT_EQ(list->itemCount(), 3);
    EXPECT_EQ(list->itemData(3), std::nullopt);
    EXPECT_EQ(list->itemData(4), 40);
    EXPECT_EQ(list->itemData(1), 10);
    list->resetItems();
    EXPECT_EQ(list->itemCount(), 0);
    EXPECT_TRUE(list->node->children.empty());
    EXPECT_EQ(list->contentLength(), 0);
    EXPECT_EQ(list->appendItem(50), 5) << "a reset keeps the counter";
}

TEST_F(Lists, RowsAreCopiesWithTheirOwnNamesAndItemIndex) {
    List* list = Make();
    Fill(*list, 2);
    Layer* b1 = list->itemQuery(1, "b");
    Layer* b2 = list->itemQuery(2, "b");
    ASSERT_NE(b1, nullptr);
    ASSERT_NE(b2, nullptr);
    EXPECT_NE(b1, b2);
    EXPECT_EQ(b1->itemIndex, 1);
    EXPECT_EQ(b2->itemIndex, 2);
    EXPECT_EQ(list->itemQuery(2, "l")->itemIndex, 2);
    EXPECT_EQ(list->itemQuery(1, "e"), nullptr) << "an edit cannot be part of a row";
    EXPECT_EQ(list->itemQuery(3, "b"), nullptr);
    EXPECT_EQ(names.count("b"), 0u) << "row controls stay out of the window's names";
    EXPECT_EQ(list->itemQuery(1, "row")->parent, list);
    EXPECT_EQ(b1->rect.width, 30) << "each copy has the template's attributes";
    EXPECT_TRUE(b1->mouseAware);
    EXPECT_EQ(list->node->children[0]->rowColorOdd->argb, 0xFF332211u) << "\"#112233\"";
    EXPECT_EQ(list->node->children[0]->rowColorEven->argb, 0xFF665544u);
}

TEST_F(Lists, ParityFollowsRowOrderAfterRemoval) {
    List* list = Make();
    Fill(*list, 4);
    EXPECT_EQ(Parities(*list), (std::vector<int>{1, 0, 1, 0}));
    list->removeItem(2);
    EXPECT_EQ(Ids(*list), (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(Parities(*list), (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(RowRect(*list, 3).y, 20) << "the rows close up";
}

TEST_F(Lists, SortOrdersByDataAndSurvivesBrokenPredicates) {
    List* list = Make();
    for (int d : {30, 10, 20, 40, 10})
        list->appendItem(d);
    list->sortItems([](int a, int b) { return a < b; });
    EXPECT_EQ(Ids(*list), (std::vector<int>{2, 5, 3, 1, 4})) << "stable for equal data";
    EXPECT_EQ(Parities(*list), (std::vector<int>{1, 0, 1, 0, 1}));
    EXPECT_EQ(RowRect(*list, 2).y, 0);
    EXPECT_EQ(RowRect(*list, 4).y, 80);

    unsigned seed = 7;
    const std::function<bool(int, int)> broken[] = {
        [](int, int) { return true; },
        [](int, int) { return false; },
        [](int a, int b) { return a <= b; },
        [&seed](int, int) { return ((seed = seed * 1103515245u + 12345u) >> 16) & 1u; },
    };
    for (const auto& less : broken) {
        list->sortItems(less);
        std::vector<int> ids = Ids(*list);
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(ids, (std::vector<int>{1, 2, 3, 4, 5})) << "still each row once";
        EXPECT_EQ(list->itemCount(), 5);
    }

    // A predicate that removes rows: the order it was making no longer fits.
    list->sortItems([&](int a, int b) {
        list->removeItem(1);
        return a > b;
    });
    EXPECT_EQ(list->itemCount(), 4);
    EXPECT_EQ(Ids(*list).size(), 4u);
}

TEST_F(Lists, RemovingARowFromItsOwnClickIsSafeAndHidesItsTip) {
    List* list = Make();
    Fill(*list, 3);
    owner.onDeliver = [&](Layer& c, int code) {
        if (code == XUI_EVENT_CLICK) {
            list->removeItem(c.itemIndex);
        }
    };
    Layer* b = list->itemQuery(2, "b");
    ASSERT_NE(b, nullptr);
    const Rect r = b->rect;
    Send(*b, InputKind::Press, r.x + 1, r.y + 1);
    Send(*b, InputKind::Release, r.x + 1, r.y + 1);  // ASan reports any use after the free
    EXPECT_EQ(owner.codes(), std::vector<int>{XUI_EVENT_CLICK});
    EXPECT_TRUE(owner.deliveredCodes.empty()) << "nothing more for the event of a freed control";
    EXPECT_EQ(Vcl::DeferredCount(), 0u);
    EXPECT_EQ(Ids(*list), (std::vector<int>{1, 3}));
    EXPECT_EQ(owner.hiddenTips.size(), 3u) << "the row's panel, button and label";
}

TEST_F(Lists, FixedHeightRowsInViewFollowTheOffset) {
    struct Case {
        double fraction;
        int offset, first, lastPlaced, lastShown;
    } cases[] = {
        {0.0, 0, 0, 7, 4},       // placed to 100 / 20 + 0 + 2, shown while they reach in
        {0.1, 30, 1, 8, 6},      // offset 30 of the 300 px that do not fit
        {1.0, 300, 15, 19, 19},  // kept within the rows
        {0.51, 153, 7, 14, 12},
    };
    for (const auto& c : cases) {
        List* list = Make();
        Fill(*list, 20);
        EXPECT_DOUBLE_EQ(list->visibleRatio, 0.25);
        list->setPercent(c.fraction, true);
        EXPECT_EQ(list->scrollOffset(), c.offset) << c.fraction;
        EXPECT_EQ(list->node->first, c.first) << c.fraction;
        EXPECT_EQ(list->node->last, c.lastShown) << c.fraction;
        for (int i = c.first; i <= c.lastPlaced; ++i) {
            EXPECT_EQ(RowRect(*list, i + 1), (Rect{0, 20 * i - c.offset, 100, 20}))
                << c.fraction << " row " << i;
        }
        if (c.lastPlaced + 1 < 20) {
            EXPECT_EQ(RowRect(*list, c.lastPlaced + 2).width, 0) << "beyond: never placed";
        }
    }
}

TEST_F(Lists, PerRowHeightsArePlacedOneAfterAnother) {
    List* list = Make("", "-10");
    Fill(*list, 5);
    EXPECT_EQ(list->contentLength(), 50) << "rows start at the magnitude";
    const int heights[] = {30, 50, 10, 40, 60};
    for (int i = 0; i < 5; ++i)
        list->updateItemSize(i + 1, heights[i]);
    EXPECT_EQ(list->contentLength(), 190);
    EXPECT_EQ(list->node->first, 0);
    EXPECT_EQ(list->node->last, 3) << "row 3 reaches the end of the view";
    EXPECT_EQ(RowRect(*list, 4), (Rect{0, 90, 100, 40}));

    list->setPercent(0.5, true);  // offset 45 of 90
    EXPECT_EQ(list->node->first, 1) << "the row that holds the offset";
    EXPECT_EQ(list->node->last, 4);
    EXPECT_EQ(RowRect(*list, 2), (Rect{0, -15, 100, 50}));
    EXPECT_EQ(RowRect(*list, 5), (Rect{0, 85, 100, 60}));

    list->updateItemSize(5, -7);
    EXPECT_EQ(list->contentLength(), 130) << "a negative size is none";

    List* fixed = Make();
    fixed->appendItem(0);
    fixed->updateItemSize(1, 90);
    EXPECT_EQ(fixed->contentLength(), 20) << "fixed rows keep the list's height";
}

TEST_F(Lists, ContentBeyondTheIntRangeSaturates) {
    List* list = Make("", "1000000", "<layer id=\"row\"/>");
    Fill(*list, 2200);  // 2.2e9 px of rows
    EXPECT_EQ(list->contentLength(), 2200000000LL);
    list->setPercent(1.0, true);  // UBSan fails this test on any overflow
    EXPECT_EQ(list->scrollOffset(), INT_MAX);
    EXPECT_EQ(list->node->first, INT_MAX / 1000000);
    EXPECT_EQ(RowRect(*list, INT_MAX / 1000000 + 1).y, -(INT_MAX % 1000000));
}

TEST_F(Lists, HorizontalListsUseTheRowHeightAsWidthAndStopAtTheBar) {
    List* h = Make("scrolltype=\"horizontal\" image-scroll=\"htrack\"", "25");
    Fill(*h, 10);
    EXPECT_EQ(RowRect(*h, 1), (Rect{0, 0, 25, 94})) << "the bar's 6 px are left free";
    EXPECT_EQ(RowRect(*h, 3), (Rect{50, 0, 25, 94}));
    EXPECT_EQ(h->node->last, 3);
    EXPECT_DOUBLE_EQ(h->visibleRatio, 0.4);
    h->setPercent(1.0, true);
    EXPECT_EQ(RowRect(*h, 10).x, 75);
    EXPECT_EQ(h->tracker, (Rect{60, 94, 40, 6}));

    List* v =
        Make("image-scroll=\"track\" margin=\"2\" ml=\"5\"", "20", kRow, Rect{10, 10, 100, 100});
    v->appendItem(0);
    EXPECT_EQ(RowRect(*v, 1), (Rect{15, 10, 85, 20})) << "from the margin to the bar";
}

TEST_F(Lists, MoveToItemScrollsToTheRowsPlace) {
    List* list = Make("", "20", kRow, Rect{0, 0, 100, 40});
    Fill(*list, 5);
    list->moveToItem(3);
    EXPECT_DOUBLE_EQ(list->percent(), 0.5);
    EXPECT_EQ(list->scrollOffset(), 30);
    list->moveToItem(5);
    EXPECT_EQ(list->scrollOffset(), 60);
    list->moveToItem(42);
    EXPECT_EQ(list->scrollOffset(), 60) << "unknown ids do nothing";
    EXPECT_TRUE(owner.events.empty()) << "the host's own move is not reported";
    list->resetItems();
    list->appendItem(0);
    list->moveToItem(6);
    EXPECT_EQ(list->percent(), 0.0) << "one row: the start, not a division by zero";
}

TEST_F(Lists, RowControlsInAWindowAreFoundUnderThePointer) {
    ASSERT_EQ(Vcl::xWindowManager::Instance().buildAll(
                  "<windows><window id=\"w\"><list id=\"list\"><item height=\"20\"><panel "
                  "id=\"row\"><button id=\"b\" width=\"30\"/></panel></item></list></window>"
                  "</windows>",
                  Res::xResourceManager::Instance()),
              1);
    Vcl::Window* w = Vcl::xWindowManager::Instance().find("w");
    auto* list = dynamic_cast<List*>(w->query("list"));
    ASSERT_NE(list, nullptr);
    w->clientResized(100, 100);
    Fill(*list, 10);
    EXPECT_EQ(w->hitTest(10, 30), list->itemQuery(2, "b"));
    EXPECT_EQ(w->hitTest(60, 30), list) << "the row's panel takes no pointer";
    EXPECT_EQ(w->query("b"), nullptr);
    list->setPercent(1.0, true);  // offset 100
    EXPECT_EQ(w->hitTest(10, 30), list->itemQuery(7, "b"));
    EXPECT_EQ(w->hitTest(10, 130), nullptr) << "outside the window's root";
}

}  // namespace
}  // namespace scrolltest

namespace scrolltest {
namespace {

TEST_F(Lists, AWheelOverARowControlScrollsTheList) {
    List* list = Make();
    Fill(*list, 20);
    Vcl::Layer* button = list->itemQuery(1, "b");
    ASSERT_NE(button, nullptr);
    Vcl::InputEvent wheel{Vcl::InputKind::Wheel, 5, 5, -1};
    button->onInput(wheel);
    const int down = list->scrollOffset();
    EXPECT_GT(down, 0) << "one notch towards the user scrolls down";
    wheel.steps = 1;
    list->itemQuery(2, "b")->onInput(wheel);
    EXPECT_LT(list->scrollOffset(), down);
}

}  // namespace
}  // namespace scrolltest
