#pragma once
// The pointer router of one window: which control the pointer is over
// (hovered), which one holds the pointer from press to release (captured)
// and which one has the keyboard (focused). All three are weak handles, so a
// host that destroys a control inside its own event leaves nothing dangling.
#include <functional>

#include "controls/layer.h"

namespace Vcl {

class PointerRouter {
public:
    // The deepest control that takes pointer input at a point, or null.
    using HitTest = std::function<Layer*(int x, int y)>;

    // Delivers one pointer event:
    // - move: leave/enter when the hovered control changes, then the move
    //   to the captured control, else the hovered one;
    // - press: the control under the point captures the pointer;
    // - right press: the hovered control captures it;
    // - release (either button): to the captured control, which lets go;
    // - leave (the pointer left the window): the hovered control hears it,
    //   unless a control holds the pointer;
    // - anything else: to the hovered control.
    // Every step re-reads the handles: a host handler may destroy controls.
    void route(const InputEvent& event, const HitTest& hitTest);

    Layer* hovered() const { return hovered_.get(); }
    Layer* captured() const { return captured_.get(); }
    Layer* focused() const { return focused_.get(); }
    void setFocus(Layer* control) { focused_ = control ? control->ref() : ControlRef(); }
    void reset() {
        hovered_ = captured_ = focused_ = ControlRef();
        pointerIn_ = false;
    }

    // Where the pointer was last seen moving inside the window; false once
    // it left.
    bool lastPoint(int& x, int& y) const {
        x = lastX_;
        y = lastY_;
        return pointerIn_;
    }

private:
    static ControlRef RefOf(Layer* control) { return control ? control->ref() : ControlRef(); }

    ControlRef hovered_;
    ControlRef captured_;
    ControlRef focused_;
    bool pointerIn_ = false;
    int lastX_ = 0, lastY_ = 0;
};

}  // namespace Vcl
