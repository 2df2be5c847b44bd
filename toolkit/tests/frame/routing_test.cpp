// Pointer routing through a window built from a description: capture,
// clicks, double clicks, leaving, disabled windows, visibility and hover,
// the wheel as GDK reports it, and the edits' keys and focus.
#include <gdk/gdk.h>

#include "controls/control.h"
#include "controls/edit.h"
#include "frame_support.h"
#include "host/gdk_translate.h"

namespace {

using frame_test::Heard;
using Vcl::InputEvent;
using Vcl::InputKind;

// a, b and the speedclick s side by side, 50 wide each; p holds c.
const char* kButtons =
    "<window id=\"w\" width=\"200\" height=\"50\"><layer id=\"root\">"
    "  <button id=\"a\" width=\"50\"/><button id=\"b\" width=\"50\"/>"
    "  <button id=\"s\" width=\"50\" speedclick=\"true\"/>"
    "  <panel id=\"p\" width=\"50\"><button id=\"c\" layoutItem=\"expand\"/></panel>"
    "</layer></window>";

class Routing : public frame_test::WindowTest {
protected:
    Vcl::Window* w = nullptr;
    void SetUp() override {
        w = Load(kButtons, 200, 50);
        ASSERT_NE(w, nullptr);
        ASSERT_EQ(w->query("b")->rect, (Vcl::Rect{50, 0, 50, 50}));
        ASSERT_EQ(w->query("c")->rect, (Vcl::Rect{150, 0, 50, 50}));
    }
    void Send(InputKind kind, int x, int y) { w->route(InputEvent{kind, x, y}); }
    std::string Hovered() const {
        return w->router().hovered() ? w->router().hovered()->name : "none";
    }
    std::string Captured() const {
        return w->router().captured() ? w->router().captured()->name : "none";
    }
};

TEST_F(Routing, ClicksNeedPressAndReleaseOnOneControl) {
    struct Step {
        const char* what;
        InputKind kind;
        int x, y;
        std::vector<Heard> heard;  // by the host
        const char* hovered;
        const char* captured;
    } steps[] = {
        {"onto a", InputKind::Move, 10, 10, {}, "a", "none"},
        {"press a", InputKind::Press, 10, 10, {}, "a", "a"},
        {"move out onto b while captured", InputKind::Move, 60, 10, {}, "b", "a"},
        {"release on b: no click for either", InputKind::Release, 60, 10, {}, "b", "none"},
        {"press b", InputKind::Press, 60, 10, {}, "b", "b"},
        {"release b inside", InputKind::Release, 70, 20, {{"b", XUI_EVENT_CLICK}}, "b", "none"},
        {"double click on b",
         InputKind::DoubleClick,
         70,
         20,
         {{"b", XUI_EVENT_DBLCLICK}},
         "b",
         "none"},
        {"the release after it goes nowhere", InputKind::Release, 70, 20, {}, "b", "none"},
        {"right press b captures it", InputKind::RightPress, 70, 20, {}, "b", "b"},
        {"right release inside",
         InputKind::RightRelease,
         70,
         20,
         {{"b", XUI_EVENT_RCLICK}},
         "b",
         "none"},
        {"a right double click is no left one",
         InputKind::RightDoubleClick,
         70,
         20,
         {},
         "b",
         "none"},
        {"speedclick s clicks on press",
         InputKind::Press,
         110,
         10,
         {{"s", XUI_EVENT_CLICK}},
         "b",
         "s"},
        {"and nothing on release outside", InputKind::Release, 10, 10, {}, "b", "none"},
        {"into the panel: its button", InputKind::Move, 160, 10, {}, "c", "none"},
    };
    for (const auto& s : steps) {
        host.events.clear();
        Send(s.kind, s.x, s.y);
        EXPECT_EQ(host.events, s.heard) << s.what;
        EXPECT_EQ(Hovered(), s.hovered) << s.what;
        EXPECT_EQ(Captured(), s.captured) << s.what;
    }
}

TEST_F(Routing, LeavingClearsHoverUnlessAButtonHoldsThePointer) {
    Send(InputKind::Move, 10, 10);
    Send(InputKind::Leave, 10, 10);
    EXPECT_EQ(Hovered(), "none");
    Send(InputKind::Move, 10, 10);
    Send(InputKind::Press, 10, 10);
    Send(InputKind::Leave, 10, 49);  // dragged out below the window
    EXPECT_EQ(Hovered(), "a") << "the captured control keeps the pointer";
    EXPECT_TRUE(static_cast<Vcl::Control*>(w->query("a"))->pressed);
    Send(InputKind::Release, 10, 80);
    EXPECT_EQ(Hovered(), "none") << "released outside: the leave comes now";
    EXPECT_FALSE(static_cast<Vcl::Control*>(w->query("a"))->hovered);
    EXPECT_TRUE(host.events.empty()) << "released outside a: no click";
}

TEST_F(Routing, ADisabledWindowRoutesNothingAndDisabledControlsAreSkipped) {
    w->enabled = false;
    Send(InputKind::Move, 10, 10);
    Send(InputKind::Press, 10, 10);
    Send(InputKind::Release, 10, 10);
    EXPECT_EQ(Hovered(), "none");
    EXPECT_TRUE(host.events.empty());
    w->enabled = true;
    w->query("a")->setEnable(0);
    Send(InputKind::Move, 10, 10);
    EXPECT_EQ(Hovered(), "none") << "a disabled control is not hit";
    w->query("a")->setEnable(1);
    Send(InputKind::Move, 11, 10);
    EXPECT_EQ(Hovered(), "a");
    w->query("a")->setEnable(0);
    Send(InputKind::Move, 12, 10);
    EXPECT_EQ(Hovered(), "none") << "hover leaves a control disabled under the pointer";
}

TEST_F(Routing, ShowingAndHidingMovesHoverAtRest) {
    Send(InputKind::Move, 10, 10);
    ASSERT_EQ(Hovered(), "a");
    Vcl::Layer* a = w->query("a");
    a->setVisible(0);
    w->visibilityChanged(*a);
    EXPECT_EQ(w->query("b")->rect.x, 0) << "the parent was laid out again";
    EXPECT_EQ(Hovered(), "b") << "the pointer now rests on b";
    a->setVisible(1);
    w->visibilityChanged(*a);
    EXPECT_EQ(Hovered(), "a");
    Send(InputKind::Leave, 10, 10);
    a->setVisible(0);
    w->visibilityChanged(*a);
    EXPECT_EQ(Hovered(), "none") << "no hover for a pointer outside the window";
}

// A control that records the wheel steps it hears.
class WheelProbe : public Vcl::Layer {
public:
    WheelProbe() { mouseAware = true; }
    void onInput(const InputEvent& e) override {
        if (e.kind == InputKind::Wheel) {
            steps.push_back(e.steps);
        }
    }
    std::vector<int> steps;
};

struct GdkEventPtr {
    GdkEvent* e;
    ~GdkEventPtr() { gdk_event_free(e); }
};

TEST_F(Routing, WheelNotchesFromGdkScrollEvents) {
    auto node = std::make_unique<Vcl::TreeNode>();
    auto probe = std::make_unique<WheelProbe>();
    WheelProbe* wheel = probe.get();
    wheel->rect = Vcl::Rect{0, 0, 200, 50};
    wheel->owner = w;
    node->control = std::move(probe);
    node->parent = w->root.get();
    wheel->node = node.get();
    w->root->children.push_back(std::move(node));
    Send(InputKind::Move, 20, 20);
    struct Case {
        GdkScrollDirection direction;
        double deltaY;
        std::vector<int> heard;
        uint32_t messageHigh;  // the host message's high word
    } cases[] = {
        {GDK_SCROLL_UP, 0, {1}, 120},
        {GDK_SCROLL_DOWN, 0, {-1}, uint16_t(-120)},
        {GDK_SCROLL_SMOOTH, -2.0, {2}, 240},  // 240 units away from the user
        {GDK_SCROLL_SMOOTH, 0.5, {}, 0xFFC4},
        {GDK_SCROLL_SMOOTH, 0.5, {-1}, 0xFFC4},  // the halves make a notch
        {GDK_SCROLL_SMOOTH, 0.4, {}, 0xFFD0},
        {GDK_SCROLL_SMOOTH, -0.7, {}, 84},  // turning back drops the rest
        {GDK_SCROLL_SMOOTH, -0.3, {1}, 36},
        {GDK_SCROLL_LEFT, 0, {}, 0},
    };
    for (const auto& c : cases) {
        GdkEventPtr ev{gdk_event_new(GDK_SCROLL)};
        ev.e->scroll.direction = c.direction;
        ev.e->scroll.delta_y = c.deltaY;
        ev.e->scroll.x = 20;
        ev.e->scroll.y = 20;
        auto in = HostWin::TranslateEvent(ev.e);
        ASSERT_TRUE(in.has_value());
        wheel->steps.clear();
        w->route(*in);
        EXPECT_EQ(wheel->steps, c.heard) << c.direction << " " << c.deltaY;
        XuiMsg msg = HostWin::MessageFromEvent(ev.e);
        EXPECT_EQ(msg.wParam >> 16, c.messageHigh) << c.direction << " " << c.deltaY;
    }
}

TEST(GdkTranslation, ButtonsAndDoubleClicks) {
    struct Case {
        GdkEventType type;
        unsigned button;
        std::optional<InputKind> kind;
    } cases[] = {
        {GDK_BUTTON_PRESS, 1, InputKind::Press},
        {GDK_BUTTON_PRESS, 3, InputKind::RightPress},
        {GDK_2BUTTON_PRESS, 1, InputKind::DoubleClick},
        {GDK_2BUTTON_PRESS, 3, InputKind::RightDoubleClick},
        {GDK_BUTTON_RELEASE, 1, InputKind::Release},
        {GDK_BUTTON_RELEASE, 3, InputKind::RightRelease},
        {GDK_BUTTON_PRESS, 2, std::nullopt},  // the middle button has no part
        {GDK_BUTTON_RELEASE, 8, std::nullopt},
        {GDK_3BUTTON_PRESS, 1, std::nullopt},
    };
    for (const auto& c : cases) {
        GdkEventPtr ev{gdk_event_new(c.type)};
        ev.e->button.button = c.button;
        ev.e->button.x = 7;
        ev.e->button.y = 9;
        auto in = HostWin::TranslateEvent(ev.e);
        ASSERT_EQ(in.has_value(), c.kind.has_value()) << c.type << " " << c.button;
        if (in) {
            EXPECT_EQ(in->kind, *c.kind);
            EXPECT_EQ(in->x, 7);
            EXPECT_EQ(in->y, 9);
        }
    }
}

class FocusRecorder : public EditFocusListener {
public:
    std::vector<std::string> heard;
    void focusGained(const char* name) override { heard.push_back(std::string("+") + name); }
    void focusLost(const char* name) override { heard.push_back(std::string("-") + name); }
};

class Edits : public frame_test::WindowTest {};

TEST_F(Edits, KeysGoToTheHostWhichMaySwallowThem) {
    Vcl::Window* w = Load(
        "<window id=\"w\"><layer id=\"root\"><edit id=\"e\" edgecolor=\"c.edge\"/>"
        "<edit id=\"f\"/></layer></window>",
        100, 20);
    ASSERT_NE(w, nullptr);
    auto* e = static_cast<Vcl::Edit*>(w->query("e"));
    host.react = [&](Vcl::Layer& c, int code, void* param) {
        auto* key = static_cast<XuiKeyRecord*>(param);
        if ((code == XUI_EVENT_KEYDOWN || code == XUI_EVENT_KEYUP) && key->virtualKey == 0x58) {
            EXPECT_EQ(key->pass, 1u);
            key->pass = 0;
        }
        if (code == XUI_EVENT_KEYDOWN && key->virtualKey == 0x1B && c.name == "e") {
            Vcl::RemoveChild(*w->root, 0);  // the host removes the edit on Escape
        }
    };
    EXPECT_FALSE(e->offerKey(true, 0x58));
    EXPECT_FALSE(e->offerKey(false, 0x58));
    EXPECT_TRUE(e->offerKey(true, 0x59));
    EXPECT_TRUE(e->offerKey(false, 0x59));
    EXPECT_EQ(host.events, (std::vector<Heard>{{"e", XUI_EVENT_KEYDOWN},
                                               {"e", XUI_EVENT_KEYUP},
                                               {"e", XUI_EVENT_KEYDOWN},
                                               {"e", XUI_EVENT_KEYUP}}));
    FocusRecorder listener;
    e->focusListener = &listener;
    e->focusChanged(true);
    e->focusChanged(true);
    EXPECT_TRUE(e->focused);
    e->focusChanged(false);
    EXPECT_EQ(listener.heard, (std::vector<std::string>{"+e", "-e"}));
    EXPECT_FALSE(e->offerKey(true, 0x1B)) << "a key of an edit that went is swallowed";
    EXPECT_EQ(w->query("e"), nullptr);
    EXPECT_NE(w->query("f"), nullptr);
}

TEST(EditDigits, NumberEditsKeepOnlyDigits) {
    struct Case {
        const char* in;
        const char* kept;
    } cases[] = {{"123", "123"}, {"1a2b3", "123"},     {"", ""},
                 {"-4.5", "45"}, {"\xEF\xBC\x91", ""},  // a full-width one is no ASCII digit
                 {"12\n", "12"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Vcl::DigitsOnly(c.in), c.kept) << c.in;
    }
}

}  // namespace
