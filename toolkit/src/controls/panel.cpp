#include "controls/panel.h"

#include "controls/registry.h"
#include "draw/painter.h"
#include "res/resource_manager.h"
#include "res/xml_attr.h"

namespace Vcl {

bool Panel::load(const tinyxml2::XMLElement* e, const LoadScope& scope) {
    if (!Layer::load(e, scope)) {
        return false;
    }
    looks.read(e, scope, "image", "color", StateNormal);
    if (auto* t = scope.resources.findAs<Res::xText>(Res::xml::Text(e, "tip"))) {
        tipText = t->text;
    }
    return true;
}

void Panel::paint(Painter& painter, const Rect&) {
    // Only the background colour is painted so far; images, state looks and
    // text are not drawn yet.
    if (looks.color.normal) {
        painter.fill(rect, Color::FromArgb(looks.color.normal->argb));
    }
}

ZUDOZ_CONTROL_KIND("panel", Kind::Panel, Panel);

}  // namespace Vcl
