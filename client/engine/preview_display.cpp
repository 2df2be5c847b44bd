#include "preview_display.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <algorithm>

#include "platform/trace.h"

namespace zv {

namespace {

// The widget's size in device pixels: its X window, which the display's EGL
// surface covers, is that large on a high-density screen.
void DeviceSize(GtkWidget* widget, int& cx, int& cy) {
    const int scale = std::max(gtk_widget_get_scale_factor(widget), 1);
    cx = gtk_widget_get_allocated_width(widget) * scale;
    cy = gtk_widget_get_allocated_height(widget) * scale;
}

}  // namespace

PreviewDisplay::PreviewDisplay(GtkWidget* widget, int canvasWidth, int canvasHeight)
    : canvasWidth_(canvasWidth), canvasHeight_(canvasHeight) {
    if (!widget)
        return;
    if (!gtk_widget_get_has_window(widget)) {
        ZV_TRACE("engine: preview widget has no window of its own; no preview");
        return;
    }
    gtk_widget_realize(widget);
    GdkWindow* window = gtk_widget_get_window(widget);
    if (!window || !GDK_IS_X11_WINDOW(window) || !gdk_window_ensure_native(window)) {
        ZV_TRACE("engine: preview widget has no native X11 window; no preview");
        return;
    }
    // The window must exist on the server before another connection uses it.
    gdk_display_sync(gtk_widget_get_display(widget));

    int cx = 0, cy = 0;
    DeviceSize(widget, cx, cy);
    if (cx <= 1 || cy <= 1) {
        cx = canvasWidth;
        cy = canvasHeight;
    }
    gs_init_data init = {};
    init.window.id = static_cast<uint32_t>(gdk_x11_window_get_xid(window));
    init.window.display = nullptr;  // libobs uses its own Display
    init.cx = static_cast<uint32_t>(cx);
    init.cy = static_cast<uint32_t>(cy);
    init.num_backbuffers = 0;
    init.format = GS_RGBA;
    init.zsformat = GS_ZS_NONE;
    init.adapter = 0;
    display_ = obs_display_create(&init, kBackground);
    if (!display_) {
        ZV_TRACE("engine: obs_display_create failed");
        return;
    }
    obs_display_set_background_color(display_, kBackground);
    obs_display_add_draw_callback(display_, &PreviewDisplay::Draw, this);
    obs_add_tick_callback(&PreviewDisplay::Tick, this);

    widget_ = widget;
    g_object_add_weak_pointer(G_OBJECT(widget_), reinterpret_cast<gpointer*>(&widget_));
    sizeHandler_ = g_signal_connect(widget_, "size-allocate",
                                    G_CALLBACK(&PreviewDisplay::OnSizeAllocate), this);
    // Moved to a screen of another scale: same logical size, other pixels.
    scaleHandler_ = g_signal_connect(widget_, "notify::scale-factor",
                                     G_CALLBACK(&PreviewDisplay::OnScaleChanged), this);
    unrealizeHandler_ =
        g_signal_connect(widget_, "unrealize", G_CALLBACK(&PreviewDisplay::OnUnrealize), this);
}

PreviewDisplay::~PreviewDisplay() {
    Destroy();
}

void PreviewDisplay::Destroy() {
    if (widget_) {
        g_signal_handler_disconnect(widget_, sizeHandler_);
        g_signal_handler_disconnect(widget_, scaleHandler_);
        g_signal_handler_disconnect(widget_, unrealizeHandler_);
        g_object_remove_weak_pointer(G_OBJECT(widget_), reinterpret_cast<gpointer*>(&widget_));
        widget_ = nullptr;
    }
    if (display_) {
        // Returns once no tick is running: libobs calls ticks under the
        // lock that removal takes.
        obs_remove_tick_callback(&PreviewDisplay::Tick, this);
        obs_display_remove_draw_callback(display_, &PreviewDisplay::Draw, this);
        obs_display_destroy(display_);
        display_ = nullptr;
    }
}

void PreviewDisplay::Tick(void* param, float /*seconds*/) {
    auto* self = static_cast<PreviewDisplay*>(param);
    // Ticks and display drawing share the graphics thread, so the flag is
    // read by the same thread right after: a skipped frame costs nothing,
    // not even the swap, and the window keeps the picture drawn last.
    const int divisor = self->divisor_.load(std::memory_order_relaxed);
    obs_display_set_enabled(self->display_, self->ticks_++ % static_cast<uint64_t>(divisor) == 0);
}

void PreviewDisplay::Draw(void* param, uint32_t cx, uint32_t cy) {
    auto* self = static_cast<PreviewDisplay*>(param);
    self->drawn_.fetch_add(1, std::memory_order_relaxed);
    // Scale the whole canvas into the display, like the described swap chain
    // of canvas size presented into a window of any size.
    gs_projection_push();
    gs_viewport_push();
    gs_ortho(0.0f, static_cast<float>(self->canvasWidth_), 0.0f,
             static_cast<float>(self->canvasHeight_), -100.0f, 100.0f);
    gs_set_viewport(0, 0, static_cast<int>(cx), static_cast<int>(cy));
    obs_render_main_texture();
    gs_viewport_pop();
    gs_projection_pop();
}

void PreviewDisplay::OnSizeAllocate(GtkWidget* widget, void* /*allocation*/, void* self) {
    auto* preview = static_cast<PreviewDisplay*>(self);
    int cx = 0, cy = 0;
    DeviceSize(widget, cx, cy);
    if (preview->display_ && cx > 0 && cy > 0) {
        obs_display_resize(preview->display_, static_cast<uint32_t>(cx), static_cast<uint32_t>(cy));
    }
}

void PreviewDisplay::OnScaleChanged(GtkWidget* widget, void* /*pspec*/, void* self) {
    OnSizeAllocate(widget, nullptr, self);
}

void PreviewDisplay::OnUnrealize(GtkWidget* /*widget*/, void* self) {
    // The X window is about to go; the display must not draw into it anymore.
    static_cast<PreviewDisplay*>(self)->Destroy();
}

}  // namespace zv
