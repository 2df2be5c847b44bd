#pragma once
// The native window behind a toolkit window: a GtkWindow (or, for a child
// window, a windowed box inside its owner's client area) whose client area is
// one drawing area with the native children (edits, hosted areas) laid over
// it. Its parts live in files by concern:
// creation.cpp, geometry.cpp, modal.cpp, timers.cpp, drop.cpp, paint.cpp,
// pointer.cpp, frame.cpp (the custom frame) and services.cpp (tips,
// placement, redraw).
#include <climits>
#include <functional>
#include <map>

#include <string>

#include "controls/layer.h"
#include "draw/back_buffer.h"
#include "window/frame_hit.h"
#include "window/native_window.h"

typedef struct _GMainLoop GMainLoop;
typedef struct _GdkDragContext GdkDragContext;
typedef struct _GtkSelectionData GtkSelectionData;
typedef union _GdkEvent GdkEvent;
typedef struct _GdkEventButton GdkEventButton;
typedef struct _GtkTooltip GtkTooltip;

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
    void freezeRedraw(bool frozen) override;
    bool clientToScreen(int& x, int& y) const override;
    void showTip(Vcl::Layer& control, const std::u16string& text) override;
    void hideTip(Vcl::Layer& control) override;
    bool windowPosition(int& x, int& y, Vcl::Rect& bounds) const override;
    void moveWindow(int x, int y) override;
    bool cursorPosition(int& x, int& y) const override;

    // The close request of the window manager's close and of the custom
    // frame's close box: a dialog's Cancel, else the host may refuse.
    void requestClose();
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
    // Custom frame: looks the named controls up; a press on the frame
    // starts the window manager's move or resize (true: not for the
    // controls), a release on the box pressed runs its command.
    void lookUpFrame();
    bool framePress(const GdkEventButton& press);
    void frameRelease(const GdkEventButton& release);
    void frameCommand(Vcl::FrameHit box);
    bool queryTip(int x, int y, GtkTooltip* tooltip);
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
    bool frozen_ = false;
    Vcl::FrameParts frame_;
    Vcl::FrameButtons frameButtons_;
    Vcl::ControlRef tipOwner_;
    std::string tipText_;                  // UTF-8, at most 255 UTF-16 units
    std::map<unsigned, unsigned> timers_;  // timer id -> GLib source id
    Vcl::BackBuffer backBuffer_;
};

}  // namespace HostWin
