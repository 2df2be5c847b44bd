#include "controls/edit.h"

#include <string_view>

#include "controls/registry.h"
#include "res/resource_manager.h"
#include "res/xml_attr.h"

namespace Vcl {

namespace xml = Res::xml;

namespace {

struct StyleKeyword {
    std::string_view name;
    uint32_t style;
    uint32_t exStyle;
};

constexpr StyleKeyword kStyleKeywords[] = {
    {"autovscroll", EditStyle::AutoVScroll, 0}, {"autohscroll", EditStyle::AutoHScroll, 0},
    {"multiline", EditStyle::Multiline, 0},     {"wantreturn", EditStyle::WantReturn, 0},
    {"tabstop", EditStyle::TabStop, 0},         {"readonly", EditStyle::ReadOnly, 0},
    {"number", EditStyle::Number, 0},           {"password", EditStyle::Password, 0},
    {"border", 0, EditStyle::ExClientEdge},
};

}  // namespace

bool Edit::load(const tinyxml2::XMLElement* e, const LoadScope& scope) {
    if (!Layer::load(e, scope)) {
        return false;
    }
    const auto& r = scope.resources;
    if (auto* t = r.findAs<Res::xText>(xml::Text(e, "title"))) {
        initialText = t->text;
    }
    style = EditStyle::Base;
    for (const auto& k : xml::SplitList(xml::Text(e, "style"))) {
        for (const auto& keyword : kStyleKeywords) {
            if (keyword.name == k) {
                style |= keyword.style;
                exStyle |= keyword.exStyle;
            }
        }
    }
    if (visible) {
        style |= EditStyle::Visible;
    }
    edgeColor = r.readColor(e->Attribute("edgecolor"));
    edge2Color = r.readColor(e->Attribute("edge2color"));
    font = r.findAs<Res::xFont>(xml::Text(e, "font"));
    if (!font && owner) {
        font = owner->defaultFont();
    }
    maxLength = xml::Decimal(e, "maxlength", 1024);
    return true;
}

void Edit::attach(std::unique_ptr<EditPeer> entry) {
    peer_ = std::move(entry);
}

void Edit::nativeDestroyed() {
    if (peer_) {
        peer_->abandon();
        peer_.reset();
    }
}

void Edit::setText(const std::u16string& t) {
    if (peer_) {
        peer_->setText(t);
    } else {
        initialText = t;
    }
}

std::u16string Edit::text() const {
    return peer_ ? peer_->text() : initialText;
}

void Edit::setVisible(int show) {
    Layer::setVisible(show);
    if (peer_) {
        peer_->setShown(shown());
    }
}

ZUDOZ_CONTROL_KIND("edit", Kind::Edit, Edit);

}  // namespace Vcl
