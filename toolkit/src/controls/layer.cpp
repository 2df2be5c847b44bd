#include "controls/layer.h"

#include <algorithm>
#include <vector>

#include "res/xml_attr.h"
#include "zudoz.h"

namespace Vcl {

namespace xml = Res::xml;

namespace {

std::vector<std::unique_ptr<Layer>>& Parked() {
    static std::vector<std::unique_ptr<Layer>> parked;
    return parked;
}

}  // namespace

Layer::Layer() = default;

Layer::~Layer() {
    // A window clears its own owner before this runs.
    if (owner) {
        owner->forget(*this);
    }
}

void Layer::setEnable(int enable) {
    enabled = enable != 0;
}

void Layer::setVisible(int show) {
    visible = show != 0;
}

GtkWidget* Layer::nativeHandle() const {
    return owner ? owner->nativeHandle() : nullptr;
}

bool Layer::shown() const {
    for (const Layer* c = this; c; c = c->parent) {
        if (!c->visible) {
            return false;
        }
    }
    return true;
}

void Layer::invalidate() {
    cache.invalidate();
    if (owner) {
        owner->invalidate(rect);
    }
}

bool Layer::load(const tinyxml2::XMLElement* e, const LoadScope& scope) {
    owner = scope.owner;
    parent = scope.parent;
    name = xml::Text(e, "id");
    if (xml::Has(e, "tag")) {
        tag = xml::Text(e, "tag");
    } else if (parent) {
        tag = parent->tag;
    }
    visible = xml::Text(e, "visible") != "false";
    enabled = xml::Text(e, "enable") != "false";
    declaredWidth = xml::Decimal(e, "width");
    declaredHeight = xml::Decimal(e, "height");
    rect.width = declaredWidth;
    rect.height = declaredHeight;
    ml = xml::Decimal(e, "ml");
    mr = xml::Decimal(e, "mr");
    mt = xml::Decimal(e, "mt");
    mb = xml::Decimal(e, "mb");
    std::string l = xml::Text(e, "layout");
    layout = l == "vertical" ? LayoutMode::Vertical
             : l == "grid"   ? LayoutMode::Grid
                             : LayoutMode::Horizontal;
    layoutItem = xml::Text(e, "layoutItem") == "expand" ? LayoutItem::Expand : LayoutItem::Fixed;
    // A ratio must be a positive finite number; anything else means none.
    expandScale = xml::Real(e, "expandScale", 0.0);
    if (!(expandScale > 0.0 && expandScale < 1e6)) {
        expandScale = 0.0;
    }
    align = ParseAlign(xml::Text(e, "align"));
    return true;
}

void Layer::notify(Layer* control, int code, void* param) {
    ControlOwner* w = owner;
    if (!w || !control) {
        return;
    }
    const bool wasInCallback = control->inCallback;
    control->inCallback = true;
    w->deliver(*control, code, param);
    if (wasInCallback) {
        // A nested event of a control that is still in an outer one: the
        // outermost event frees it, since its caller still holds the control.
        if (IsDeferred(control)) {
            return;
        }
    } else if (TakeDeferred(control)) {
        return;  // destroyed by the host inside its own event
    }
    control->inCallback = wasInCallback;
    w->delivered(*control, code);
}

Align ParseAlign(const std::string& list) {
    // Earlier entries win whatever the order of the list.
    static const std::pair<const char*, Align> kPriority[] = {
        {"expand", Align::Expand}, {"center", Align::Center}, {"left", Align::Left},
        {"right", Align::Right},   {"top", Align::Top},       {"bottom", Align::Bottom},
    };
    const auto items = xml::SplitList(list);
    for (const auto& [keyword, align] : kPriority) {
        if (std::find(items.begin(), items.end(), keyword) != items.end()) {
            return align;
        }
    }
    return Align::Expand;
}

void DeferDeletion(std::unique_ptr<Layer> control) {
    if (control->owner) {
        control->owner->forget(*control);
    }
    control->retire();
    control->parent = nullptr;
    control->node = nullptr;
    Parked().push_back(std::move(control));
}

bool TakeDeferred(Layer* control) {
    auto& parked = Parked();
    auto it = std::find_if(parked.begin(), parked.end(),
                           [&](const std::unique_ptr<Layer>& p) { return p.get() == control; });
    if (it == parked.end()) {
        return false;
    }
    std::unique_ptr<Layer> doomed = std::move(*it);
    parked.erase(it);
    doomed.reset();
    return true;
}

bool IsDeferred(const Layer* control) {
    const auto& parked = Parked();
    return std::any_of(parked.begin(), parked.end(),
                       [&](const std::unique_ptr<Layer>& p) { return p.get() == control; });
}

size_t DeferredCount() {
    return Parked().size();
}

}  // namespace Vcl
