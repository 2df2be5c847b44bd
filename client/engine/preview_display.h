#pragma once
// The preview: a libobs display drawing the main view into a GTK widget's own
// X window. The display follows the widget's size in device pixels (twice
// the logical size on a scale-2 screen, so the picture is as sharp as the
// canvas allows) and the canvas is scaled into it (the window system would do that elsewhere; EGL
// surfaces take the window's size here). Destroyed with this object or when the widget is
// unrealized, whichever comes first.
#include <obs.h>

#include <atomic>
#include <cstdint>

typedef struct _GtkWidget GtkWidget;

namespace zv {

class PreviewDisplay {
public:
    // Null display when the widget has no own window or libobs refuses.
    PreviewDisplay(GtkWidget* widget, int canvasWidth, int canvasHeight);
    ~PreviewDisplay();
    PreviewDisplay(const PreviewDisplay&) = delete;
    PreviewDisplay& operator=(const PreviewDisplay&) = delete;

    obs_display_t* Get() const { return display_; }

    // Draw every `n`-th frame of the canvas (1: each one). The preview of a
    // broadcast follows the stream frame by frame; before going live half
    // the rate looks the same to the streamer and halves the rasteriser's
    // work, which on a machine without a GPU is most of an idle client's CPU.
    void SetFrameDivisor(int n) { divisor_.store(n < 1 ? 1 : n, std::memory_order_relaxed); }
    // Frames drawn into the window so far.
    uint64_t FramesDrawn() const { return drawn_.load(std::memory_order_relaxed); }

    // Background colour word (0x00BBGGRR) of the preview.
    static constexpr uint32_t kBackground = 0x654726;

private:
    static void Draw(void* param, uint32_t cx, uint32_t cy);
    // libobs's graphics thread, before it draws the displays of a frame.
    static void Tick(void* param, float seconds);
    static void OnSizeAllocate(GtkWidget* widget, void* allocation, void* self);
    static void OnScaleChanged(GtkWidget* widget, void* pspec, void* self);
    static void OnUnrealize(GtkWidget* widget, void* self);
    void Destroy();

    GtkWidget* widget_ = nullptr;  // weak: cleared when the widget goes
    unsigned long sizeHandler_ = 0;
    unsigned long scaleHandler_ = 0;
    unsigned long unrealizeHandler_ = 0;
    obs_display_t* display_ = nullptr;
    // Written before the display exists, read by libobs's graphics thread.
    const int canvasWidth_;
    const int canvasHeight_;
    std::atomic<int> divisor_{1};
    std::atomic<uint64_t> drawn_{0};
    uint64_t ticks_ = 0;  // graphics thread only
};

}  // namespace zv
