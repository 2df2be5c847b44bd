// Modal runs of dialogs: a nested main loop until the dialog ends or its
// native window goes.
#include "controls/rawwin.h"
#include "host/ms_window_signals.h"
#include "window/window.h"
#include "zudoz.h"

namespace HostWin {

namespace {

// Timer id of the repaint a dialog asks for shortly after it is shown; the
// host hears it as a timer of the dialog. Chosen far from ids hosts use.
constexpr unsigned kFirstPaintTimerId = 0xFF00FF00u;

void DestroyAreas(Vcl::TreeNode& node) {
    if (auto* raw = dynamic_cast<Vcl::Rawwin*>(node.control.get())) {
        raw->destroyNative();
    }
    for (auto& child : node.children) {
        DestroyAreas(*child);
    }
}

}  // namespace

gboolean MsWindow::Signals::FirstPaint(gpointer self) {
    auto* me = static_cast<MsWindow*>(self);
    me->firstPaintTimer_ = 0;
    if (me->canvas_) {
        gtk_widget_queue_draw(me->canvas_);
    }
    unsigned id = kFirstPaintTimerId;
    me->window_.notify(&me->window_, XUI_EVENT_TIMER, &id);
    return G_SOURCE_REMOVE;
}

int MsWindow::runModal(Vcl::NativeWindow* ownerWindow) {
    auto* owner = static_cast<MsWindow*>(ownerWindow);
    if (modalLoop_) {
        return 0;  // already running: a second modal run of one window is refused
    }
    GtkWidget* active = nullptr;
    if (!owner) {
        // Without a parent the active window owns the dialog.
        GList* tops = gtk_window_list_toplevels();
        for (GList* l = tops; l && !active; l = l->next) {
            if (l->data != top_ && gtk_window_is_active(GTK_WINDOW(l->data))) {
                active = GTK_WIDGET(l->data);
            }
        }
        g_list_free(tops);
    }
    if (top_) {
        lookUpFrame();  // creation looks them up otherwise
    }
    if (!top_ && !createNative(owner, active)) {
        return 0;
    }
    if (childWindow_) {
        return 0;  // a child window lives inside its owner and cannot run modal
    }
    gtk_window_set_modal(GTK_WINDOW(top_), TRUE);
    gtk_widget_show(top_);
    gtk_window_present(GTK_WINDOW(top_));
    firstPaintTimer_ = g_timeout_add(100, Signals::FirstPaint, this);
    modalResult_ = 0;
    modalLoop_ = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(modalLoop_);
    g_main_loop_unref(modalLoop_);
    modalLoop_ = nullptr;
    destroy();
    return modalResult_;
}

void MsWindow::endDialog(int result) {
    modalResult_ = result;
    if (window_.root) {
        DestroyAreas(*window_.root);  // hosted areas go before the dialog itself
    }
    if (modalLoop_) {
        g_main_loop_quit(modalLoop_);
    } else {
        destroy();
    }
}

}  // namespace HostWin
