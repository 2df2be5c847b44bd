#include "host/native_children.h"

#include <gtk/gtk.h>

#include <utility>

#include "host/keymap.h"
#include "platform/utf.h"
#include "zudoz.h"

namespace HostWin {

namespace {

gboolean EditKey(GtkWidget*, GdkEventKey* e, gpointer self) {
    auto* edit = static_cast<Vcl::Edit*>(self);
    XuiKeyRecord record{VirtualKeyFromKeyval(e->keyval), 1};
    edit->notify(edit, e->type == GDK_KEY_PRESS ? XUI_EVENT_KEYDOWN : XUI_EVENT_KEYUP, &record);
    return record.pass == 0;  // swallowed keys never reach the entry
}

gboolean EditFocus(GtkWidget*, GdkEventFocus* e, gpointer self) {
    auto* edit = static_cast<Vcl::Edit*>(self);
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

gboolean AreaDraw(GtkWidget* w, cairo_t* cr, gpointer self) {
    uint32_t c = static_cast<Vcl::Rawwin*>(self)->color;  // 0x00BBGGRR
    cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                         ((c >> 16) & 0xFF) / 255.0);
    cairo_rectangle(cr, 0, 0, gtk_widget_get_allocated_width(w),
                    gtk_widget_get_allocated_height(w));
    cairo_fill(cr);
    return FALSE;
}

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

void AreaAllocated(GtkWidget* w, GdkRectangle* a, gpointer self) {
    auto* raw = static_cast<Vcl::Rawwin*>(self);
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

// A native child of one control: destroyed with the control unless its
// window took it first. Signals are cut before the widget goes, so it never
// calls back into a control that is being destroyed.
class ChildWidget {
public:
    ChildWidget(GtkWidget* widget, Vcl::Layer* control) : widget_(widget), control_(control) {
        g_object_set_data(G_OBJECT(widget_), "xui-control", control_);
    }
    ~ChildWidget() {
        if (widget_) {
            GtkWidget* doomed = std::exchange(widget_, nullptr);
            g_signal_handlers_disconnect_by_data(doomed, control_);
            g_object_set_data(G_OBJECT(doomed), "xui-control", nullptr);
            gtk_widget_destroy(doomed);
        }
    }
    ChildWidget(const ChildWidget&) = delete;
    ChildWidget& operator=(const ChildWidget&) = delete;
    GtkWidget* get() const { return widget_; }
    void abandon() { widget_ = nullptr; }

private:
    GtkWidget* widget_;
    Vcl::Layer* control_;
};

class Entry : public Vcl::EditPeer {
public:
    Entry(GtkWidget* widget, Vcl::Edit* edit) : widget_(widget, edit) {}
    void setText(const std::u16string& text) override {
        gtk_entry_set_text(GTK_ENTRY(widget_.get()), zv::Utf16ToUtf8(text).c_str());
    }
    std::u16string text() const override {
        return zv::Utf8ToUtf16(gtk_entry_get_text(GTK_ENTRY(widget_.get())));
    }
    void setShown(bool shown) override { gtk_widget_set_visible(widget_.get(), shown); }
    GtkWidget* widget() const override { return widget_.get(); }
    void abandon() override { widget_.abandon(); }

private:
    ChildWidget widget_;
};

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

std::unique_ptr<Vcl::EditPeer> CreateEntry(Vcl::Edit& edit, GtkWidget* overlay) {
    using namespace Vcl::EditStyle;
    GtkWidget* entry = gtk_entry_new();
    auto peer = std::make_unique<Entry>(entry, &edit);
    gtk_entry_set_width_chars(GTK_ENTRY(entry), 1);
    gtk_entry_set_max_length(GTK_ENTRY(entry), edit.maxLength > 0 ? edit.maxLength : 0);
    gtk_entry_set_has_frame(GTK_ENTRY(entry), (edit.exStyle & ExClientEdge) != 0);
    if (edit.style & Password) {
        gtk_entry_set_visibility(GTK_ENTRY(entry), FALSE);
    }
    if (edit.style & ReadOnly) {
        gtk_editable_set_editable(GTK_EDITABLE(entry), FALSE);
    }
    if (edit.style & Number) {
        gtk_entry_set_input_purpose(GTK_ENTRY(entry), GTK_INPUT_PURPOSE_DIGITS);
    }
    if (edit.font && edit.font->nativeFont) {
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        gtk_widget_override_font(entry, edit.font->nativeFont);
        G_GNUC_END_IGNORE_DEPRECATIONS
    }
    gtk_entry_set_text(GTK_ENTRY(entry), zv::Utf16ToUtf8(edit.initialText).c_str());
    g_signal_connect(entry, "key-press-event", G_CALLBACK(EditKey), &edit);
    g_signal_connect(entry, "key-release-event", G_CALLBACK(EditKey), &edit);
    g_signal_connect(entry, "focus-in-event", G_CALLBACK(EditFocus), &edit);
    g_signal_connect(entry, "focus-out-event", G_CALLBACK(EditFocus), &edit);
    gtk_overlay_add_overlay(GTK_OVERLAY(overlay), entry);
    gtk_widget_realize(entry);
    gtk_widget_set_visible(entry, edit.shown());
    return peer;
}

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
    g_signal_connect(area, "size-allocate", G_CALLBACK(AreaAllocated), &raw);
    gtk_overlay_add_overlay(GTK_OVERLAY(overlay), area);
    gtk_widget_realize(area);
    // The host hands this window's id to other libraries (the video preview).
    gdk_window_ensure_native(gtk_widget_get_window(area));
    gtk_widget_set_visible(area, raw.shown());
    return peer;
}

}  // namespace HostWin
