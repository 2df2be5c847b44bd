#include "input/router.h"

namespace Vcl {

void PointerRouter::route(const InputEvent& e, const HitTest& hitTest) {
    switch (e.kind) {
        case InputKind::Move: {
            pointerIn_ = true;
            lastX_ = e.x;
            lastY_ = e.y;
            Layer* hit = hitTest(e.x, e.y);
            if (hit != hovered()) {
                if (Layer* old = hovered()) {
                    hovered_ = ControlRef();
                    old->onInput(InputEvent{InputKind::Leave, e.x, e.y});
                }
                hovered_ = RefOf(hit);
                if (Layer* now = hovered()) {
                    now->onInput(InputEvent{InputKind::Enter, e.x, e.y});
                }
            }
            if (Layer* target = captured() ? captured() : hovered()) {
                target->onInput(e);
            }
            break;
        }
        case InputKind::Press:
            captured_ = RefOf(hitTest(e.x, e.y));
            if (Layer* target = captured()) {
                target->onInput(e);
            }
            break;
        case InputKind::RightPress:
            captured_ = hovered_;
            if (Layer* target = captured()) {
                target->onInput(e);
            }
            break;
        case InputKind::Release:
        case InputKind::RightRelease:
            if (Layer* target = captured()) {
                captured_ = ControlRef();
                target->onInput(e);
            }
            break;
        case InputKind::Leave:
            pointerIn_ = false;
            // The captured control holds the pointer outside the window too;
            // the window reports the leave once the button is up.
            if (captured()) {
                break;
            }
            if (Layer* old = hovered()) {
                hovered_ = ControlRef();
                old->onInput(e);
            }
            break;
        default:
            if (Layer* target = hovered()) {
                target->onInput(e);
            }
            break;
    }
}

}  // namespace Vcl
