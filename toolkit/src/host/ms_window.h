#pragma once
// The native window behind a toolkit window: a GtkWindow (or, for a child
// window, a windowed box inside its owner's client area) whose client area is
// one drawing area with the native children (edits, hosted areas) laid over it.
#include <climits>
#include <functional>
#include <map>

typedef struct _GtkWidget GtkWidget;
typedef struct _GMainLoop GMainLoop;

namespace Vcl {
class Window;
struct TreeNode;
}  // namespace Vcl

namespace HostWin {

class MsWindow {
public:
    explicit MsWindow(Vcl::Window& window);
    ~MsWindow();
    MsWindow(const MsWindow&) = delete;
    MsWindow& operator=(const MsWindow&) = delete;

    // Creates the native window, its native children (each hosted area
    // reports XUI_EVENT_RAW_CREATED), sends XUI_EVENT_CREATED, lays the tree
    // out at the described size and shows the window when its style is
    // visible. `owner` may be null; `activeOwner` is the toplevel that owns
    // it instead when there is no owner. False when it cannot be created (a
    // child window needs an owner that exists).
    bool create(MsWindow* owner, GtkWidget* activeOwner = nullptr);
    void destroy();
    bool exists() const { return top_ != nullptr; }
    // The native handle: the GtkWindow, or the box of a child window.
    GtkWidget* handle() const { return top_; }
    GtkWidget* clientArea() const { return overlay_; }
    void show(bool visible);
    bool inAllocation() const { return inAllocation_; }
    // Re-places the native children after a layout outside a size change.
    void relayoutChildren();

    // Runs the window as a modal dialog over `owner` (or the active window);
    // returns the dialog result once endDialog or a close ended it.
    int runModal(MsWindow* owner);
    // Ends the dialog with `result` (after the host allowed the close): the
    // hosted areas go first, then the native window.
    void endDialog(int result);
    bool modalRunning() const { return modalLoop_ != nullptr; }

    // Timers of the native window: each fires XUI_EVENT_TIMER with a pointer
    // to its id every `ms` milliseconds until killed or the native window
    // goes. Setting an existing id restarts it. False without a native window.
    bool setTimer(unsigned id, unsigned ms);
    void killTimer(unsigned id);

    // Called whenever a native window goes away (the run loop watches for
    // the main window's).
    static void SetDestroyedHook(std::function<void(Vcl::Window&)> hook);

    // Implementation details used by the GTK callbacks.
    struct Callbacks;

private:
    void buildClient();
    void createNativeChildren(Vcl::TreeNode& node);
    void forgetNativeChildren(Vcl::TreeNode& node);
    void applyGeometry(GtkWidget* ownerTop);
    void placeCentered(GtkWidget* ownerTop);
    void clientAllocated(int width, int height);

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
};

}  // namespace HostWin
