// The hosted area of a Rawwin: a windowed GtkFixed with a GDK window of its
// own (native once a library asks for its X window id), for the host's video
// preview and web pages.
#include <algorithm>

#include "host/child_widget.h"
#include "host/native_children.h"
#include "zudoz.h"

namespace HostWin {

namespace {

gboolean AreaDraw(GtkWidget* w, cairo_t* cr, gpointer self) {
    uint32_t c = static_cast<Vcl::Rawwin*>(self)->color;  // 0x00BBGGRR
    cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                         ((c >> 16) & 0xFF) / 255.0);
    cairo_rectangle(cr, 0, 0, gtk_widget_get_allocated_width(w),
                    gtk_widget_get_allocated_height(w));
    cairo_fill(cr);
    return FALSE;
}

// Clicks on the area are the Rawwin's, wherever in the area they land.
gboolean AreaButton(GtkWidget* w, GdkEventButton* e, gpointer self) {
    auto* raw = static_cast<Vcl::Rawwin*>(self);
    if (e->type == GDK_BUTTON_PRESS && (e->button == 1 || e->button == 3)) {
        gtk_widget_grab_focus(w);
    } else if (e->type == GDK_2BUTTON_PRESS && e->button == 1) {
        raw->notify(raw, XUI_EVENT_DBLCLICK, nullptr);
    } else if (e->type == GDK_BUTTON_RELEASE && e->button == 1) {
        raw->notify(raw, XUI_EVENT_CLICK, nullptr);
    } else if (e->type == GDK_BUTTON_RELEASE && e->button == 3) {
        raw->notify(raw, XUI_EVENT_RCLICK, nullptr);
    }
    return FALSE;
}

// "autochildsize": after the area placed its children at their own size,
// each visible one is given the whole area. Allocating directly (rather
// than asking for a size) keeps the area free to shrink.
void AreaAllocated(GtkWidget* w, GdkRectangle* a, gpointer self) {
    if (!static_cast<Vcl::Rawwin*>(self)->autoChildSize) {
        return;
    }
    GList* kids = gtk_container_get_children(GTK_CONTAINER(w));
    for (GList* l = kids; l; l = l->next) {
        GtkWidget* kid = GTK_WIDGET(l->data);
        if (!gtk_widget_get_visible(kid)) {
            continue;
        }
        gtk_fixed_move(GTK_FIXED(w), kid, 0, 0);
        int minW = 0, minH = 0;
        gtk_widget_get_preferred_width(kid, &minW, nullptr);
        gtk_widget_get_preferred_height(kid, &minH, nullptr);
        GdkRectangle full{0, 0, std::max(a->width, minW), std::max(a->height, minH)};
        if (!gtk_widget_get_has_window(w)) {
            full.x = a->x;
            full.y = a->y;
        }
        gtk_widget_size_allocate(kid, &full);
    }
    g_list_free(kids);
}

class Area : public Vcl::AreaPeer {
public:
    Area(GtkWidget* widget, Vcl::Rawwin* raw) : widget_(widget, raw) {}
    GtkWidget* widget() const override { return widget_.get(); }
    void setShown(bool shown) override { gtk_widget_set_visible(widget_.get(), shown); }
    void abandon() override { widget_.abandon(); }

private:
    ChildWidget widget_;
};

}  // namespace

std::unique_ptr<Vcl::AreaPeer> CreateArea(Vcl::Rawwin& raw, GtkWidget* overlay) {
    GtkWidget* area = gtk_fixed_new();
    auto peer = std::make_unique<Area>(area, &raw);
    gtk_widget_set_has_window(area, TRUE);
    gtk_widget_set_can_focus(area, TRUE);
    gtk_widget_set_name(area, raw.title.empty() ? "xUI.Raw" : raw.title.c_str());
    gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
    g_signal_connect(area, "draw", G_CALLBACK(AreaDraw), &raw);
    g_signal_connect(area, "button-press-event", G_CALLBACK(AreaButton), &raw);
    g_signal_connect(area, "button-release-event", G_CALLBACK(AreaButton), &raw);
    g_signal_connect_after(area, "size-allocate", G_CALLBACK(AreaAllocated), &raw);
    gtk_overlay_add_overlay(GTK_OVERLAY(overlay), area);
    gtk_widget_realize(area);
    // The area's window stays GDK's own until a library asks for an X
    // window id (the video preview makes it native then): WebKit's pages
    // drawn without its GL compositor stay blank in a native area.
    gtk_widget_set_visible(area, raw.shown());
    return peer;
}

}  // namespace HostWin
