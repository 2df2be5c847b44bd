#include "controls/label.h"

#include "controls/registry.h"

namespace Vcl {

bool Label::load(const tinyxml2::XMLElement* e, const LoadScope& scope) {
    return Panel::load(e, scope) && loadCaption(e, scope, false);
}

void Label::paint(Painter& painter, const Rect& update) {
    Panel::paint(painter, update);
    attrs.drawCaption(painter, rect, nullptr);
}

ZUDOZ_CONTROL_KIND("label", Kind::Label, Label);

}  // namespace Vcl
