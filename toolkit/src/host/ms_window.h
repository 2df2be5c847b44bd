#pragma once
// The native window behind a toolkit window: a GtkWindow (or, for a child
// window, a windowed box inside its owner's client area) whose client area is
// one drawing area with the native children (edits, hosted areas) laid over
// it. Its parts live in files by concern:
// creation.cpp, geometry.cpp, modal.cpp, timers.cpp, drop.cpp, paint.cpp and
// pointer.cpp.
#include <climits>
#include <functional>
#include <map>

#include "draw/back_buffer.h"
#include "window/native_window.h"

typedef struct _GMainLoop GMainLoop;
typedef struct _GdkDragContext GdkDragContext;
typedef struct _GtkSelectionData GtkSelectionData;
typedef union _GdkEvent GdkEvent;

namespace Vcl {
class Window;
struct TreeNode;
}  // namespace Vcl

namespace HostWin {

class MsWindow : public Vcl::NativeWindow {
public:
    explicit MsWindow(Vcl::Window& window);
    ~MsWindow() override;
    MsWindow(const MsWindow&) = delete;
    MsWindow& operator=(const MsWindow&) = delete;

    bool create(Vcl::NativeWindow* owner) override;
    void destroy() override;
    bool exists() const override { return top_ != nullptr; }
    GtkWidget* handle() const override { return top_; }
    GtkWidget* clientArea() const override { return overlay_; }
    void show(bool visible) override;
    void relayoutChildren() override;
    void invalidate(const Vcl::Rect& area) override;
    int runModal(Vcl::NativeWindow* owner) override;
    void endDialog(int result) override;
    bool setTimer(unsigned id, unsigned ms) override;
    void killTimer(unsigned id) override;

    bool inAllocation() const { return inAllocation_; }
    bool modalRunning() const { return modalLoop_ != nullptr; }
    Vcl::Window& window() const { return window_; }

    // Called whenever a native window goes away (the run loop watches for
    // the main window's).
    static void SetDestroyedHook(std::function<void(Vcl::Window&)> hook);

private:
    // `activeOwner` is the toplevel that owns the window when there is no
    // owner window (modal dialogs over the active window).
    bool createNative(MsWindow* owner, GtkWidget* activeOwner);
    void buildClient();
    void createNativeChildren(Vcl::TreeNode& node);
    void forgetNativeChildren(Vcl::TreeNode& node);
    void applyGeometry(GtkWidget* ownerTop);
    void placeCentered(GtkWidget* ownerTop);
    void clientAllocated(int width, int height);
    void nativeGone();
    void paint(cairo_t* cr);
    void dropped(GdkDragContext* context, GtkSelectionData* data, unsigned time);
    bool pointer(GtkWidget* canvas, GdkEvent* event);
    void stopTimers();

    // GTK signal handlers, with the window as their data.
    struct Signals;

    Vcl::Window& window_;
    GtkWidget* top_ = nullptr;
    GtkWidget* overlay_ = nullptr;
    GtkWidget* canvas_ = nullptr;
    bool childWindow_ = false;
    bool inAllocation_ = false;
    bool reported_ = false;  // XUI_EVENT_CREATED sent; sizes count from then on
    int clientWidth_ = -1, clientHeight_ = -1;
    int posX_ = INT_MIN, posY_ = INT_MIN;
    GMainLoop* modalLoop_ = nullptr;
    int modalResult_ = 0;
    unsigned firstPaintTimer_ = 0;
    std::map<unsigned, unsigned> timers_;  // timer id -> GLib source id
    Vcl::BackBuffer backBuffer_;
};

}  // namespace HostWin
