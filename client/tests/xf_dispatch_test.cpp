// The window event dispatcher and the control reference. Null control
// handles are enough here: every operation does nothing for them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xf_window.h"

namespace {

class RecordingWindow : public xfWindow {
public:
    std::vector<std::string> calls;
    bool closeAnswer = true;

    void OnCreate() override { calls.push_back("create"); }
    bool OnClose() override {
        calls.push_back("close");
        return closeAnswer;
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
    for (const bool answer : {false, true}) {
        RecordingWindow w;
        w.closeAnswer = answer;
        int allow = 1;
        w.onEvent(nullptr, XUI_EVENT_CLOSE, &allow);
        EXPECT_EQ(allow, answer ? 1 : 0);
        EXPECT_EQ(w.calls, std::vector<std::string>{"close"});
    }
    // Without a flag to write the handler still runs.
    RecordingWindow w;
    w.closeAnswer = false;
    w.onEvent(nullptr, XUI_EVENT_CLOSE, nullptr);
    EXPECT_EQ(w.calls, std::vector<std::string>{"close"});
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
