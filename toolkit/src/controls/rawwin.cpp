#include "controls/rawwin.h"

#include "controls/registry.h"
#include "res/resource_manager.h"
#include "res/xml_attr.h"
#include "zudoz.h"

namespace Vcl {

namespace xml = Res::xml;

bool Rawwin::load(const tinyxml2::XMLElement* e, const LoadScope& scope) {
    if (!Layer::load(e, scope)) {
        return false;
    }
    if (auto c = scope.resources.readColor(e->Attribute("color"))) {
        color = c->native();
    }
    title = xml::Text(e, "title");
    autoChildSize = xml::StrictBool(e, "autochildsize");
    style = kBaseStyle | (visible ? kVisibleStyle : 0u);
    return true;
}

GtkWidget* Rawwin::nativeHandle() const {
    return area();
}

void Rawwin::attach(std::unique_ptr<AreaPeer> area) {
    peer_ = std::move(area);
}

void Rawwin::nativeDestroyed() {
    if (peer_) {
        peer_->abandon();
        peer_.reset();
    }
}

void Rawwin::placed() {
    if (!peer_) {
        return;
    }
    if (owner) {
        owner->relayoutNativeChildren();
    }
    invalidate();
    notify(this, XUI_EVENT_RESIZED, nullptr);
}

void Rawwin::setVisible(int show) {
    Layer::setVisible(show);
    syncShown();
}

void Rawwin::syncShown() {
    if (peer_) {
        peer_->setShown(shown());
    }
}

ZUDOZ_CONTROL_KIND("rawwin", Kind::Rawwin, Rawwin);

}  // namespace Vcl
