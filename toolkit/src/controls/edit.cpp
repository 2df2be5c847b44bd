#include "controls/edit.h"

#include <string_view>

#include "controls/registry.h"
#include "draw/painter.h"
#include "res/resource_manager.h"
#include "res/xml_attr.h"
#include "zudoz.h"

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
    syncShown();
}

void Edit::syncShown() {
    if (peer_) {
        peer_->setShown(shown());
    }
}

void Edit::paint(Painter& painter, const Rect& update) {
    const Res::xColor* edge = focused ? edge2Color.get() : edgeColor.get();
    if (edge && !rect.intersect(update).empty()) {
        painter.fill(rect, Color::FromArgb(edge->argb));
    }
}

bool Edit::offerKey(bool down, uint32_t virtualKey) {
    XuiKeyRecord record{virtualKey, 1};
    const ControlRef self = ref();
    notify(this, down ? XUI_EVENT_KEYDOWN : XUI_EVENT_KEYUP, &record);
    return self && record.pass != 0;
}

void Edit::focusChanged(bool in) {
    if (focused == in) {
        return;
    }
    focused = in;
    invalidate();
    if (!focusListener) {
        return;
    }
    // Host code beneath the native toolkit's C frames: nothing may unwind.
    try {
        if (in) {
            focusListener->focusGained(name.c_str());
        } else {
            focusListener->focusLost(name.c_str());
        }
    } catch (...) {
    }
}

std::string DigitsOnly(std::string_view utf8) {
    std::string out;
    for (char ch : utf8) {
        if (ch >= '0' && ch <= '9') {
            out.push_back(ch);
        }
    }
    return out;
}

ZUDOZ_CONTROL_KIND("edit", Kind::Edit, Edit);

}  // namespace Vcl
