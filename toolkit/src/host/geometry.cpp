// Where a native window goes and how it may be sized; where its native
// children sit inside its client area.
#include "controls/edit.h"
#include "host/ms_window_signals.h"
#include "platform/utf.h"
#include "window/window.h"

namespace HostWin {

gboolean MsWindow::Signals::ChildPosition(GtkOverlay*, GtkWidget* widget, GdkRectangle* out,
                                          gpointer) {
    auto* c = static_cast<Vcl::Layer*>(g_object_get_data(G_OBJECT(widget), "xui-control"));
    if (c) {
        Vcl::Rect r = c->rect;
        if (c->kind == Vcl::Kind::Edit) {
            r = r.inset(c->ml, c->mt, c->mr, c->mb);  // the edit's margins are the toolkit's
        }
        *out = GdkRectangle{r.x, r.y, std::max(r.width, 0), std::max(r.height, 0)};
        return TRUE;
    }
    auto* child = static_cast<MsWindow*>(g_object_get_data(G_OBJECT(widget), "xui-child-window"));
    if (child) {
        const Vcl::Rect& r = child->window_.rect;
        *out = GdkRectangle{r.x, r.y, std::max(r.width, 0), std::max(r.height, 0)};
        return TRUE;
    }
    return FALSE;
}

void MsWindow::applyGeometry(GtkWidget* ownerTop) {
    using namespace Vcl::StyleBits;
    const auto& s = window_.styles;
    GtkWindow* gw = GTK_WINDOW(top_);
    const int w = NativeSize(window_.rect.width), h = NativeSize(window_.rect.height);
    // "NC.CLIENT" replaces the system frame by the window's own controls.
    bool decorated = (s.style & Caption) == Caption && !frame_.custom();
    gtk_window_set_decorated(gw, decorated);
    if (s.style & ThickFrame) {
        gtk_window_set_default_size(gw, w, h);
    } else {
        // Without a sizing frame the user cannot resize; the toolkit sizes the
        // client area itself.
        gtk_window_set_resizable(gw, FALSE);
        gtk_widget_set_size_request(canvas_, w, h);
    }
    if (window_.minWidth > 0 || window_.minHeight > 0) {
        GdkGeometry g{};
        g.min_width = std::clamp(window_.minWidth, 0, 32767);
        g.min_height = std::clamp(window_.minHeight, 0, 32767);
        gtk_window_set_geometry_hints(gw, nullptr, &g, GDK_HINT_MIN_SIZE);
    }
    if (window_.isDialog) {
        gtk_window_set_type_hint(gw, GDK_WINDOW_TYPE_HINT_DIALOG);
    } else if (s.exStyle & ExToolWindow) {
        gtk_window_set_type_hint(gw, GDK_WINDOW_TYPE_HINT_UTILITY);
        gtk_window_set_skip_taskbar_hint(gw, TRUE);
    }
    if (ownerTop) {
        gtk_window_set_transient_for(gw, GTK_WINDOW(ownerTop));
    }
    if (s.topmost) {
        gtk_window_set_keep_above(gw, TRUE);
    }
    gtk_window_set_title(gw, zv::Utf16ToUtf8(window_.title).c_str());
    if (s.center) {
        placeCentered(ownerTop);
    } else {
        gtk_window_move(gw, window_.rect.x, window_.rect.y);
    }
}

void MsWindow::placeCentered(GtkWidget* ownerTop) {
    const int w = window_.rect.width, h = window_.rect.height;
    GdkRectangle area{0, 0, 0, 0};
    // A minimised owner does not count: the dialog goes to the screen then.
    bool ownerVisible =
        ownerTop && gtk_widget_get_visible(ownerTop) &&
        !(gtk_widget_get_window(ownerTop) &&
          (gdk_window_get_state(gtk_widget_get_window(ownerTop)) & GDK_WINDOW_STATE_ICONIFIED));
    if (ownerVisible) {
        int ox, oy, ow, oh;
        gtk_window_get_position(GTK_WINDOW(ownerTop), &ox, &oy);
        gtk_window_get_size(GTK_WINDOW(ownerTop), &ow, &oh);
        area = GdkRectangle{ox, oy, ow, oh};
    }
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
    if (!monitor && display) {
        monitor = gdk_display_get_monitor(display, 0);
    }
    GdkRectangle work{0, 0, 0, 0};
    if (monitor) {
        gdk_monitor_get_workarea(monitor, &work);
    }
    if (!ownerVisible) {
        area = work;
    }
    int x = area.x + (area.width - w) / 2;
    int y = area.y + (area.height - h) / 2;
    if (work.width > 0) {
        x = std::max(work.x, std::min(x, work.x + work.width - w));
        y = std::max(work.y, std::min(y, work.y + work.height - h));
    }
    window_.rect = Vcl::Rect{x, y, w, h};
    gtk_window_move(GTK_WINDOW(top_), x, y);
}

}  // namespace HostWin
