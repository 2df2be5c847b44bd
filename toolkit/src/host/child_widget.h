#pragma once
// A native child of one control (an edit's entry, a hosted area): destroyed
// with the control unless its window took it first. Signals are cut before
// the widget goes, so it never calls back into a control being destroyed.
#include <gtk/gtk.h>

#include <utility>

#include "controls/layer.h"

namespace HostWin {

class ChildWidget {
public:
    // `widget` is the outermost widget (the one placed over the window);
    // signals may be connected with the control as data on it and on
    // `inner` (the widget that takes keys, when it is another one).
    ChildWidget(GtkWidget* widget, Vcl::Layer* control, GtkWidget* inner = nullptr)
        : widget_(widget), inner_(inner ? inner : widget), control_(control) {
        g_object_set_data(G_OBJECT(widget_), "xui-control", control_);
    }
    ~ChildWidget() {
        if (widget_) {
            GtkWidget* doomed = std::exchange(widget_, nullptr);
            g_signal_handlers_disconnect_by_data(doomed, control_);
            if (inner_ != doomed) {
                g_signal_handlers_disconnect_by_data(inner_, control_);
            }
            g_object_set_data(G_OBJECT(doomed), "xui-control", nullptr);
            gtk_widget_destroy(doomed);
        }
    }
    ChildWidget(const ChildWidget&) = delete;
    ChildWidget& operator=(const ChildWidget&) = delete;
    GtkWidget* get() const { return widget_; }
    GtkWidget* inner() const { return inner_; }
    void abandon() { widget_ = nullptr; }

private:
    GtkWidget* widget_;
    GtkWidget* inner_;
    Vcl::Layer* control_;
};

}  // namespace HostWin
