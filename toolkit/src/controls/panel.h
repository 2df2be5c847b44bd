#pragma once
// Panel: a background colour or image and a tooltip; the base of labels and
// of every clickable control.
#include "controls/attributes.h"
#include "controls/layer.h"

namespace Vcl {

class Panel : public Layer {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
    void paint(Painter& painter, const Rect& update) override;
    virtual void setText(const std::u16string& text) { (void)text; }
    virtual std::u16string text() const { return {}; }
    virtual void setTextColor(const std::string& color) { (void)color; }
    virtual void setFont(const std::string& fontId) { (void)fontId; }

    // "image"/"color" as the normal state; Control adds the others.
    StateLooks looks;
    std::u16string tip;
};

}  // namespace Vcl
