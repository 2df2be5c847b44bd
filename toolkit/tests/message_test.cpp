// The message handed to the host's preTranslate/afterMessage for each event.
#include <gdk/gdk.h>
#include <gtest/gtest.h>

#include <memory>

#include "host/gdk_translate.h"

namespace {

struct EventDeleter {
    void operator()(GdkEvent* e) const { gdk_event_free(e); }
};
using Event = std::unique_ptr<GdkEvent, EventDeleter>;

Event Button(GdkEventType type, guint button, double x, double y) {
    Event e(gdk_event_new(type));
    e->button.button = button;
    e->button.x = x;
    e->button.y = y;
    return e;
}

}  // namespace

TEST(Messages, PointerButtonsMapToTheirOwnMessages) {
    struct Case {
        GdkEventType type;
        guint button;
        uint32_t expected;
    };
    const Case cases[] = {
        {GDK_BUTTON_PRESS, 1, XUI_MSG_LBUTTONDOWN},
        {GDK_BUTTON_RELEASE, 1, XUI_MSG_LBUTTONUP},
        {GDK_2BUTTON_PRESS, 1, XUI_MSG_LBUTTONDBLCLK},
        {GDK_BUTTON_PRESS, 3, XUI_MSG_RBUTTONDOWN},
        {GDK_BUTTON_RELEASE, 3, XUI_MSG_RBUTTONUP},
        {GDK_2BUTTON_PRESS, 3, XUI_MSG_RBUTTONDBLCLK},
    };
    for (const auto& c : cases) {
        Event e = Button(c.type, c.button, 12, 34);
        const XuiMsg msg = HostWin::MessageFromEvent(e.get());
        EXPECT_EQ(msg.message, c.expected) << "type " << c.type << " button " << c.button;
        EXPECT_EQ(msg.lParam, 12 | (34 << 16));
        EXPECT_EQ(msg.nativeEvent, e.get());
    }
}

TEST(Messages, WheelCarriesSignedStepsInTheHighWord) {
    Event up(gdk_event_new(GDK_SCROLL));
    up->scroll.direction = GDK_SCROLL_UP;
    EXPECT_EQ(HostWin::MessageFromEvent(up.get()).message, XUI_MSG_MOUSEWHEEL);
    EXPECT_EQ(HostWin::MessageFromEvent(up.get()).wParam, uintptr_t{120} << 16);
    Event down(gdk_event_new(GDK_SCROLL));
    down->scroll.direction = GDK_SCROLL_DOWN;
    EXPECT_EQ(static_cast<int16_t>(HostWin::MessageFromEvent(down.get()).wParam >> 16), -120);
}

TEST(Messages, NullAndOtherEventsGiveNoMessage) {
    EXPECT_EQ(HostWin::MessageFromEvent(nullptr).message, XUI_MSG_NONE);
    Event focus(gdk_event_new(GDK_FOCUS_CHANGE));
    EXPECT_EQ(HostWin::MessageFromEvent(focus.get()).message, XUI_MSG_NONE);
}
