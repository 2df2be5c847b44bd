#pragma once
// The native side of a toolkit window, as the window reaches it. The host
// implements it (a GtkWindow or, for child windows, a windowed area inside
// the owner); the window and the controls never see the native toolkit.
#include <memory>
#include <string>

#include "draw/rect.h"

typedef struct _GtkWidget GtkWidget;

namespace Vcl {

class Window;
class Layer;

class NativeWindow {
public:
    virtual ~NativeWindow() = default;

    // Creates the native window, its native children (each hosted area
    // reports XUI_EVENT_RAW_CREATED), sends XUI_EVENT_CREATED, lays the tree
    // out at the described size and shows the window when its style is
    // visible. `owner` may be null. False when it cannot be created (a
    // child window needs an owner that exists).
    virtual bool create(NativeWindow* owner) = 0;
    virtual void destroy() = 0;
    virtual bool exists() const = 0;
    // The GtkWindow, or the windowed area of a child window; null when none.
    virtual GtkWidget* handle() const = 0;
    // The container of the drawing area and the native children.
    virtual GtkWidget* clientArea() const = 0;
    virtual void show(bool visible) = 0;
    // Re-places the native children after a layout outside a size change.
    virtual void relayoutChildren() = 0;
    // Repaints part of the client area.
    virtual void invalidate(const Rect& area) = 0;

    // Runs the window as a modal dialog over `owner` (or the active window);
    // returns the dialog result once endDialog or a close ended it.
    virtual int runModal(NativeWindow* owner) = 0;
    // Ends the dialog with `result`: the hosted areas go first, then the
    // native window.
    virtual void endDialog(int result) = 0;

    // Timers: each fires XUI_EVENT_TIMER with a pointer to its id every `ms`
    // milliseconds until killed or the native window goes. Setting an
    // existing id restarts it. False without a native window.
    virtual bool setTimer(unsigned id, unsigned ms) = 0;
    virtual void killTimer(unsigned id) = 0;

    // While frozen the native window does not redraw; thawing lays the tree
    // out and repaints the whole window once.
    virtual void freezeRedraw(bool frozen) { (void)frozen; }
    // A client-area point in screen coordinates; false without a native
    // window.
    virtual bool clientToScreen(int& x, int& y) const {
        (void)x;
        (void)y;
        return false;
    }

    // The one tooltip of the window, shown over `control`'s rectangle
    // while the pointer stays there; hideTip acts only for the control that
    // owns the tip.
    virtual void showTip(Layer& control, const std::u16string& text) = 0;
    virtual void hideTip(Layer& control) = 0;
    // Placement for drag handles (see ControlOwner::windowPosition), and the
    // pointer in screen coordinates.
    virtual bool windowPosition(int& x, int& y, Rect& bounds) const = 0;
    virtual void moveWindow(int x, int y) = 0;
    virtual bool cursorPosition(int& x, int& y) const = 0;
};

// Made by the host side for every window.
std::unique_ptr<NativeWindow> CreateNativeWindow(Window& window);

}  // namespace Vcl
