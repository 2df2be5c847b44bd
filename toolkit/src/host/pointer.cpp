// Pointer events of the drawing area, handed to the window's router.
#include "host/gdk_translate.h"
#include "host/ms_window_signals.h"
#include "window/window.h"

namespace HostWin {

gboolean MsWindow::Signals::Pointer(GtkWidget* widget, GdkEvent* e, gpointer self) {
    return static_cast<MsWindow*>(self)->pointer(widget, e) ? TRUE : FALSE;
}

bool MsWindow::pointer(GtkWidget* canvas, GdkEvent* e) {
    auto in = TranslateEvent(e);
    if (!in || in->kind == Vcl::InputKind::KeyDown || in->kind == Vcl::InputKind::KeyUp) {
        return false;
    }
    if (e->type == GDK_BUTTON_PRESS && e->button.button == 1) {
        gtk_widget_grab_focus(canvas);
    }
    window_.route(*in);
    return true;
}

}  // namespace HostWin
