#pragma once
// What a control needs of the window that holds it. Controls see their
// window only through this, so the control kinds never depend on the window,
// its native side or the layout.
#include <string>

#include "draw/rect.h"

typedef struct _GtkWidget GtkWidget;

namespace Res {
class xFont;
class xColor;
}  // namespace Res

namespace Vcl {

class Layer;

class ControlOwner {
public:
    // Passes one event to the host's handler (never throws).
    virtual void deliver(Layer& control, int code, void* param) = 0;
    // After the host heard an event and the control still exists: the
    // window's own reaction (dialogs end on "DLG.OK" / "DLG.CANCEL" clicks).
    virtual void delivered(Layer& control, int code) = 0;
    // A control goes away: drop it from the name map.
    virtual void forget(Layer& control) = 0;
    // The window's native handle, null while there is none.
    virtual GtkWidget* nativeHandle() const = 0;
    // Re-places the native children after a control moved.
    virtual void relayoutNativeChildren() = 0;
    // Repaints the part of the client area.
    virtual void invalidate(const Rect& area) = 0;
    // Defaults for the controls' text attributes (may be null).
    virtual Res::xFont* defaultFont() const = 0;
    virtual const Res::xColor* defaultTextColor() const = 0;

    // Lays out the children of `container` again (its size or its
    // children's changed) and repaints its rectangle.
    virtual void relayout(Layer& container) { (void)container; }
    // `control` was shown or hidden: native children in its subtree follow,
    // its parent is laid out again and hover is evaluated anew.
    virtual void visibilityChanged(Layer& control) { (void)control; }
    // Tooltip of the control under the pointer (one per window); hideTip
    // only hides the tip when `control` owns it.
    virtual void showTip(Layer& control, const std::u16string& text) {
        (void)control;
        (void)text;
    }
    virtual void hideTip(Layer& control) { (void)control; }
    // Window placement for drag handles: the native window's top-left corner
    // (screen coordinates, or the parent's client coordinates for a child
    // window, with `bounds` = the parent's client rectangle; bounds stay
    // empty for top-level windows), and a move without resizing, activating
    // or restacking. The cursor is in screen coordinates.
    virtual bool windowPosition(int& x, int& y, Rect& bounds) const {
        (void)x;
        (void)y;
        (void)bounds;
        return false;
    }
    virtual void moveWindow(int x, int y) {
        (void)x;
        (void)y;
    }
    virtual bool cursorPosition(int& x, int& y) const {
        (void)x;
        (void)y;
        return false;
    }

protected:
    ~ControlOwner() = default;
};

}  // namespace Vcl
