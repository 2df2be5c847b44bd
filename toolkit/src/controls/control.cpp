#include "controls/control.h"

#include "controls/registry.h"
#include "res/xml_attr.h"
#include "zudoz.h"

namespace Vcl {

bool Control::load(const tinyxml2::XMLElement* e, const LoadScope& scope) {
    if (!Panel::load(e, scope)) {
        return false;
    }
    speedClick = Res::xml::StrictBool(e, "speedclick");
    looks.read(e, scope, "image", "color", StateHover | StatePress | StateDisable);
    return true;
}

void Control::setEnable(int enable) {
    Layer::setEnable(enable);
    if (!enabled) {
        hovered = false;
    }
    invalidate();
}

void Control::onInput(const InputEvent& e) {
    if (!enabled) {
        return;
    }
    switch (e.kind) {
        case InputKind::Enter:
            hovered = true;
            invalidate();
            if (hoverListener) {
                hoverListener->entered(name.c_str(), itemIndex);
            }
            break;
        case InputKind::Leave:
            hovered = false;
            invalidate();
            if (hoverListener) {
                hoverListener->left(name.c_str(), itemIndex);
            }
            break;
        case InputKind::Press:
            pressed = true;
            invalidate();
            if (speedClick) {
                notify(this, XUI_EVENT_CLICK, nullptr);
            }
            break;
        case InputKind::Release:
            pressed = false;
            invalidate();
            if (!speedClick && contains(e.x, e.y)) {
                notify(this, XUI_EVENT_CLICK, nullptr);
            }
            break;
        case InputKind::DoubleClick:
            if (contains(e.x, e.y)) {
                notify(this, XUI_EVENT_DBLCLICK, nullptr);
            }
            break;
        case InputKind::RightRelease:
            if (contains(e.x, e.y)) {
                notify(this, XUI_EVENT_RCLICK, nullptr);
            }
            break;
        default:
            break;
    }
}

ZUDOZ_CONTROL_KIND("control", Kind::Control, Control);

}  // namespace Vcl
