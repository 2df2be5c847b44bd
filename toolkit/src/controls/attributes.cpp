#include "controls/attributes.h"

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

}  // namespace Vcl
