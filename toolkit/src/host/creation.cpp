// Creating and destroying the native window and its native children, and
// following its client size.
#include "host/ms_window.h"

#include <algorithm>

#include "controls/edit.h"
#include "controls/rawwin.h"
#include "host/ms_window_signals.h"
#include "host/native_children.h"
#include "platform/trace.h"
#include "window/window.h"
#include "zudoz.h"

namespace HostWin {

namespace {

std::function<void(Vcl::Window&)>& DestroyedHook() {
    static std::function<void(Vcl::Window&)> hook;
    return hook;
}

}  // namespace

int NativeSize(int v) {
    return std::clamp(v, 1, 32767);
}

gboolean MsWindow::Signals::Delete(GtkWidget*, GdkEvent*, gpointer self) {
    static_cast<MsWindow*>(self)->requestClose();
    return TRUE;
}

void MsWindow::Signals::Destroyed(GtkWidget* widget, gpointer self) {
    auto* me = static_cast<MsWindow*>(self);
    if (widget == me->top_) {
        me->nativeGone();
    }
}

void MsWindow::Signals::CanvasAllocated(GtkWidget*, GdkRectangle* a, gpointer self) {
    static_cast<MsWindow*>(self)->clientAllocated(a->width, a->height);
}

gboolean MsWindow::Signals::Configured(GtkWidget*, GdkEventConfigure* e, gpointer self) {
    auto* me = static_cast<MsWindow*>(self);
    if (e->x != me->posX_ || e->y != me->posY_) {
        bool first = me->posX_ == INT_MIN;
        me->posX_ = e->x;
        me->posY_ = e->y;
        if (!first) {
            me->window_.notify(&me->window_, XUI_EVENT_MOVED, &me->window_);
        }
    }
    return FALSE;
}

// Auto-hide is a hide by the window itself: its visible state follows and
// the host hears XUI_EVENT_SHOW. Focus moving inside the window (into one of
// its edits) is no loss: the toplevel only hears of focus leaving it.
gboolean MsWindow::Signals::FocusOut(GtkWidget* top, GdkEvent*, gpointer self) {
    Vcl::Window& w = static_cast<MsWindow*>(self)->window_;
    if (w.styles.autoHideOnFocusLoss && gtk_widget_get_visible(top)) {
        w.setVisible(0);
    }
    return FALSE;
}

gboolean MsWindow::Signals::Left(GtkWidget* top, GdkEventCrossing* e, gpointer self) {
    Vcl::Window& w = static_cast<MsWindow*>(self)->window_;
    // Into one of its own windows, or a grab's bookkeeping: still inside.
    if (e->detail == GDK_NOTIFY_INFERIOR || e->mode != GDK_CROSSING_NORMAL) {
        return FALSE;
    }
    if (w.styles.autoHideOnMouseOut && gtk_widget_get_visible(top)) {
        w.setVisible(0);
    }
    return FALSE;
}

void MsWindow::SetDestroyedHook(std::function<void(Vcl::Window&)> hook) {
    DestroyedHook() = std::move(hook);
}

MsWindow::MsWindow(Vcl::Window& window) : window_(window) {}

MsWindow::~MsWindow() {
    if (modalLoop_) {
        g_main_loop_quit(modalLoop_);
    }
    destroy();
}

void MsWindow::nativeGone() {
    if (firstPaintTimer_) {
        g_source_remove(firstPaintTimer_);
        firstPaintTimer_ = 0;
    }
    stopTimers();
    if (window_.root) {
        forgetNativeChildren(*window_.root);
    }
    g_object_unref(top_);
    top_ = nullptr;
    overlay_ = nullptr;
    canvas_ = nullptr;
    clientWidth_ = clientHeight_ = -1;
    posX_ = posY_ = INT_MIN;
    frozen_ = false;
    tipOwner_ = Vcl::ControlRef();
    tipText_.clear();
    frameButtons_ = Vcl::FrameButtons();
    window_.resetInput();
    if (modalLoop_) {
        g_main_loop_quit(modalLoop_);
    }
    if (DestroyedHook()) {
        DestroyedHook()(window_);
    }
}

void MsWindow::buildClient() {
    overlay_ = gtk_overlay_new();
    canvas_ = gtk_drawing_area_new();
    gtk_widget_set_can_focus(canvas_, TRUE);
    gtk_widget_add_events(canvas_, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK |
                                       GDK_BUTTON_RELEASE_MASK | GDK_SCROLL_MASK |
                                       GDK_SMOOTH_SCROLL_MASK | GDK_LEAVE_NOTIFY_MASK |
                                       GDK_KEY_PRESS_MASK);
    gtk_widget_set_has_tooltip(canvas_, TRUE);
    g_signal_connect(canvas_, "query-tooltip", G_CALLBACK(Signals::QueryTooltip), this);
    gtk_container_add(GTK_CONTAINER(overlay_), canvas_);
    g_signal_connect(canvas_, "size-allocate", G_CALLBACK(Signals::CanvasAllocated), this);
    g_signal_connect(canvas_, "draw", G_CALLBACK(Signals::Draw), this);
    g_signal_connect(canvas_, "notify::scale-factor", G_CALLBACK(Signals::ScaleChanged), this);
    for (const char* signal : {"motion-notify-event", "button-press-event", "button-release-event",
                               "leave-notify-event", "scroll-event"}) {
        g_signal_connect(canvas_, signal, G_CALLBACK(Signals::Pointer), this);
    }
    g_signal_connect(overlay_, "get-child-position", G_CALLBACK(Signals::ChildPosition), this);
    if (window_.styles.exStyle & Vcl::StyleBits::ExAcceptFiles) {
        // Files only: the host is handed local paths.
        gtk_drag_dest_set(canvas_, GTK_DEST_DEFAULT_ALL, nullptr, 0, GDK_ACTION_COPY);
        gtk_drag_dest_add_uri_targets(canvas_);
        g_signal_connect(canvas_, "drag-data-received", G_CALLBACK(Signals::Dropped), this);
    }
    gtk_widget_show(canvas_);
    gtk_widget_show(overlay_);
}

bool MsWindow::create(Vcl::NativeWindow* owner) {
    return createNative(static_cast<MsWindow*>(owner), nullptr);
}

bool MsWindow::createNative(MsWindow* owner, GtkWidget* activeOwner) {
    if (top_) {
        return true;
    }
    if (!gdk_display_get_default()) {
        return false;
    }
    using namespace Vcl::StyleBits;
    childWindow_ = !window_.isDialog && (window_.styles.style & Child) != 0;
    if (childWindow_ && (!owner || !owner->overlay_)) {
        ZV_TRACE("xui: child window %s needs an owner window", window_.name.c_str());
        return false;
    }
    lookUpFrame();
    buildClient();
    if (childWindow_) {
        // A child window lives inside its owner's client area, over the
        // owner's own drawing, with a native window of its own.
        top_ = gtk_event_box_new();
        gtk_event_box_set_visible_window(GTK_EVENT_BOX(top_), TRUE);
        gtk_container_add(GTK_CONTAINER(top_), overlay_);
        g_object_set_data(G_OBJECT(top_), "xui-child-window", this);
        g_object_ref_sink(top_);
        gtk_overlay_add_overlay(GTK_OVERLAY(owner->overlay_), top_);
        gtk_widget_set_size_request(canvas_, NativeSize(window_.rect.width),
                                    NativeSize(window_.rect.height));
    } else {
        top_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        g_object_ref_sink(top_);
        gtk_container_add(GTK_CONTAINER(top_), overlay_);
        GtkWidget* ownerTop =
            owner && owner->top_ && !owner->childWindow_ ? owner->top_ : activeOwner;
        applyGeometry(ownerTop);
        g_signal_connect(top_, "delete-event", G_CALLBACK(Signals::Delete), this);
        g_signal_connect(top_, "configure-event", G_CALLBACK(Signals::Configured), this);
        g_signal_connect(top_, "focus-out-event", G_CALLBACK(Signals::FocusOut), this);
        g_signal_connect(top_, "leave-notify-event", G_CALLBACK(Signals::Left), this);
    }
    g_signal_connect(top_, "destroy", G_CALLBACK(Signals::Destroyed), this);
    // A new top-level window has the keyboard itself first, not its first
    // edit; a child window leaves its owner's focus alone.
    if (!childWindow_) {
        gtk_widget_grab_focus(canvas_);
    }
    reported_ = false;
    gtk_widget_realize(top_);
    if (window_.root) {
        createNativeChildren(*window_.root);
    }
    if (!top_) {
        return false;  // the host destroyed it while hearing of its children
    }
    window_.notify(&window_, XUI_EVENT_CREATED, top_);
    if (!top_) {
        return false;
    }
    reported_ = true;
    // Lay out at the described client size at once, as the native creation
    // does; the first allocation of the same size then changes nothing.
    clientAllocated(NativeSize(window_.rect.width), NativeSize(window_.rect.height));
    if (top_ && (window_.styles.style & Visible)) {
        window_.setVisible(1);
    }
    return top_ != nullptr;
}

void MsWindow::createNativeChildren(Vcl::TreeNode& node) {
    Vcl::Layer* c = node.control.get();
    if (!c || !top_) {
        return;
    }
    if (auto* edit = dynamic_cast<Vcl::Edit*>(c)) {
        edit->attach(CreateEntry(*edit, overlay_));
    } else if (auto* raw = dynamic_cast<Vcl::Rawwin*>(c)) {
        raw->attach(CreateArea(*raw, overlay_));
        raw->notify(raw, XUI_EVENT_RAW_CREATED, raw->area());
    }
    for (auto& child : node.children) {
        createNativeChildren(*child);
    }
}

void MsWindow::forgetNativeChildren(Vcl::TreeNode& node) {
    if (auto* edit = dynamic_cast<Vcl::Edit*>(node.control.get())) {
        edit->nativeDestroyed();
    } else if (auto* raw = dynamic_cast<Vcl::Rawwin*>(node.control.get())) {
        raw->nativeDestroyed();
    }
    for (auto& child : node.children) {
        forgetNativeChildren(*child);
    }
}

void MsWindow::clientAllocated(int width, int height) {
    if (!top_ || !reported_ || (width == clientWidth_ && height == clientHeight_)) {
        return;
    }
    clientWidth_ = width;
    clientHeight_ = height;
    if (!childWindow_) {
        int px, py;
        gtk_window_get_position(GTK_WINDOW(top_), &px, &py);
        window_.rect = Vcl::Rect{px, py, width, height};
    }
    inAllocation_ = true;
    window_.clientResized(width, height);
    inAllocation_ = false;
    if (canvas_) {
        gtk_widget_queue_draw(canvas_);
    }
    if (overlay_) {
        gtk_widget_queue_allocate(overlay_);
    }
}

void MsWindow::relayoutChildren() {
    if (overlay_ && !inAllocation_) {
        gtk_widget_queue_allocate(overlay_);
    }
}

void MsWindow::invalidate(const Vcl::Rect& area) {
    if (frozen_) {
        return;  // thawing repaints everything
    }
    const Vcl::Rect visible = area.intersect(Vcl::Rect{0, 0, clientWidth_, clientHeight_});
    if (canvas_ && !visible.empty()) {
        gtk_widget_queue_draw_area(canvas_, visible.x, visible.y, visible.width, visible.height);
    }
}

void MsWindow::show(bool visible) {
    if (!top_) {
        return;
    }
    if (visible) {
        gtk_widget_show(top_);
    } else {
        gtk_widget_hide(top_);
    }
}

void MsWindow::destroy() {
    if (top_) {
        gtk_widget_destroy(top_);  // "destroy" clears the pointers
    }
}

}  // namespace HostWin

namespace Vcl {

std::unique_ptr<NativeWindow> CreateNativeWindow(Window& window) {
    return std::make_unique<HostWin::MsWindow>(window);
}

}  // namespace Vcl
