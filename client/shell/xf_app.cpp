#include "xf_app.h"

#include <gtk/gtk.h>

#include "platform/utf.h"

namespace xf {

namespace {

constexpr uint32_t kVkShift = 0x10;
constexpr uint32_t kVkControl = 0x11;
constexpr uint32_t kVkAlt = 0x12;

}  // namespace

Modifiers ModifiersOf(const XuiMsg& msg) {
    guint state = 0;
    if (msg.nativeEvent) {
        GdkModifierType eventState = static_cast<GdkModifierType>(0);
        if (gdk_event_get_state(static_cast<GdkEvent*>(msg.nativeEvent), &eventState)) {
            state |= eventState;
        }
    }
    if (GdkDisplay* display = gdk_display_get_default()) {
        state |= gdk_keymap_get_modifier_state(gdk_keymap_get_for_display(display));
    }
    Modifiers m;
    m.alt = (state & GDK_MOD1_MASK) != 0;
    m.shift = (state & GDK_SHIFT_MASK) != 0;
    m.control = (state & GDK_CONTROL_MASK) != 0;
    // An event's state is the one before the event: the modifier key itself
    // counts as down while it is pressed and as up once it is released.
    const bool down = msg.message == XUI_MSG_KEYDOWN;
    switch (msg.wParam & 0xFF) {
        case kVkAlt:
            m.alt = down;
            break;
        case kVkShift:
            m.shift = down;
            break;
        case kVkControl:
            m.control = down;
            break;
        default:
            break;
    }
    return m;
}

void PostQuit() {
    g_idle_add_full(
        G_PRIORITY_HIGH_IDLE,
        [](gpointer) -> gboolean {
            gtk_main_quit();
            return G_SOURCE_REMOVE;
        },
        nullptr, nullptr);
}

}  // namespace xf

void xfApp::onRun(int starting) {
    if (starting) {
        OnInit();
    } else {
        OnExit();
    }
}

int xfApp::preTranslate(XuiMsg* msg) {
    if (msg == nullptr || (msg->message != XUI_MSG_KEYDOWN && msg->message != XUI_MSG_KEYUP)) {
        return 0;
    }
    const xf::Modifiers m = xf::ModifiersOf(*msg);
    return OnKey(msg->message == XUI_MSG_KEYUP, m.control, m.shift, m.alt,
                 static_cast<uint32_t>(msg->wParam & 0xFF));
}

int xfApp::OnKey(bool, bool, bool, bool, uint32_t) {
    return 0;
}

int xfApp::Run(const std::string& packagePath, const char* language) {
    return XUI_LOAD(this, zv::Utf8ToUtf16(packagePath).c_str(), language);
}
