#include "controls/label.h"

#include "controls/registry.h"

namespace Vcl {

bool Label::load(const tinyxml2::XMLElement* e, const LoadScope& scope) {
    if (!Panel::load(e, scope)) {
        return false;
    }
    attrs.read(e, scope, false);
    return true;
}

void Label::setText(const std::u16string& t) {
    attrs.setText(t);
    invalidate();
}

ZUDOZ_CONTROL_KIND("label", Kind::Label, Label);

}  // namespace Vcl
