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

protected:
    ~ControlOwner() = default;
};

}  // namespace Vcl
