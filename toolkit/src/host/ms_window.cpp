#include "host/ms_window.h"

#include <gtk/gtk.h>

#include <algorithm>

#include "host/drop_paths.h"
#include "layout/layout.h"
#include "platform/trace.h"
#include "platform/utf.h"
#include "window/window.h"
#include "zudoz.h"

namespace HostWin {

namespace {

std::function<void(Vcl::Window&)>& DestroyedHook() {
    static std::function<void(Vcl::Window&)> hook;
    return hook;
}

constexpr unsigned kFirstPaintTimerId = 0xFF00FF00u;

// X11 sizes are 16-bit; descriptions may ask for anything.
int NativeSize(int v) {
    return std::clamp(v, 1, 32767);
}

// True when the control and every ancestor are visible.
bool Shown(const Vcl::Layer* c) {
    for (; c; c = c->parent) {
        if (!c->visible) {
            return false;
        }
    }
    return true;
}

void FillArgb(cairo_t* cr, uint32_t argb, int x, int y, int w, int h) {
    cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                          (argb & 0xFF) / 255.0, ((argb >> 24) & 0xFF) / 255.0);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

// Plain colour fills of the panels; full drawing is the painter's job.
void PaintFills(cairo_t* cr, const Vcl::TreeNode& node) {
    const Vcl::Layer* c = node.control.get();
    if (!c || !c->visible) {
        return;
    }
    if (auto* panel = dynamic_cast<const Vcl::Panel*>(c); panel && panel->color) {
        FillArgb(cr, panel->color->argb, c->x, c->y, c->width, c->height);
    }
    for (const auto& child : node.children) {
        PaintFills(cr, *child);
    }
}

}  // namespace

struct MsWindow::Callbacks {
    static gboolean Delete(GtkWidget*, GdkEvent*, gpointer self) {
        auto* me = static_cast<MsWindow*>(self);
        Vcl::Window& w = me->window_;
        if (w.isDialog) {
            // The system close of a dialog is its Cancel.
            w.command(2);
            return TRUE;
        }
        if (w.askClose() && me->top_) {
            me->destroy();
        }
        return TRUE;
    }

    static void Destroyed(GtkWidget* widget, gpointer self) {
        auto* me = static_cast<MsWindow*>(self);
        if (widget != me->top_) {
            return;
        }
        if (me->firstPaintTimer_) {
            g_source_remove(me->firstPaintTimer_);
            me->firstPaintTimer_ = 0;
        }
        for (const auto& [id, source] : me->timers_) {
            g_source_remove(source);
        }
        me->timers_.clear();
        if (me->window_.root) {
            me->forgetNativeChildren(*me->window_.root);
        }
        g_object_unref(me->top_);
        me->top_ = nullptr;
        me->overlay_ = nullptr;
        me->canvas_ = nullptr;
        me->clientWidth_ = me->clientHeight_ = -1;
        me->posX_ = me->posY_ = INT_MIN;
        if (me->modalLoop_) {
            g_main_loop_quit(me->modalLoop_);
        }
        if (DestroyedHook()) {
            DestroyedHook()(me->window_);
        }
    }

    static void CanvasAllocated(GtkWidget*, GdkRectangle* a, gpointer self) {
        static_cast<MsWindow*>(self)->clientAllocated(a->width, a->height);
    }

    static gboolean ChildPosition(GtkOverlay*, GtkWidget* widget, GdkRectangle* out, gpointer) {
        auto* c = static_cast<Vcl::Layer*>(g_object_get_data(G_OBJECT(widget), "xui-control"));
        if (c) {
            int x = c->x, y = c->y, w = c->width, h = c->height;
            if (c->kind == Vcl::KindEdit) {
                x += c->ml, y += c->mt, w -= c->ml + c->mr, h -= c->mt + c->mb;
            }
            *out = GdkRectangle{x, y, std::max(w, 0), std::max(h, 0)};
            return TRUE;
        }
        auto* child =
            static_cast<MsWindow*>(g_object_get_data(G_OBJECT(widget), "xui-child-window"));
        if (child) {
            const Vcl::Rect& r = child->window_.rect;
            *out = GdkRectangle{r.left, r.top, std::max(r.width(), 0), std::max(r.height(), 0)};
            return TRUE;
        }
        return FALSE;
    }

    static gboolean Configured(GtkWidget*, GdkEventConfigure* e, gpointer self) {
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

    static gboolean Draw(GtkWidget*, cairo_t* cr, gpointer self) {
        auto* me = static_cast<MsWindow*>(self);
        if (me->window_.root) {
            PaintFills(cr, *me->window_.root);
        }
        return FALSE;
    }

    static gboolean Pointer(GtkWidget* widget, GdkEvent* e, gpointer self) {
        auto* me = static_cast<MsWindow*>(self);
        Vcl::InputEvent in;
        switch (e->type) {
            case GDK_MOTION_NOTIFY:
                in = {Vcl::InputMove, int(e->motion.x), int(e->motion.y), 0};
                break;
            case GDK_BUTTON_PRESS:
                if (e->button.button == 1) {
                    gtk_widget_grab_focus(widget);
                }
                in = {e->button.button == 3 ? Vcl::InputRightPress : Vcl::InputPress,
                      int(e->button.x), int(e->button.y), 0};
                break;
            case GDK_2BUTTON_PRESS:
                in = {e->button.button == 3 ? Vcl::InputRightDoubleClick : Vcl::InputDoubleClick,
                      int(e->button.x), int(e->button.y), 0};
                break;
            case GDK_BUTTON_RELEASE:
                in = {e->button.button == 3 ? Vcl::InputRightRelease : Vcl::InputRelease,
                      int(e->button.x), int(e->button.y), 0};
                break;
            case GDK_LEAVE_NOTIFY:
                in = {Vcl::InputLeave, int(e->crossing.x), int(e->crossing.y), 0};
                break;
            case GDK_SCROLL: {
                int steps = e->scroll.direction == GDK_SCROLL_UP     ? 1
                            : e->scroll.direction == GDK_SCROLL_DOWN ? -1
                                                                     : 0;
                in = {Vcl::InputWheel, int(e->scroll.x), int(e->scroll.y), steps};
                break;
            }
            default:
                return FALSE;
        }
        me->window_.route(in);
        return TRUE;
    }

    static void Dropped(GtkWidget*, GdkDragContext* context, gint, gint, GtkSelectionData* data,
                        guint, guint time, gpointer self) {
        auto* me = static_cast<MsWindow*>(self);
        std::vector<std::string> uris;
        if (gchar** list = gtk_selection_data_get_uris(data)) {
            for (gchar** u = list; *u; ++u) {
                uris.emplace_back(*u);
            }
            g_strfreev(list);
        }
        std::vector<std::string> paths = xui::DroppedPaths(uris);
        gtk_drag_finish(context, !paths.empty(), FALSE, time);
        if (me->window_.dropHandler && !paths.empty()) {
            std::vector<const char*> pointers;
            for (const auto& p : paths) {
                pointers.push_back(p.c_str());
            }
            try {
                me->window_.dropHandler->dropped(pointers.data(),
                                                 static_cast<int>(pointers.size()));
            } catch (...) {
                ZV_TRACE("xui: drop handler threw; ignored");
            }
        }
    }

    static gboolean FocusOut(GtkWidget* widget, GdkEvent*, gpointer self) {
        if (static_cast<MsWindow*>(self)->window_.styles.autoHideOnFocusLoss) {
            gtk_widget_hide(widget);
        }
        return FALSE;
    }

    static gboolean Left(GtkWidget* widget, GdkEventCrossing* e, gpointer self) {
        if (e->detail != GDK_NOTIFY_INFERIOR &&
            static_cast<MsWindow*>(self)->window_.styles.autoHideOnMouseOut) {
            gtk_widget_hide(widget);
        }
        return FALSE;
    }

    static gboolean FirstPaint(gpointer self) {
        auto* me = static_cast<MsWindow*>(self);
        me->firstPaintTimer_ = 0;
        if (me->canvas_) {
            gtk_widget_queue_draw(me->canvas_);
        }
        unsigned id = kFirstPaintTimerId;
        me->window_.notify(&me->window_, XUI_EVENT_TIMER, &id);
        return G_SOURCE_REMOVE;
    }
};

namespace {

struct TimerTag {
    Vcl::Window* owner;
    unsigned id;
};

gboolean TimerFired(gpointer data) {
    auto* tag = static_cast<TimerTag*>(data);
    unsigned id = tag->id;
    // The host may kill this timer or destroy the window inside; the tag
    // stays valid until this dispatch returns.
    tag->owner->notify(tag->owner, XUI_EVENT_TIMER, &id);
    return G_SOURCE_CONTINUE;
}

}  // namespace

bool MsWindow::setTimer(unsigned id, unsigned ms) {
    if (!top_) {
        return false;
    }
    killTimer(id);
    auto* tag = new TimerTag{&window_, id};
    timers_[id] = g_timeout_add_full(G_PRIORITY_DEFAULT, ms, TimerFired, tag,
                                     [](gpointer p) { delete static_cast<TimerTag*>(p); });
    return true;
}

void MsWindow::killTimer(unsigned id) {
    auto it = timers_.find(id);
    if (it != timers_.end()) {
        g_source_remove(it->second);
        timers_.erase(it);
    }
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

void MsWindow::buildClient() {
    overlay_ = gtk_overlay_new();
    canvas_ = gtk_drawing_area_new();
    gtk_widget_set_can_focus(canvas_, TRUE);
    gtk_widget_add_events(canvas_, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK |
                                       GDK_BUTTON_RELEASE_MASK | GDK_SCROLL_MASK |
                                       GDK_LEAVE_NOTIFY_MASK | GDK_KEY_PRESS_MASK);
    gtk_container_add(GTK_CONTAINER(overlay_), canvas_);
    g_signal_connect(canvas_, "size-allocate", G_CALLBACK(Callbacks::CanvasAllocated), this);
    g_signal_connect(canvas_, "draw", G_CALLBACK(Callbacks::Draw), this);
    for (const char* signal : {"motion-notify-event", "button-press-event", "button-release-event",
                               "leave-notify-event", "scroll-event"}) {
        g_signal_connect(canvas_, signal, G_CALLBACK(Callbacks::Pointer), this);
    }
    g_signal_connect(overlay_, "get-child-position", G_CALLBACK(Callbacks::ChildPosition), this);
    if (window_.styles.exStyle & Vcl::StyleBits::ExAcceptFiles) {
        // Files only: the host is handed local paths.
        gtk_drag_dest_set(canvas_, GTK_DEST_DEFAULT_ALL, nullptr, 0, GDK_ACTION_COPY);
        gtk_drag_dest_add_uri_targets(canvas_);
        g_signal_connect(canvas_, "drag-data-received", G_CALLBACK(Callbacks::Dropped), this);
    }
    gtk_widget_show(canvas_);
    gtk_widget_show(overlay_);
}

void MsWindow::applyGeometry(GtkWidget* ownerTop) {
    using namespace Vcl::StyleBits;
    const auto& s = window_.styles;
    GtkWindow* gw = GTK_WINDOW(top_);
    const int w = NativeSize(window_.rect.width()), h = NativeSize(window_.rect.height());
    bool decorated = (s.style & Caption) == Caption && !window_.query("NC.CLIENT");
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
        gtk_window_move(gw, window_.rect.left, window_.rect.top);
    }
}

void MsWindow::placeCentered(GtkWidget* ownerTop) {
    const int w = window_.rect.width(), h = window_.rect.height();
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
    window_.rect = Vcl::Rect{x, y, x + w, y + h};
    gtk_window_move(GTK_WINDOW(top_), x, y);
}

bool MsWindow::create(MsWindow* owner, GtkWidget* activeOwner) {
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
        gtk_widget_set_size_request(canvas_, NativeSize(window_.rect.width()),
                                    NativeSize(window_.rect.height()));
    } else {
        top_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        g_object_ref_sink(top_);
        gtk_container_add(GTK_CONTAINER(top_), overlay_);
        GtkWidget* ownerTop =
            owner && owner->top_ && !owner->childWindow_ ? owner->top_ : activeOwner;
        applyGeometry(ownerTop);
        g_signal_connect(top_, "delete-event", G_CALLBACK(Callbacks::Delete), this);
        g_signal_connect(top_, "configure-event", G_CALLBACK(Callbacks::Configured), this);
        g_signal_connect(top_, "focus-out-event", G_CALLBACK(Callbacks::FocusOut), this);
        g_signal_connect(top_, "leave-notify-event", G_CALLBACK(Callbacks::Left), this);
    }
    g_signal_connect(top_, "destroy", G_CALLBACK(Callbacks::Destroyed), this);
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
    clientAllocated(NativeSize(window_.rect.width()), NativeSize(window_.rect.height()));
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
        edit->createNative(overlay_);
        gtk_widget_set_visible(edit->entry, Shown(edit));
    } else if (auto* raw = dynamic_cast<Vcl::Rawwin*>(c)) {
        raw->createNative(overlay_);
        gtk_widget_set_visible(raw->area, Shown(raw));
        raw->notify(raw, XUI_EVENT_RAW_CREATED, raw->area);
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
        window_.rect = Vcl::Rect{px, py, px + width, py + height};
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

int MsWindow::runModal(MsWindow* owner) {
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
    if (!top_ && !create(owner, active)) {
        return 0;
    }
    if (childWindow_) {
        return 0;  // a child window lives inside its owner and cannot run modal
    }
    gtk_window_set_modal(GTK_WINDOW(top_), TRUE);
    gtk_widget_show(top_);
    gtk_window_present(GTK_WINDOW(top_));
    firstPaintTimer_ = g_timeout_add(100, Callbacks::FirstPaint, this);
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
        // Hosted areas go before the dialog itself.
        std::function<void(Vcl::TreeNode&)> drop = [&](Vcl::TreeNode& n) {
            if (auto* raw = dynamic_cast<Vcl::Rawwin*>(n.control.get())) {
                raw->destroyNative();
            }
            for (auto& c : n.children) {
                drop(*c);
            }
        };
        drop(*window_.root);
    }
    if (modalLoop_) {
        g_main_loop_quit(modalLoop_);
    } else {
        destroy();
    }
}

}  // namespace HostWin
