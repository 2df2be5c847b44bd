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

void Panel::paint(Painter& painter, const Rect& update) {
    LookPainter(painter, cache, rect, update).draw(normalLook());
}

void Panel::setBackgroundColor(uint32_t argb) {
    if (!looks.color.normal) {
        looks.color.normal = std::make_unique<Res::xColor>();
    }
    looks.color.normal->argb = argb;
    invalidate();
}

Res::xImage* Panel::imageSlot(int slot) {
    return slot == 1 ? looks.image.normal.get() : nullptr;
}

bool Panel::setNormalImage(std::unique_ptr<Res::xImage> image) {
    looks.image.normal = std::move(image);
    invalidate();
    return true;
}

ZUDOZ_CONTROL_KIND("panel", Kind::Panel, Panel);

}  // namespace Vcl
