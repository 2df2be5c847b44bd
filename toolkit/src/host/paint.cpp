// Painting: the control tree into the window's back buffer, then the
// buffer to the screen in one copy. The buffer holds device pixels (the
// window's scale factor), the tree paints in logical ones.
#include "draw/back_buffer.h"
#include "host/ms_window_signals.h"
#include "window/paint_tree.h"
#include "window/window.h"

namespace HostWin {

gboolean MsWindow::Signals::Draw(GtkWidget*, cairo_t* cr, gpointer self) {
    static_cast<MsWindow*>(self)->paint(cr);
    return FALSE;
}

void MsWindow::Signals::ScaleChanged(GObject*, GParamSpec*, gpointer self) {
    // A screen of another scale: the next paint rebuilds the buffer and
    // every control's rendering at it.
    auto* window = static_cast<MsWindow*>(self);
    if (window->canvas_) {
        gtk_widget_queue_draw(window->canvas_);
    }
}

void MsWindow::paint(cairo_t* cr) {
    if (!canvas_ || !window_.root) {
        return;
    }
    const int width = gtk_widget_get_allocated_width(canvas_);
    const int height = gtk_widget_get_allocated_height(canvas_);
    GdkRectangle clip;
    if (!gdk_cairo_get_clip_rectangle(cr, &clip)) {
        return;
    }
    const Vcl::Rect update{clip.x, clip.y, clip.width, clip.height};
    {
        Vcl::Painter painter =
            backBuffer_.begin(width, height, gtk_widget_get_scale_factor(canvas_));
        if (!painter.valid()) {
            return;
        }
        Vcl::RepaintArea(painter, *window_.root, update);
    }
    if (cairo_surface_t* pixels = backBuffer_.surface()) {
        cairo_set_source_surface(cr, pixels, 0, 0);
        cairo_rectangle(cr, update.x, update.y, update.width, update.height);
        cairo_fill(cr);
    }
}

}  // namespace HostWin
