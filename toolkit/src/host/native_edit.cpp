// The native entry of an Edit: a GtkEntry, or for "multiline" a GtkTextView
// in a scrolled window. Its keys are offered to the host first, its focus
// changes reach the edit, "number" keeps only digits (typed or pasted) and
// the text limit holds for both kinds.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "host/child_widget.h"
#include "host/keymap.h"
#include "host/native_children.h"
#include "platform/utf.h"

namespace HostWin {

namespace {

using namespace Vcl::EditStyle;

gboolean EditKey(GtkWidget*, GdkEventKey* e, gpointer self) {
    auto* edit = static_cast<Vcl::Edit*>(self);
    const bool pass = edit->offerKey(e->type == GDK_KEY_PRESS, VirtualKeyFromKeyval(e->keyval));
    return pass ? FALSE : TRUE;  // swallowed keys never reach the entry
}

gboolean EditFocus(GtkWidget*, GdkEventFocus* e, gpointer self) {
    static_cast<Vcl::Edit*>(self)->focusChanged(e->in != 0);
    return FALSE;
}

std::string Inserted(const gchar* text, gint length) {
    return length < 0 ? std::string(text) : std::string(text, static_cast<size_t>(length));
}

// Single line: "number" drops everything but digits from what is inserted
// (the entry keeps its own length limit).
void EntryInsert(GtkEditable* editable, const gchar* text, gint length, gint* position,
                 gpointer self) {
    const std::string in = Inserted(text, length);
    const std::string digits = Vcl::DigitsOnly(in);
    if (digits == in) {
        return;
    }
    g_signal_stop_emission_by_name(editable, "insert-text");
    if (!digits.empty()) {
        g_signal_handlers_block_by_func(editable, reinterpret_cast<gpointer>(EntryInsert), self);
        gtk_editable_insert_text(editable, digits.data(), static_cast<gint>(digits.size()),
                                 position);
        g_signal_handlers_unblock_by_func(editable, reinterpret_cast<gpointer>(EntryInsert), self);
    }
}

// Multiple lines: digits only for "number", and the text limit in
// characters.
void BufferInsert(GtkTextBuffer* buffer, GtkTextIter* at, gchar* text, gint length, gpointer self) {
    auto* edit = static_cast<Vcl::Edit*>(self);
    const std::string in = Inserted(text, length);
    std::string kept = (edit->style & Number) ? Vcl::DigitsOnly(in) : in;
    if (edit->maxLength > 0) {
        const long room =
            std::max(0L, long(edit->maxLength) - long(gtk_text_buffer_get_char_count(buffer)));
        if (g_utf8_strlen(kept.c_str(), -1) > room) {
            const char* end = g_utf8_offset_to_pointer(kept.c_str(), room);
            kept.resize(static_cast<size_t>(end - kept.c_str()));
        }
    }
    if (kept == in) {
        return;
    }
    g_signal_stop_emission_by_name(buffer, "insert-text");
    if (!kept.empty()) {
        g_signal_handlers_block_by_func(buffer, reinterpret_cast<gpointer>(BufferInsert), self);
        gtk_text_buffer_insert(buffer, at, kept.data(), static_cast<gint>(kept.size()));
        g_signal_handlers_unblock_by_func(buffer, reinterpret_cast<gpointer>(BufferInsert), self);
    }
}

class Entry : public Vcl::EditPeer {
public:
    Entry(GtkWidget* widget, Vcl::Edit* edit) : widget_(widget, edit), edit_(edit) {}
    // The host's own text is taken as it is, as native edits do.
    void setText(const std::u16string& text) override {
        GtkWidget* w = widget_.get();
        g_signal_handlers_block_by_func(w, reinterpret_cast<gpointer>(EntryInsert), edit_);
        gtk_entry_set_text(GTK_ENTRY(w), zv::Utf16ToUtf8(text).c_str());
        g_signal_handlers_unblock_by_func(w, reinterpret_cast<gpointer>(EntryInsert), edit_);
    }
    std::u16string text() const override {
        return zv::Utf8ToUtf16(gtk_entry_get_text(GTK_ENTRY(widget_.get())));
    }
    void setShown(bool shown) override { gtk_widget_set_visible(widget_.get(), shown); }
    GtkWidget* widget() const override { return widget_.get(); }
    void abandon() override { widget_.abandon(); }

private:
    ChildWidget widget_;
    Vcl::Edit* edit_;
};

class TextArea : public Vcl::EditPeer {
public:
    TextArea(GtkWidget* scroller, GtkWidget* view, Vcl::Edit* edit)
        : widget_(scroller, edit, view), edit_(edit) {}
    void setText(const std::u16string& text) override {
        GtkTextBuffer* b = buffer();
        g_signal_handlers_block_by_func(b, reinterpret_cast<gpointer>(BufferInsert), edit_);
        const std::string utf8 = zv::Utf16ToUtf8(text);
        gtk_text_buffer_set_text(b, utf8.data(), static_cast<gint>(utf8.size()));
        g_signal_handlers_unblock_by_func(b, reinterpret_cast<gpointer>(BufferInsert), edit_);
    }
    std::u16string text() const override {
        GtkTextIter start, end;
        gtk_text_buffer_get_bounds(buffer(), &start, &end);
        gchar* utf8 = gtk_text_buffer_get_text(buffer(), &start, &end, FALSE);
        std::u16string out = zv::Utf8ToUtf16(utf8 ? utf8 : "");
        g_free(utf8);
        return out;
    }
    void setShown(bool shown) override { gtk_widget_set_visible(widget_.get(), shown); }
    GtkWidget* widget() const override { return widget_.get(); }
    void abandon() override { widget_.abandon(); }

private:
    GtkTextBuffer* buffer() const {
        return gtk_text_view_get_buffer(GTK_TEXT_VIEW(widget_.inner()));
    }
    ChildWidget widget_;
    Vcl::Edit* edit_;
};

// Native edits paint their own opaque background, framed or not (the
// theme leaves unframed entries transparent).
void PaintOwnBackground(GtkWidget* w) {
    static GtkCssProvider* css = [] {
        GtkCssProvider* p = gtk_css_provider_new();
        gtk_css_provider_load_from_data(
            p, "entry, entry.flat, textview text { background-color: @theme_base_color; }", -1,
            nullptr);
        return p;
    }();
    gtk_style_context_add_provider(gtk_widget_get_style_context(w), GTK_STYLE_PROVIDER(css),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

// An edit with an edge colour is a field of that colour: the native entry
// inside takes it too, so the field reads as one surface and the focus
// colour as a ring around it.
void PaintFieldColour(GtkWidget* w, const Res::xColor& colour) {
    const uint32_t argb = colour.argb;
    char rule[200];
    std::snprintf(rule, sizeof rule,
                  "entry, entry.flat, textview text { background-color: rgb(%u,%u,%u); "
                  "border-color: transparent; box-shadow: none; }",
                  (argb >> 16) & 0xFFu, (argb >> 8) & 0xFFu, argb & 0xFFu);
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css, rule, -1, nullptr);
    // The style context keeps its own reference.
    gtk_style_context_add_provider(gtk_widget_get_style_context(w), GTK_STYLE_PROVIDER(css),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
    g_object_unref(css);
}

void ConnectInput(GtkWidget* w, Vcl::Edit& edit) {
    PaintOwnBackground(w);
    if (edit.edgeColor) {
        PaintFieldColour(w, *edit.edgeColor);
    }
    g_signal_connect(w, "key-press-event", G_CALLBACK(EditKey), &edit);
    g_signal_connect(w, "key-release-event", G_CALLBACK(EditKey), &edit);
    g_signal_connect(w, "focus-in-event", G_CALLBACK(EditFocus), &edit);
    g_signal_connect(w, "focus-out-event", G_CALLBACK(EditFocus), &edit);
    if (edit.font && edit.font->nativeFont) {
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        gtk_widget_override_font(w, edit.font->nativeFont);
        G_GNUC_END_IGNORE_DEPRECATIONS
    }
}

std::unique_ptr<Vcl::EditPeer> MakeEntry(Vcl::Edit& edit) {
    GtkWidget* entry = gtk_entry_new();
    auto peer = std::make_unique<Entry>(entry, &edit);
    gtk_entry_set_width_chars(GTK_ENTRY(entry), 1);
    gtk_entry_set_max_length(GTK_ENTRY(entry), std::max(edit.maxLength, 0));
    gtk_entry_set_has_frame(GTK_ENTRY(entry), (edit.exStyle & ExClientEdge) != 0);
    gtk_entry_set_visibility(GTK_ENTRY(entry), (edit.style & Password) ? FALSE : TRUE);
    gtk_editable_set_editable(GTK_EDITABLE(entry), (edit.style & ReadOnly) ? FALSE : TRUE);
    gtk_entry_set_text(GTK_ENTRY(entry), zv::Utf16ToUtf8(edit.initialText).c_str());
    if (edit.style & Number) {
        gtk_entry_set_input_purpose(GTK_ENTRY(entry), GTK_INPUT_PURPOSE_DIGITS);
        g_signal_connect(entry, "insert-text", G_CALLBACK(EntryInsert), &edit);
    }
    ConnectInput(entry, edit);
    return peer;
}

std::unique_ptr<Vcl::EditPeer> MakeTextArea(Vcl::Edit& edit) {
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    GtkWidget* view = gtk_text_view_new();
    gtk_container_add(GTK_CONTAINER(scroller), view);
    auto peer = std::make_unique<TextArea>(scroller, view, &edit);
    // No scroll bars of its own (the edit styles have none); the view still
    // scrolls to the cursor. Without "autohscroll" lines wrap.
    gtk_scrolled_window_set_policy(
        GTK_SCROLLED_WINDOW(scroller),
        (edit.style & AutoHScroll) ? GTK_POLICY_EXTERNAL : GTK_POLICY_NEVER, GTK_POLICY_EXTERNAL);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), (edit.exStyle & ExClientEdge)
                                                                           ? GTK_SHADOW_IN
                                                                           : GTK_SHADOW_NONE);
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view),
                                (edit.style & AutoHScroll) ? GTK_WRAP_NONE : GTK_WRAP_WORD_CHAR);
    const bool readOnly = (edit.style & ReadOnly) != 0;
    gtk_text_view_set_editable(GTK_TEXT_VIEW(view), readOnly ? FALSE : TRUE);
    gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(view), readOnly ? FALSE : TRUE);
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
    const std::string initial = zv::Utf16ToUtf8(edit.initialText);
    gtk_text_buffer_set_text(buffer, initial.data(), static_cast<gint>(initial.size()));
    g_signal_connect(buffer, "insert-text", G_CALLBACK(BufferInsert), &edit);
    ConnectInput(view, edit);
    gtk_widget_show(view);
    return peer;
}

}  // namespace

std::unique_ptr<Vcl::EditPeer> CreateEntry(Vcl::Edit& edit, GtkWidget* overlay) {
    auto peer = (edit.style & Multiline) ? MakeTextArea(edit) : MakeEntry(edit);
    GtkWidget* outer = peer->widget();
    gtk_overlay_add_overlay(GTK_OVERLAY(overlay), outer);
    gtk_widget_realize(outer);
    gtk_widget_set_visible(outer, edit.shown());
    return peer;
}

}  // namespace HostWin
