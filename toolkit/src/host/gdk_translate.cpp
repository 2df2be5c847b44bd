#include "host/gdk_translate.h"

#include <gtk/gtk.h>

#include <algorithm>

#include "host/keymap.h"
#include "input/wheel.h"

namespace HostWin {

namespace {

using Vcl::InputKind;
using Vcl::kWheelUnitsPerNotch;

// Only the left (1) and right (3) buttons take part; others have no
// counterpart in the router.
std::optional<InputKind> ButtonKind(const GdkEventButton& b, InputKind left, InputKind right) {
    if (b.button == 1) {
        return left;
    }
    if (b.button == 3) {
        return right;
    }
    return std::nullopt;
}

// Window messages of the input kinds the host's filters know.
uint32_t MessageCode(InputKind kind) {
    switch (kind) {
        case InputKind::KeyDown:
            return XUI_MSG_KEYDOWN;
        case InputKind::KeyUp:
            return XUI_MSG_KEYUP;
        case InputKind::Move:
            return XUI_MSG_MOUSEMOVE;
        case InputKind::Press:
            return XUI_MSG_LBUTTONDOWN;
        case InputKind::Release:
            return XUI_MSG_LBUTTONUP;
        case InputKind::DoubleClick:
            return XUI_MSG_LBUTTONDBLCLK;
        case InputKind::RightPress:
            return XUI_MSG_RBUTTONDOWN;
        case InputKind::RightRelease:
            return XUI_MSG_RBUTTONUP;
        case InputKind::RightDoubleClick:
            return XUI_MSG_RBUTTONDBLCLK;
        case InputKind::Wheel:
            return XUI_MSG_MOUSEWHEEL;
        default:
            return XUI_MSG_NONE;  // enter and leave have no message of their own
    }
}

// The two 16-bit halves of a pointer message's point.
intptr_t PackPoint(int x, int y) {
    return static_cast<intptr_t>((x & 0xFFFF) | ((y & 0xFFFF) << 16));
}

}  // namespace

std::optional<Vcl::InputEvent> TranslateEvent(const GdkEvent* event) {
    if (!event) {
        return std::nullopt;
    }
    Vcl::InputEvent in;
    std::optional<InputKind> button;
    switch (event->type) {
        case GDK_KEY_PRESS:
        case GDK_KEY_RELEASE:
            in.kind = event->type == GDK_KEY_PRESS ? InputKind::KeyDown : InputKind::KeyUp;
            in.virtualKey = VirtualKeyFromKeyval(event->key.keyval);
            return in;
        case GDK_MOTION_NOTIFY:
            return Vcl::InputEvent{InputKind::Move, int(event->motion.x), int(event->motion.y)};
        case GDK_BUTTON_PRESS:
            button = ButtonKind(event->button, InputKind::Press, InputKind::RightPress);
            break;
        case GDK_2BUTTON_PRESS:
            button = ButtonKind(event->button, InputKind::DoubleClick, InputKind::RightDoubleClick);
            break;
        case GDK_BUTTON_RELEASE:
            button = ButtonKind(event->button, InputKind::Release, InputKind::RightRelease);
            break;
        case GDK_LEAVE_NOTIFY:
            return Vcl::InputEvent{InputKind::Leave, int(event->crossing.x),
                                   int(event->crossing.y)};
        case GDK_SCROLL: {
            // Discrete notches are 120 units each, positive away from the
            // user; smooth deltas count in notches the other way round.
            // Sideways scrolling moves nothing.
            const GdkEventScroll& s = event->scroll;
            double units = s.direction == GDK_SCROLL_UP       ? kWheelUnitsPerNotch
                           : s.direction == GDK_SCROLL_DOWN   ? -kWheelUnitsPerNotch
                           : s.direction == GDK_SCROLL_SMOOTH ? -s.delta_y * kWheelUnitsPerNotch
                                                              : 0.0;
            in.kind = InputKind::Wheel;
            in.x = int(s.x);
            in.y = int(s.y);
            in.wheelUnits = units;
            in.steps = static_cast<int>(units / kWheelUnitsPerNotch);
            return in;
        }
        default:
            return std::nullopt;
    }
    if (!button) {
        return std::nullopt;
    }
    in.kind = *button;
    in.x = int(event->button.x);
    in.y = int(event->button.y);
    return in;
}

XuiMsg MessageFromEvent(GdkEvent* event) {
    XuiMsg msg{};
    msg.nativeEvent = event;
    if (!event) {
        return msg;
    }
    GtkWidget* widget = gtk_get_event_widget(event);
    msg.widget = widget ? gtk_widget_get_toplevel(widget) : nullptr;
    const auto in = TranslateEvent(event);
    if (!in) {
        return msg;
    }
    msg.message = MessageCode(in->kind);
    switch (in->kind) {
        case InputKind::KeyDown:
        case InputKind::KeyUp:
            msg.wParam = in->virtualKey;
            msg.lParam = event->key.hardware_keycode;
            break;
        case InputKind::Wheel:
            // The signed units in the high word, as wheel messages carry them.
            msg.wParam = static_cast<uintptr_t>(static_cast<uint16_t>(
                             static_cast<int16_t>(std::clamp(in->wheelUnits, -32768.0, 32767.0))))
                         << 16;
            msg.lParam = PackPoint(in->x, in->y);
            break;
        case InputKind::Leave:
            break;
        default:
            msg.lParam = PackPoint(in->x, in->y);
            break;
    }
    return msg;
}

}  // namespace HostWin
