// Pointer events of the drawing area, handed to the window's router; on a
// window with a custom frame, presses on the frame go to the window
// manager instead.
#include "host/gdk_translate.h"
#include "host/ms_window_signals.h"
#include "window/window.h"

namespace HostWin {

namespace {

// GDK reports a double click as press, release, press, double press: the
// second press is queued with its double press behind it. The router sees
// the double click alone, as the native double-click messages have it.
bool SecondPressOfDouble(const GdkEventButton& press) {
    GdkEvent* next = gdk_event_peek();
    const bool doubled =
        next && next->type == GDK_2BUTTON_PRESS && next->button.button == press.button;
    if (next) {
        gdk_event_free(next);
    }
    return doubled;
}

}  // namespace

gboolean MsWindow::Signals::Pointer(GtkWidget* widget, GdkEvent* e, gpointer self) {
    return static_cast<MsWindow*>(self)->pointer(widget, e) ? TRUE : FALSE;
}

bool MsWindow::pointer(GtkWidget* canvas, GdkEvent* e) {
    auto in = TranslateEvent(e);
    if (!in || in->kind == Vcl::InputKind::KeyDown || in->kind == Vcl::InputKind::KeyUp) {
        return false;
    }
    if (e->type == GDK_LEAVE_NOTIFY && e->crossing.detail == GDK_NOTIFY_INFERIOR) {
        return false;  // into a window of its own: still inside
    }
    const bool custom = frame_.custom() && !childWindow_;
    if (e->type == GDK_BUTTON_PRESS) {
        // Either button takes the keyboard focus to the window.
        gtk_widget_grab_focus(canvas);
        if (SecondPressOfDouble(e->button)) {
            return true;
        }
        if (custom && e->button.button == 1 && framePress(e->button)) {
            return true;
        }
        if (custom && e->button.button == 3 &&
            HitFrame(frame_.geometry(clientWidth_, clientHeight_), in->x, in->y) ==
                Vcl::FrameHit::Caption) {
            gdk_window_show_window_menu(gtk_widget_get_window(top_), e);
            return true;
        }
    }
    if (e->type == GDK_2BUTTON_PRESS && custom && e->button.button == 1 &&
        HitFrame(frame_.geometry(clientWidth_, clientHeight_), in->x, in->y) ==
            Vcl::FrameHit::Caption) {
        if (window_.styles.style & Vcl::StyleBits::MaxBox) {
            frameCommand(Vcl::FrameHit::Maximize);
        }
        return true;
    }
    window_.route(*in);
    if (custom && e->type == GDK_BUTTON_RELEASE && e->button.button == 1) {
        frameRelease(e->button);
    }
    return true;
}

}  // namespace HostWin
