// The window event dispatcher and the application's key filter. Null control
// handles are enough here: their name is empty, so the handler table is
// exercised under the name "".
#include <gdk/gdk.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xf_app.h"
#include "xf_window.h"

namespace {

class RecordingWindow : public xfWindow {
public:
    std::vector<std::string> calls;
    int closeAnswer = 1;

    void OnCreate() override { calls.push_back("create"); }
    void OnClose(int* allow) override {
        calls.push_back("close " + std::to_string(*allow));
        *allow = closeAnswer;
    }
    void OnTimer(unsigned id) override { calls.push_back("timer " + std::to_string(id)); }
    void OnClick(xfWidget&) override { calls.push_back("click"); }
    void OnRightClick(xfWidget&) override { calls.push_back("rclick"); }
    void OnDoubleClick(xfWidget&) override { calls.push_back("dblclick"); }
    void OnKeyUp(xfWidget&, uint32_t key) override {
        calls.push_back("keyup " + std::to_string(key));
    }
    void OnRawCreate(xfWidget&, GtkWidget* native) override {
        calls.push_back(native ? "rawcreate native" : "rawcreate null");
    }
    void OnValueChange(xfWidget&) override { calls.push_back("value"); }
    void OnRawSize(xfWidget&) override { calls.push_back("rawsize"); }
    void OnResize(xfWidget&) override { calls.push_back("resize"); }
    void OnShow(bool shown) override { calls.push_back(shown ? "show 1" : "show 0"); }
    void OnMove(xfWidget&) override { calls.push_back("move"); }
};

class RecordingHandler : public xfControlHandler {
public:
    explicit RecordingHandler(std::vector<std::string>& log) : log_(log) {}
    void Attach(xfWindow*) override { log_.push_back("h.attach"); }
    void Detach() override { log_.push_back("h.detach"); }
    void OnClick(xfWidget&) override { log_.push_back("h.click"); }
    void OnRightClick(xfWidget&) override { log_.push_back("h.rclick"); }
    void OnDoubleClick(xfWidget&) override { log_.push_back("h.dblclick"); }
    void OnKeyUp(xfWidget&, uint32_t key) override {
        log_.push_back("h.keyup " + std::to_string(key));
    }
    void OnValueChange(xfWidget&) override { log_.push_back("h.value"); }
    void OnRawSize(xfWidget&) override { log_.push_back("h.rawsize"); }

private:
    std::vector<std::string>& log_;
};

struct Dispatch {
    int code;
    bool withParam;  // the case's own parameter; otherwise null
    std::vector<std::string> expected;
};

}  // namespace

TEST(WindowDispatch, EachCodeReachesItsOperation) {
    unsigned timerId = 1111;
    float value = 0.5f;
    XuiKeyRecord key{0x41, 1};
    int shown = 1;
    int dummyNative = 0;
    auto paramFor = [&](int code) -> void* {
        switch (code) {
            case XUI_EVENT_TIMER:
                return &timerId;
            case XUI_EVENT_KEYUP:
                return &key;
            case XUI_EVENT_VALUE:
                return &value;
            case XUI_EVENT_RAW_CREATED:
            case XUI_EVENT_RESIZED:
                return &dummyNative;
            case XUI_EVENT_SHOW:
                return &shown;
            default:
                return nullptr;
        }
    };
    const Dispatch cases[] = {
        {XUI_EVENT_CREATED, false, {"create"}},
        {XUI_EVENT_TIMER, true, {"timer 1111"}},
        {XUI_EVENT_CLICK, false, {"click"}},
        {XUI_EVENT_RCLICK, false, {"rclick"}},
        {XUI_EVENT_KEYDOWN, true, {}},  // keys pressed in an edit always go through
        {XUI_EVENT_KEYUP, true, {"keyup 65"}},
        {XUI_EVENT_VALUE, true, {"value"}},
        {XUI_EVENT_RAW_CREATED, true, {"rawcreate native"}},
        {XUI_EVENT_RESIZED, true, {"resize"}},    // the window itself
        {XUI_EVENT_RESIZED, false, {"rawsize"}},  // a raw control
        {XUI_EVENT_DBLCLICK, false, {"dblclick"}},
        {XUI_EVENT_SHOW, true, {"show 1"}},
        {XUI_EVENT_MOVED, false, {"move"}},
        {0, false, {}},
        {14, false, {}},
        {-3, false, {}},
        {1000, true, {}},
    };
    for (const Dispatch& c : cases) {
        RecordingWindow w;
        w.onEvent(nullptr, c.code, c.withParam ? paramFor(c.code) : nullptr);
        EXPECT_EQ(w.calls, c.expected) << "code " << c.code;
    }
    RecordingWindow hidden;
    shown = 0;
    hidden.onEvent(nullptr, XUI_EVENT_SHOW, &shown);
    EXPECT_EQ(hidden.calls, std::vector<std::string>{"show 0"});
}

TEST(WindowDispatch, CloseFlagIsTheHandlersAnswer) {
    for (int answer : {0, 1}) {
        RecordingWindow w;
        w.closeAnswer = answer;
        int allow = 1;
        w.onEvent(nullptr, XUI_EVENT_CLOSE, &allow);
        EXPECT_EQ(allow, answer);
        EXPECT_EQ(w.calls, std::vector<std::string>{"close 1"});
    }
    // Without a flag to write the handler still runs, on a flag of its own.
    RecordingWindow w;
    w.closeAnswer = 0;
    w.onEvent(nullptr, XUI_EVENT_CLOSE, nullptr);
    EXPECT_EQ(w.calls, std::vector<std::string>{"close 1"});
}

TEST(WindowDispatch, AttachedHandlerTakesItsControlsEvents) {
    RecordingWindow w;
    RecordingHandler handler(w.calls);
    w.AttachHandler("", &handler);  // null controls are named ""
    XuiKeyRecord key{0x0D, 1};
    int allow = 1;
    w.onEvent(nullptr, XUI_EVENT_CREATED, nullptr);
    w.onEvent(nullptr, XUI_EVENT_CLICK, nullptr);
    w.onEvent(nullptr, XUI_EVENT_RCLICK, nullptr);
    w.onEvent(nullptr, XUI_EVENT_DBLCLICK, nullptr);
    w.onEvent(nullptr, XUI_EVENT_KEYUP, &key);
    w.onEvent(nullptr, XUI_EVENT_VALUE, nullptr);
    w.onEvent(nullptr, XUI_EVENT_RESIZED, nullptr);
    w.onEvent(nullptr, XUI_EVENT_RESIZED, &allow);  // the window's own size: never the handler
    w.onEvent(nullptr, XUI_EVENT_CLOSE, &allow);
    const std::vector<std::string> expected = {"create",     "h.attach",   "h.click", "h.rclick",
                                               "h.dblclick", "h.keyup 13", "h.value", "h.rawsize",
                                               "resize",     "h.detach",   "close 1"};
    EXPECT_EQ(w.calls, expected);
}

TEST(WidgetReference, NullHandleStaysEmptyAndMatchesNoPrefix) {
    xfWidget none;
    EXPECT_EQ(none.Name(), "");
    EXPECT_EQ(none.ItemIndex(), -1);
    EXPECT_FALSE(none.Is("b.preview"));
    EXPECT_FALSE(none.Is(""));
    EXPECT_EQ(none.NativeWindow(), nullptr);
    EXPECT_EQ(none.GetText(), u"");
    xfWidget other;
    EXPECT_TRUE(none.IsSame(other));
    const xf::Rect r = none.GetRect();
    EXPECT_EQ(r.Width(), 0);
    EXPECT_EQ(r.Height(), 0);
}

namespace {

class KeyRecorder : public xfApp {
public:
    struct Call {
        bool keyUp, control, shift, alt;
        uint32_t key;
    };
    std::vector<Call> calls;
    int answer = 0;
    int OnKey(bool keyUp, bool control, bool shift, bool alt, uint32_t key) override {
        calls.push_back({keyUp, control, shift, alt, key});
        return answer;
    }
};

struct KeyEvent {
    GdkEvent* event;
    explicit KeyEvent(guint state) : event(gdk_event_new(GDK_KEY_PRESS)) {
        event->key.state = state;
    }
    ~KeyEvent() { gdk_event_free(event); }
};

}  // namespace

TEST(KeyFilter, ModifiersComeFromTheStateNotTheMessage) {
    struct Case {
        uint32_t message;
        uint32_t vk;
        guint state;
        bool control, shift, alt;
    };
    const Case cases[] = {
        {XUI_MSG_KEYDOWN, 'C', GDK_CONTROL_MASK, true, false, false},
        {XUI_MSG_KEYUP, 'C', GDK_CONTROL_MASK | GDK_SHIFT_MASK, true, true, false},
        {XUI_MSG_KEYDOWN, 'X', GDK_MOD1_MASK, false, false, true},
        {XUI_MSG_KEYDOWN, 'A', 0, false, false, false},
        // The modifier key itself: down while pressed, up once released.
        {XUI_MSG_KEYDOWN, 0x11, 0, true, false, false},
        {XUI_MSG_KEYUP, 0x11, GDK_CONTROL_MASK, false, false, false},
        {XUI_MSG_KEYDOWN, 0x10, 0, false, true, false},
        {XUI_MSG_KEYDOWN, 0x12, GDK_SHIFT_MASK, false, true, true},
    };
    for (const Case& c : cases) {
        KeyRecorder app;
        KeyEvent e(c.state);
        XuiMsg msg{c.message, c.vk | 0x1200, 0, e.event, nullptr};  // only the low byte is the key
        EXPECT_EQ(app.preTranslate(&msg), 0);
        ASSERT_EQ(app.calls.size(), 1u);
        const auto& call = app.calls[0];
        EXPECT_EQ(call.keyUp, c.message == XUI_MSG_KEYUP) << c.vk;
        EXPECT_EQ(call.control, c.control) << c.vk;
        EXPECT_EQ(call.shift, c.shift) << c.vk;
        EXPECT_EQ(call.alt, c.alt) << c.vk;
        EXPECT_EQ(call.key, c.vk);
    }
}

TEST(KeyFilter, OnlyKeyMessagesAreFilteredAndTheAnswerCounts) {
    KeyRecorder app;
    app.answer = 1;
    for (uint32_t message : {0u, 0x200u, 0x201u, 0x20Au, 0x102u}) {
        XuiMsg msg{message, 'A', 0, nullptr, nullptr};
        EXPECT_EQ(app.preTranslate(&msg), 0) << message;
    }
    EXPECT_TRUE(app.calls.empty());
    EXPECT_EQ(app.preTranslate(nullptr), 0);
    XuiMsg key{XUI_MSG_KEYDOWN, 'A', 0, nullptr, nullptr};
    EXPECT_EQ(app.preTranslate(&key), 1);
    // The default filter consumes nothing.
    xfApp plain;
    EXPECT_EQ(plain.preTranslate(&key), 0);
}
