// Scroll panels: the visible ratio from the content, the content offset
// from the position, and the bar moving the content.
#include "controls/spanel.h"

#include "scroll_fixture.h"

namespace scrolltest {
namespace {

using Vcl::ScrollPanel;

class Panels : public ScrollFixture {
protected:
    // 100 px high at y 10 over content of the given heights.
    ScrollPanel* Panel(const std::vector<int>& heights) {
        std::string xml = "<spanel layout=\"vertical\" image-scroll=\"track\">";
        int k = 0;
        for (int h : heights) {
            xml +=
                "<panel id=\"p" + std::to_string(k++) + "\" height=\"" + std::to_string(h) + "\"/>";
        }
        return Build<ScrollPanel>(xml + "</spanel>", Rect{0, 10, 100, 100});
    }
    std::vector<int> Tops(ScrollPanel& p) {
        std::vector<int> out;
        for (const auto& c : p.node->children)
            out.push_back(c->control->rect.y);
        return out;
    }
};

TEST_F(Panels, RatioAndOffsetFollowTheContentAndThePosition) {
    struct Case {
        std::vector<int> heights;
        double fraction;
        double ratio;
        int scrollY;
        int trackerLength;
    } cases[] = {
        {{60, 60, 80}, 0.0, 0.5, 0, 50},    {{60, 60, 80}, 0.5, 0.5, -50, 50},
        {{60, 60, 80}, 1.0, 0.5, -100, 50}, {{60, 60, 80}, 0.333, 0.5, -33, 50},  // truncated
        {{40}, 1.0, 1.0, 0, 100},  // fits: nothing scrolls
        {{100}, 1.0, 1.0, 0, 100},          {{}, 1.0, 1.0, 0, 100},
    };
    for (const auto& c : cases) {
        ScrollPanel* p = Panel(c.heights);
        ASSERT_NE(p, nullptr);
        p->setPercent(c.fraction, true);
        EXPECT_DOUBLE_EQ(p->visibleRatio, c.ratio) << c.fraction;
        EXPECT_EQ(p->scrollY, c.scrollY) << c.fraction;
        EXPECT_EQ(p->trackerLength(), c.trackerLength) << c.fraction;
        if (!p->node->children.empty()) {
            EXPECT_EQ(p->node->children[0]->control->rect.y, 10 + c.scrollY)
                << "the content is laid out at the offset";
        }
    }
}

TEST_F(Panels, DraggingTheBarScrollsTheContent) {
    ScrollPanel* p = Panel({60, 60, 80});
    Send(*p, InputKind::Press, 95, 20);  // on the tracker (x 92..99, y 10..59)
    Send(*p, InputKind::Move, 95, 45);
    EXPECT_EQ(p->scrollY, -50) << "25 of 50 px travel: half of the 100 px that do not fit";
    EXPECT_EQ(Tops(*p), (std::vector<int>{-40, 20, 80}));
    ASSERT_EQ(owner.codes(), std::vector<int>{XUI_EVENT_VALUE});
    EXPECT_GT(owner.nativeMoves, 0) << "native children in the content follow it";
    Send(*p, InputKind::Release, 95, 45);
    Send(*p, InputKind::Wheel, 50, 50, 1);
    EXPECT_EQ(p->scrollY, 0) << "one notch up is one tracker length";
}

TEST_F(Panels, ShrinkingContentPullsTheOffsetBack) {
    ScrollPanel* p = Panel({60, 60, 80});
    p->setPercent(1.0, true);
    ASSERT_EQ(p->scrollY, -100);
    names.at("p2")->visible = false;
    Vcl::LayoutNode(*p->node);
    EXPECT_EQ(p->scrollY, -20) << "120 px of content in 100 px, still at the end";
    EXPECT_EQ(Tops(*p)[0], -10);
    names.at("p0")->visible = false;
    names.at("p1")->visible = false;
    Vcl::LayoutNode(*p->node);
    EXPECT_EQ(p->scrollY, 0) << "nothing left to scroll";
    EXPECT_DOUBLE_EQ(p->visibleRatio, 1.0);
}

}  // namespace
}  // namespace scrolltest
