#include "controls/attributes.h"

#include <algorithm>

#include "draw/painter.h"
#include "res/resource_manager.h"
#include "res/xml_attr.h"

namespace Vcl {

namespace xml = Res::xml;

namespace {

// The attribute names of the states, in mask-bit order.
constexpr const char* kSuffixes[] = {"", "-hover", "-press", "-disable"};

template <typename T, typename Read>
void ReadStates(States<T>& out, const char* base, unsigned states, Read&& read) {
    std::unique_ptr<T>* slots[] = {&out.normal, &out.hover, &out.press, &out.disable};
    for (unsigned i = 0; i < 4; ++i) {
        if (states & (1u << i)) {
            *slots[i] = read((std::string(base) + kSuffixes[i]).c_str());
        }
    }
}

}  // namespace

void ReadStateImages(States<Res::xImage>& out, const tinyxml2::XMLElement* e,
                     const LoadScope& scope, const char* base, unsigned states) {
    ReadStates(out, base, states,
               [&](const char* name) { return scope.resources.readImage(e->Attribute(name)); });
}

void ReadStateColors(States<Res::xColor>& out, const tinyxml2::XMLElement* e,
                     const LoadScope& scope, const char* base, unsigned states) {
    ReadStates(out, base, states,
               [&](const char* name) { return scope.resources.readColor(e->Attribute(name)); });
}

void StateLooks::read(const tinyxml2::XMLElement* e, const LoadScope& scope, const char* imageBase,
                      const char* colorBase, unsigned states) {
    ReadStateImages(image, e, scope, imageBase, states);
    ReadStateColors(color, e, scope, colorBase, states);
}

void TextAttributes::read(const tinyxml2::XMLElement* e, const LoadScope& scope,
                          bool buttonStates) {
    const auto& r = scope.resources;
    if (auto* t = r.findAs<Res::xText>(xml::Text(e, "text"))) {
        text = t->text;
    }
    font = r.findAs<Res::xFont>(xml::Text(e, "font"));
    if (!font && scope.owner) {
        font = scope.owner->defaultFont();
    }
    ownTextColor = r.readColor(e->Attribute("text-color"));
    textColor = ownTextColor ? ownTextColor.get()
                             : (scope.owner ? scope.owner->defaultTextColor() : nullptr);
    if (buttonStates) {
        ReadStateColors(stateColors, e, scope, "text-color",
                        StateHover | StatePress | StateDisable);
    }
    autosize = xml::StrictBool(e, "autosize");
    autosizeMin = xml::Decimal(e, "autosize-min");
    for (const auto& flag : xml::SplitList(xml::Text(e, "text-spec"))) {
        center = center || flag == "center";
        right = right || flag == "right";
        vcenter = vcenter || flag == "vcenter";
        vertical = vertical || flag == "vertical";
        autowrap = autowrap || flag == "autowrap";
        autotrim = autotrim || flag == "autotrim";
    }
    if (center) {
        right = false;
    }
    edgeLeft = xml::Decimal(e, "text-edge-left");
    edgeRight = xml::Decimal(e, "text-edge-right");
    edgeTop = xml::Decimal(e, "text-edge-top");
    edgeBottom = xml::Decimal(e, "text-edge-bottom");
}

void TextAttributes::setText(const std::u16string& value) {
    if (value.size() != text.size()) {
        remeasure = true;
    }
    text = value;
}

bool TextAttributes::setFont(Res::xFont* value) {
    if (!value || value == font) {
        return false;
    }
    font = value;
    remeasure = true;
    return true;
}

void TextAttributes::setTextColor(uint32_t argb) {
    if (!ownTextColor) {
        ownTextColor = std::make_unique<Res::xColor>();
    }
    ownTextColor->argb = argb;
    textColor = ownTextColor.get();
}

TextFormat TextAttributes::format() const {
    TextFormat f;
    f.align = center ? TextAlign::Center : right ? TextAlign::Far : TextAlign::Near;
    f.vcenter = vcenter;
    f.wrap = autowrap;
    f.vertical = vertical;
    f.ellipsis = autotrim;
    return f;
}

Rect TextAttributes::textRect(const Rect& r) const {
    const long long width = autosize ? static_cast<long long>(textWidth) + 1
                                     : static_cast<long long>(r.width) - edgeRight - edgeLeft + 1;
    return Rect{Rect::Saturate(static_cast<long long>(r.x) + edgeLeft),
                Rect::Saturate(static_cast<long long>(r.y) + edgeTop), Rect::Saturate(width),
                Rect::Saturate(static_cast<long long>(r.height) - edgeBottom - edgeTop)};
}

bool TextAttributes::measure(Rect& control) {
    if (!autosize || !remeasure) {
        return false;
    }
    remeasure = false;
    const int measured =
        text.empty() || !font ? 0 : MeasureText(nullptr, text, font->font, format());
    textWidth = std::max(measured, autosizeMin);
    const int width = Rect::Saturate(static_cast<long long>(edgeLeft) + edgeRight + textWidth);
    if (width == control.width) {
        return false;
    }
    control.width = width;
    return true;
}

void TextAttributes::drawCaption(Painter& painter, const Rect& control,
                                 const Res::xColor* color) const {
    const Res::xColor* c = color ? color : textColor;
    if (text.empty() || !font || !font->font || !c) {
        return;
    }
    painter.drawText(std::u16string_view(text), font->font, Color::FromArgb(c->argb),
                     textRect(control), format());
}

}  // namespace Vcl
