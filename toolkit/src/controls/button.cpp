#include "controls/button.h"

#include "controls/registry.h"

namespace Vcl {

bool Button::load(const tinyxml2::XMLElement* e, const LoadScope& scope) {
    if (!Control::load(e, scope)) {
        return false;
    }
    attrs.read(e, scope, true);
    return true;
}

void Button::setText(const std::u16string& t) {
    attrs.setText(t);
    invalidate();
}

ZUDOZ_CONTROL_KIND("button", Kind::Button, Button);

}  // namespace Vcl
