// The interaction rules of the clickable kinds, driven from state tables
// with a window stand-in: clicks on release or on press, double and right
// clicks, hover with its listener and tooltip, disabling, checks that flip
// before the host hears the click, and grabers dragging their window.
#include "controls/check.h"
#include "controls/control.h"
#include "controls/graber.h"
#include "controls_support.h"
#include "zudoz.h"

namespace controls_test {
namespace {

using Vcl::InputKind;
using Vcl::Rect;

constexpr Rect kPlace{10, 10, 50, 20};
constexpr int kIn = 20, kOut = 100;  // a point inside and one outside kPlace

Vcl::InputEvent At(InputKind kind, bool inside) {
    Vcl::InputEvent e;
    e.kind = kind;
    e.x = e.y = inside ? kIn : kOut;
    return e;
}

struct Step {
    InputKind kind;
    bool inside;
    std::vector<int> codes;  // what the host hears from this step
    bool hovered, pressed;
};

struct Scenario {
    const char* name;
    const char* xml;
    bool enabled;
    std::vector<Step> steps;
};

class Interaction : public ControlsTest {};

TEST_F(Interaction, ControlStateTable) {
    const int click = XUI_EVENT_CLICK, dbl = XUI_EVENT_DBLCLICK, rclick = XUI_EVENT_RCLICK;
    const Scenario scenarios[] = {
        {"click on release inside",
         "<control id=\"c\"/>",
         true,
         {{InputKind::Enter, true, {}, true, false},
          {InputKind::Press, true, {}, true, true},
          {InputKind::Move, false, {}, true, true},
          {InputKind::Release, true, {click}, true, false}}},
        {"release outside sends nothing",
         "<control id=\"c\"/>",
         true,
         {{InputKind::Press, true, {}, false, true},
          {InputKind::Release, false, {}, false, false}}},
        {"speedclick clicks on press, nothing more on release",
         "<control id=\"c\" speedclick=\"true\"/>",
         true,
         {{InputKind::Press, true, {click}, false, true},
          {InputKind::Release, false, {}, false, false},
          {InputKind::Press, true, {click}, false, true},
          {InputKind::Release, true, {}, false, false}}},
        {"speedclick is exactly \"true\"",
         "<control id=\"c\" speedclick=\"yes\"/>",
         true,
         {{InputKind::Press, true, {}, false, true},
          {InputKind::Release, true, {click}, false, false}}},
        {"double and right clicks only inside",
         "<control id=\"c\"/>",
         true,
         {{InputKind::DoubleClick, true, {dbl}, false, false},
          {InputKind::DoubleClick, false, {}, false, false},
          {InputKind::RightPress, true, {}, false, false},
          {InputKind::RightRelease, true, {rclick}, false, false},
          {InputKind::RightRelease, false, {}, false, false}}},
        {"leave ends hover",
         "<control id=\"c\"/>",
         true,
         {{InputKind::Enter, true, {}, true, false}, {InputKind::Leave, false, {}, false, false}}},
        {"a disabled control ignores everything",
         "<control id=\"c\" speedclick=\"true\"/>",
         false,
         {{InputKind::Enter, true, {}, false, false},
          {InputKind::Press, true, {}, false, false},
          {InputKind::Release, true, {}, false, false},
          {InputKind::DoubleClick, true, {}, false, false},
          {InputKind::RightRelease, true, {}, false, false}}},
    };
    for (const auto& s : scenarios) {
        auto& c = Make<Vcl::Control>(s.xml, kPlace);
        c.enabled = s.enabled;
        for (size_t i = 0; i < s.steps.size(); ++i) {
            const Step& step = s.steps[i];
            owner.clear();
            c.onInput(At(step.kind, step.inside));
            std::vector<int> heard;
            for (const auto& e : owner.events) {
                heard.push_back(e.code);
            }
            EXPECT_EQ(heard, step.codes) << s.name << ", step " << i;
            EXPECT_EQ(c.hovered, step.hovered) << s.name << ", step " << i;
            EXPECT_EQ(c.pressed, step.pressed) << s.name << ", step " << i;
            const bool changesState =
                s.enabled && (step.kind == InputKind::Enter || step.kind == InputKind::Leave ||
                              step.kind == InputKind::Press || step.kind == InputKind::Release);
            EXPECT_EQ(!owner.repaints.empty(), changesState) << s.name << ", step " << i;
            for (const Rect& r : owner.repaints) {
                EXPECT_EQ(r, kPlace) << "only the control's rectangle is repainted";
            }
        }
    }
}

struct HoverLog : HoverListener {
    std::vector<std::string> calls;
    void entered(const char* name, int item) override {
        calls.push_back(std::string("in ") + name + " " + std::to_string(item));
    }
    void left(const char* name, int item) override {
        calls.push_back(std::string("out ") + name + " " + std::to_string(item));
    }
};

struct ThrowingListener : HoverListener {
    void entered(const char*, int) override { throw std::runtime_error("host bug"); }
    void left(const char*, int) override {}
};

TEST_F(Interaction, HoverListenerAndTooltipFollowThePointer) {
    auto& c = Make<Vcl::Control>("<control id=\"c\" tip=\"s.tip\"/>", kPlace);
    EXPECT_EQ(c.tipText, u"A tip");
    HoverLog log;
    c.hoverListener = &log;
    c.itemIndex = 3;
    c.onInput(At(InputKind::Enter, true));
    c.onInput(At(InputKind::Leave, false));
    EXPECT_EQ(log.calls, (std::vector<std::string>{"in c 3", "out c 3"}));
    EXPECT_EQ(owner.tips, (std::vector<std::string>{"show c", "hide c"}));

    // A disabled control still shows its tip, but hears nothing else.
    owner.clear(), log.calls.clear();
    c.setEnable(0);
    c.onInput(At(InputKind::Enter, true));
    EXPECT_EQ(owner.tips, (std::vector<std::string>{"show c"}));
    EXPECT_TRUE(log.calls.empty());
    EXPECT_FALSE(c.hovered);

    // Without a tip text nothing is shown; leaving still clears the owner.
    auto& plain = Make<Vcl::Control>("<control id=\"p\" tip=\"s.undefined\"/>", kPlace);
    owner.clear();
    plain.onInput(At(InputKind::Enter, true));
    plain.onInput(At(InputKind::Leave, false));
    EXPECT_EQ(owner.tips, (std::vector<std::string>{"hide p"}));

    // A listener that throws does not unwind out of the control.
    ThrowingListener bad;
    plain.hoverListener = &bad;
    EXPECT_NO_THROW(plain.onInput(At(InputKind::Enter, true)));
    EXPECT_TRUE(plain.hovered);
}

TEST_F(Interaction, DisablingEndsHoverAndPressAndRepaintsOnlyOnAChange) {
    auto& c = Make<Vcl::Control>("<control id=\"c\"/>", kPlace);
    c.onInput(At(InputKind::Enter, true));
    c.onInput(At(InputKind::Press, true));
    owner.clear();
    c.setEnable(0);
    EXPECT_FALSE(c.hovered);
    EXPECT_FALSE(c.pressed) << "the release will be ignored, so the press look must go";
    EXPECT_EQ(owner.repaints.size(), 1u);
    c.setEnable(0);
    EXPECT_EQ(owner.repaints.size(), 1u) << "no change, no repaint";
    c.setEnable(1);
    EXPECT_EQ(owner.repaints.size(), 2u);
    c.onInput(At(InputKind::Release, true));
    EXPECT_TRUE(owner.events.empty()) << "the press before disabling does not click";
}

TEST_F(Interaction, CheckFlipsBeforeTheHostHearsTheClick) {
    auto& c = Make<Vcl::Check>("<check id=\"k\"/>", kPlace);
    c.onInput(At(InputKind::Press, true));
    EXPECT_FALSE(c.checked) << "a press does not flip";
    c.onInput(At(InputKind::Release, true));
    ASSERT_EQ(owner.events.size(), 1u);
    EXPECT_EQ(owner.events[0].code, XUI_EVENT_CLICK);
    EXPECT_TRUE(owner.events[0].checkedThen) << "the handler sees the new state";
    EXPECT_TRUE(c.isChecked());

    owner.clear();
    c.onInput(At(InputKind::Press, true));
    c.onInput(At(InputKind::Release, false));
    EXPECT_TRUE(c.checked) << "a release outside neither flips";
    EXPECT_TRUE(owner.events.empty()) << "nor clicks";

    c.onInput(At(InputKind::Press, true));
    c.onInput(At(InputKind::Release, true));
    ASSERT_EQ(owner.events.size(), 1u);
    EXPECT_FALSE(owner.events[0].checkedThen);

    owner.clear();
    c.setEnable(0);
    c.onInput(At(InputKind::Press, true));
    c.onInput(At(InputKind::Release, true));
    EXPECT_FALSE(c.checked) << "a disabled check does not flip";
    EXPECT_TRUE(owner.events.empty()) << "and sends no click";
}

TEST_F(Interaction, SetCheckedSendsNoEventAndRepaintsOnlyOnAChange) {
    auto& c = Make<Vcl::Check>("<check id=\"k\"/>", kPlace);
    c.setChecked(false);
    EXPECT_TRUE(owner.repaints.empty());
    c.setChecked(true);
    EXPECT_TRUE(c.isChecked());
    EXPECT_EQ(owner.repaints.size(), 1u);
    EXPECT_TRUE(owner.events.empty());
    auto& plain = Make<Vcl::Control>("<control/>", kPlace);
    plain.setChecked(true);
    EXPECT_FALSE(plain.isChecked()) << "only checks have the state";
}

TEST_F(Interaction, TheHostMayDestroyTheControlInsideItsClick) {
    for (const char* xml : {"<layer><check id=\"k\"/></layer>",
                            "<layer><control id=\"k\" speedclick=\"true\"/></layer>"}) {
        Vcl::TreeNode& root = Build(xml);
        Vcl::Layer& control = *root.children[0]->control;
        control.rect = kPlace;
        owner.onEvent = [&](Vcl::Layer&, int) { Vcl::RemoveChild(root, 0); };
        control.onInput(At(InputKind::Press, true));
        if (!root.children.empty()) {
            control.onInput(At(InputKind::Release, true));
        }
        owner.onEvent = nullptr;
        EXPECT_TRUE(root.children.empty()) << xml;
        EXPECT_EQ(Vcl::DeferredCount(), 0u) << "freed once its event returned";
        ASSERT_EQ(owner.events.size(), 1u);
        owner.clear();
    }
}

TEST_F(Interaction, ImageSlotsByKind) {
    auto& panel = Make<Vcl::Panel>("<panel image=\"i.red\"/>", kPlace);
    EXPECT_NE(panel.imageSlot(1), nullptr);
    EXPECT_EQ(panel.imageSlot(2), nullptr);
    auto& control = Make<Vcl::Control>(
        "<control image=\"i.red\" image-hover=\"i.green,0\" image-press=\"i.blue\" "
        "image-disable=\"i.grey\"/>",
        kPlace);
    for (int slot = 1; slot <= 4; ++slot) {
        EXPECT_NE(control.imageSlot(slot), nullptr) << slot;
    }
    EXPECT_EQ(control.imageSlot(2)->id, "i.green");
    EXPECT_EQ(control.imageSlot(5), nullptr);
    EXPECT_EQ(control.imageSlot(0), nullptr);
    auto& check = Make<Vcl::Check>(
        "<check image=\"i.red\" image-checked=\"i.green\" image-checked-hover=\"i.blue\" "
        "image-checked-disable=\"i.grey\"/>",
        kPlace);
    EXPECT_EQ(check.imageSlot(1)->id, "i.red");
    EXPECT_EQ(check.imageSlot(5)->id, "i.blue");
    EXPECT_EQ(check.imageSlot(6)->id, "i.grey");
    EXPECT_EQ(check.imageSlot(7), nullptr);

    owner.clear();
    EXPECT_TRUE(panel.setNormalImage(resources.readImage("i.strip,3")));
    EXPECT_EQ(panel.imageSlot(1)->index, 3);
    EXPECT_EQ(owner.repaints.size(), 1u);
    Vcl::Layer layer;
    EXPECT_FALSE(layer.setNormalImage(resources.readImage("i.red"))) << "a layer has no image";
}

TEST_F(Interaction, BackgroundColourIsMadeWhenAbsentAndRepaints) {
    auto& panel = Make<Vcl::Panel>("<panel/>", Rect{0, 0, 4, 4});
    EXPECT_EQ(panel.looks.color.normal, nullptr);
    panel.setBackgroundColor(0xFF112233u);
    ASSERT_NE(panel.looks.color.normal, nullptr);
    EXPECT_EQ(panel.looks.color.normal->argb, 0xFF112233u);
    EXPECT_EQ(owner.repaints.size(), 1u);
    auto& shared = Make<Vcl::Panel>("<panel color=\"c.red\"/>", Rect{0, 0, 4, 4});
    shared.setBackgroundColor(0xFF000001u);
    EXPECT_EQ(resources.findAs<Res::xColor>("c.red")->argb, 0xFFFF0000u)
        << "the control's own copy changes, not the resource";
}

// ---- Graber -----------------------------------------------------------------

class Dragging : public ControlsTest {
protected:
    Vcl::Graber& Handle(const Rect& where = Rect{0, 0, 80, 20}) {
        return Make<Vcl::Graber>("<graber id=\"g\"/>", where);
    }
    void MoveCursor(Vcl::Graber& g, int x, int y) {
        owner.cursorX = x, owner.cursorY = y;
        g.onInput(At(InputKind::Move, true));
    }
};

TEST_F(Dragging, ATopLevelWindowFollowsTheCursorUntilRelease) {
    auto& g = Handle();
    owner.windowX = 100, owner.windowY = 50;
    owner.cursorX = 500, owner.cursorY = 300;
    g.onInput(At(InputKind::Press, true));
    EXPECT_TRUE(g.dragging);
    EXPECT_EQ(owner.repaints.size(), 1u);
    MoveCursor(g, 520, 290);
    MoveCursor(g, 300, -200);  // screens have no clamp
    EXPECT_EQ(owner.moves, (std::vector<std::pair<int, int>>{{120, 40}, {-100, -450}}));
    g.onInput(At(InputKind::Release, true));
    EXPECT_FALSE(g.dragging);
    EXPECT_EQ(owner.repaints.size(), 2u);
    MoveCursor(g, 0, 0);
    EXPECT_EQ(owner.moves.size(), 2u) << "no moves after the release";
    EXPECT_TRUE(owner.events.empty()) << "a graber sends no click";
}

TEST_F(Dragging, AChildWindowStaysInsideItsParent) {
    auto& g = Handle(Rect{0, 0, 80, 20});
    owner.parentClient = Rect{0, 0, 300, 200};
    owner.windowX = 10, owner.windowY = 10;
    owner.cursorX = 50, owner.cursorY = 50;
    g.onInput(At(InputKind::Press, true));
    struct Case {
        int cx, cy, x, y;
    } cases[] = {
        {0, 0, 0, 0},            // past the left and top edges
        {60, 55, 20, 15},        // inside
        {2000, 2000, 220, 180},  // parent width − graber width, height − graber height
        {-5000, 75, 0, 35},
    };
    for (const auto& k : cases) {
        MoveCursor(g, k.cx, k.cy);
        ASSERT_FALSE(owner.moves.empty());
        EXPECT_EQ(owner.moves.back(), std::make_pair(k.x, k.y)) << k.cx << "," << k.cy;
    }
    // A graber wider than the parent pins the window at the origin.
    auto& wide = Handle(Rect{0, 0, 400, 20});
    g.onInput(At(InputKind::Release, true));
    wide.onInput(At(InputKind::Press, true));
    MoveCursor(wide, 500, 500);
    EXPECT_EQ(owner.moves.back(), std::make_pair(0, 180));
}

TEST_F(Dragging, NoWindowOrDisabledMeansNoDrag) {
    auto& g = Handle();
    owner.hasWindow = false;
    g.onInput(At(InputKind::Press, true));
    EXPECT_FALSE(g.dragging);
    MoveCursor(g, 10, 10);
    EXPECT_TRUE(owner.moves.empty());

    owner.hasWindow = true;
    g.setEnable(0);
    g.onInput(At(InputKind::Press, true));
    EXPECT_FALSE(g.dragging);
    g.setEnable(1);
    g.onInput(At(InputKind::Press, true));
    EXPECT_TRUE(g.dragging);
    g.setEnable(0);
    EXPECT_FALSE(g.dragging) << "disabling ends the drag";
    MoveCursor(g, 99, 99);
    EXPECT_TRUE(owner.moves.empty());
}

}  // namespace
}  // namespace controls_test
