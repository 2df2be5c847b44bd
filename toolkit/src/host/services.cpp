// What controls and exports ask of the native window besides painting:
// the tooltip, placement for drag handles, screen coordinates, and
// redrawing held back during batches of changes.
#include <algorithm>

#include "host/ms_window_signals.h"
#include "platform/utf.h"
#include "window/window.h"

namespace HostWin {

namespace {

// A tip is at most this many UTF-16 units, and this many pixels wide.
constexpr size_t kTipUnits = 255;
constexpr int kTipMaxWidth = 600;

}  // namespace

gboolean MsWindow::Signals::QueryTooltip(GtkWidget*, gint x, gint y, gboolean, GtkTooltip* tip,
                                         gpointer self) {
    return static_cast<MsWindow*>(self)->queryTip(x, y, tip) ? TRUE : FALSE;
}

bool MsWindow::queryTip(int x, int y, GtkTooltip* tooltip) {
    Vcl::Layer* c = tipOwner_.get();
    if (!c || tipText_.empty() || !c->shown() || !c->contains(x, y)) {
        return false;
    }
    GtkWidget* label = gtk_label_new(tipText_.c_str());
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    // A wrapping label is as wide as its text, up to its widest line in
    // average characters: that many as fit the tip's width.
    PangoFontMetrics* m =
        pango_context_get_metrics(gtk_widget_get_pango_context(label), nullptr, nullptr);
    const int charWidth = std::max(pango_font_metrics_get_approximate_char_width(m),
                                   pango_font_metrics_get_approximate_digit_width(m)) /
                          PANGO_SCALE;
    pango_font_metrics_unref(m);
    gtk_label_set_max_width_chars(GTK_LABEL(label), kTipMaxWidth / std::max(charWidth, 1));
    gtk_tooltip_set_custom(tooltip, label);
    GdkRectangle area{c->rect.x, c->rect.y, c->rect.width, c->rect.height};
    gtk_tooltip_set_tip_area(tooltip, &area);
    return true;
}

void MsWindow::showTip(Vcl::Layer& control, const std::u16string& text) {
    std::u16string cut = text.substr(0, kTipUnits);
    if (!cut.empty() && cut.size() < text.size() && (cut.back() & 0xFC00) == 0xD800) {
        cut.pop_back();  // half a surrogate pair would show as a broken character
    }
    const std::string utf8 = zv::Utf16ToUtf8(cut);
    if (tipOwner_.is(&control) && tipText_ == utf8) {
        return;
    }
    tipOwner_ = control.ref();
    tipText_ = utf8;
    if (canvas_) {
        gtk_widget_trigger_tooltip_query(canvas_);
    }
}

void MsWindow::hideTip(Vcl::Layer& control) {
    if (!tipOwner_.is(&control)) {
        return;
    }
    tipOwner_ = Vcl::ControlRef();
    tipText_.clear();
    if (canvas_) {
        gtk_widget_trigger_tooltip_query(canvas_);
    }
}

bool MsWindow::windowPosition(int& x, int& y, Vcl::Rect& bounds) const {
    if (!top_) {
        return false;
    }
    if (childWindow_) {
        // Inside the owner's client area, which bounds it.
        x = window_.rect.x;
        y = window_.rect.y;
        GtkWidget* parent = gtk_widget_get_parent(top_);
        bounds = parent ? Vcl::Rect{0, 0, gtk_widget_get_allocated_width(parent),
                                    gtk_widget_get_allocated_height(parent)}
                        : Vcl::Rect{};
        return true;
    }
    gtk_window_get_position(GTK_WINDOW(top_), &x, &y);
    bounds = Vcl::Rect{};
    return true;
}

void MsWindow::moveWindow(int x, int y) {
    if (!top_) {
        return;
    }
    if (childWindow_) {
        window_.rect.x = x;
        window_.rect.y = y;
        if (GtkWidget* parent = gtk_widget_get_parent(top_)) {
            gtk_widget_queue_allocate(parent);
        }
        return;
    }
    gtk_window_move(GTK_WINDOW(top_), x, y);
}

bool MsWindow::cursorPosition(int& x, int& y) const {
    GdkDisplay* display = gdk_display_get_default();
    GdkSeat* seat = display ? gdk_display_get_default_seat(display) : nullptr;
    GdkDevice* pointer = seat ? gdk_seat_get_pointer(seat) : nullptr;
    if (!pointer) {
        return false;
    }
    gdk_device_get_position(pointer, nullptr, &x, &y);
    return true;
}

bool MsWindow::clientToScreen(int& x, int& y) const {
    GdkWindow* w = canvas_ ? gtk_widget_get_window(canvas_) : nullptr;
    if (!w) {
        return false;
    }
    int ox = 0, oy = 0;
    gdk_window_get_origin(w, &ox, &oy);
    x += ox;
    y += oy;
    return true;
}

void MsWindow::freezeRedraw(bool frozen) {
    frozen_ = frozen;
    if (frozen || !top_) {
        return;
    }
    // Everything changed meanwhile is laid out and shown in one go.
    window_.relayout(window_);
    if (canvas_) {
        gtk_widget_queue_draw(canvas_);
    }
}

}  // namespace HostWin
