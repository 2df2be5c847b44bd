// The native children of a window: edits (GtkEntry) and hosted areas
// (windowed GtkFixed) laid over the window's drawing area.
#include <gtk/gtk.h>

#include "host/keymap.h"
#include "host/ms_window.h"
#include "platform/utf.h"
#include "window/window.h"
#include "zudoz.h"

namespace Vcl {

namespace {

gboolean EditKey(GtkWidget*, GdkEventKey* e, gpointer self) {
    auto* edit = static_cast<Edit*>(self);
    XuiKeyRecord record{xui::VirtualKeyFromKeyval(e->keyval), 1};
    edit->notify(edit, e->type == GDK_KEY_PRESS ? XUI_EVENT_KEYDOWN : XUI_EVENT_KEYUP, &record);
    return record.pass == 0;  // swallowed keys never reach the entry
}

gboolean EditFocus(GtkWidget*, GdkEventFocus* e, gpointer self) {
    auto* edit = static_cast<Edit*>(self);
    edit->focused = e->in != 0;
    if (edit->focusListener) {
        if (edit->focused) {
            edit->focusListener->focusGained(edit->name.c_str());
        } else {
            edit->focusListener->focusLost(edit->name.c_str());
        }
    }
    return FALSE;
}

gboolean RawDraw(GtkWidget* w, cairo_t* cr, gpointer self) {
    uint32_t c = static_cast<Rawwin*>(self)->color;  // 0x00BBGGRR
    cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                         ((c >> 16) & 0xFF) / 255.0);
    cairo_rectangle(cr, 0, 0, gtk_widget_get_allocated_width(w),
                    gtk_widget_get_allocated_height(w));
    cairo_fill(cr);
    return FALSE;
}

gboolean RawButton(GtkWidget* w, GdkEventButton* e, gpointer self) {
    auto* raw = static_cast<Rawwin*>(self);
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

void RawAllocated(GtkWidget* w, GdkRectangle* a, gpointer self) {
    auto* raw = static_cast<Rawwin*>(self);
    if (!raw->autoChildSize || !GTK_IS_CONTAINER(w)) {
        return;
    }
    GList* kids = gtk_container_get_children(GTK_CONTAINER(w));
    for (GList* l = kids; l; l = l->next) {
        gtk_widget_set_size_request(GTK_WIDGET(l->data), a->width, a->height);
        gtk_fixed_move(GTK_FIXED(w), GTK_WIDGET(l->data), 0, 0);
    }
    g_list_free(kids);
}

bool Shown(const Layer* c) {
    for (; c; c = c->parent) {
        if (!c->visible) {
            return false;
        }
    }
    return true;
}

// Detaches a native child from its control and destroys it.
void DestroyChildWidget(GtkWidget* widget, void* control) {
    g_signal_handlers_disconnect_by_data(widget, control);
    g_object_set_data(G_OBJECT(widget), "xui-control", nullptr);
    gtk_widget_destroy(widget);
}

}  // namespace

Edit::~Edit() {
    if (entry) {
        DestroyChildWidget(entry, this);
        entry = nullptr;
    }
}

void Edit::createNative(GtkWidget* overlay) {
    entry = gtk_entry_new();
    g_object_set_data(G_OBJECT(entry), "xui-control", static_cast<Layer*>(this));
    gtk_entry_set_width_chars(GTK_ENTRY(entry), 1);
    gtk_entry_set_max_length(GTK_ENTRY(entry), maxLength > 0 ? maxLength : 0);
    gtk_entry_set_has_frame(GTK_ENTRY(entry), (exStyle & 0x20000) != 0);
    if (style & 0x20) {
        gtk_entry_set_visibility(GTK_ENTRY(entry), FALSE);
    }
    if (style & 0x800) {
        gtk_editable_set_editable(GTK_EDITABLE(entry), FALSE);
    }
    if (style & 0x2000) {
        gtk_entry_set_input_purpose(GTK_ENTRY(entry), GTK_INPUT_PURPOSE_DIGITS);
    }
    if (font && font->nativeFont) {
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        gtk_widget_override_font(entry, font->nativeFont);
        G_GNUC_END_IGNORE_DEPRECATIONS
    }
    gtk_entry_set_text(GTK_ENTRY(entry), zv::Utf16ToUtf8(initialText).c_str());
    g_signal_connect(entry, "key-press-event", G_CALLBACK(EditKey), this);
    g_signal_connect(entry, "key-release-event", G_CALLBACK(EditKey), this);
    g_signal_connect(entry, "focus-in-event", G_CALLBACK(EditFocus), this);
    g_signal_connect(entry, "focus-out-event", G_CALLBACK(EditFocus), this);
    gtk_overlay_add_overlay(GTK_OVERLAY(overlay), entry);
    gtk_widget_realize(entry);
}

void Edit::setText(const std::u16string& t) {
    if (entry) {
        gtk_entry_set_text(GTK_ENTRY(entry), zv::Utf16ToUtf8(t).c_str());
    } else {
        initialText = t;
    }
}

std::u16string Edit::text() const {
    if (entry) {
        return zv::Utf8ToUtf16(gtk_entry_get_text(GTK_ENTRY(entry)));
    }
    return initialText;
}

void Edit::setVisible(int show) {
    Layer::setVisible(show);
    if (entry) {
        gtk_widget_set_visible(entry, Shown(this));
    }
}

void Rawwin::createNative(GtkWidget* overlay) {
    area = gtk_fixed_new();
    gtk_widget_set_has_window(area, TRUE);
    gtk_widget_set_can_focus(area, TRUE);
    g_object_set_data(G_OBJECT(area), "xui-control", static_cast<Layer*>(this));
    gtk_widget_set_name(area, title.empty() ? "xUI.Raw" : title.c_str());
    gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
    g_signal_connect(area, "draw", G_CALLBACK(RawDraw), this);
    g_signal_connect(area, "button-press-event", G_CALLBACK(RawButton), this);
    g_signal_connect(area, "button-release-event", G_CALLBACK(RawButton), this);
    g_signal_connect(area, "size-allocate", G_CALLBACK(RawAllocated), this);
    gtk_overlay_add_overlay(GTK_OVERLAY(overlay), area);
    gtk_widget_realize(area);
    // The host hands this window's id to other libraries (the video preview).
    gdk_window_ensure_native(gtk_widget_get_window(area));
}

GtkWidget* Rawwin::nativeHandle() const {
    return area;
}

void Rawwin::placed() {
    if (!area) {
        return;
    }
    if (window && window->native) {
        window->native->relayoutChildren();
    }
    notify(this, XUI_EVENT_RESIZED, nullptr);
}

void Rawwin::setVisible(int show) {
    Layer::setVisible(show);
    if (area) {
        gtk_widget_set_visible(area, Shown(this));
    }
}

Rawwin::~Rawwin() {
    if (area) {
        GtkWidget* doomed = area;
        area = nullptr;
        DestroyChildWidget(doomed, this);
    }
}

void Rawwin::destroyNative() {
    if (area) {
        GtkWidget* doomed = area;
        area = nullptr;
        gtk_widget_destroy(doomed);
    }
}

}  // namespace Vcl
