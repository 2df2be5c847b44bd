#include "controls/button.h"

#include "controls/registry.h"

namespace Vcl {

bool Button::load(const tinyxml2::XMLElement* e, const LoadScope& scope) {
    return Control::load(e, scope) && loadCaption(e, scope, true);
}

const Res::xColor* Button::stateTextColor() const {
    const auto& c = attrs.stateColors;
    const Res::xColor* chosen = !enabled  ? c.disable.get()
                                : pressed ? c.press.get()
                                : hovered ? c.hover.get()
                                          : nullptr;
    return chosen ? chosen : attrs.textColor;
}

void Button::paint(Painter& painter, const Rect& update) {
    Control::paint(painter, update);
    attrs.drawCaption(painter, rect, stateTextColor());
}

ZUDOZ_CONTROL_KIND("button", Kind::Button, Button);

}  // namespace Vcl
