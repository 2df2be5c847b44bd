#pragma once
// Label: a panel with a caption.
#include "controls/panel.h"

namespace Vcl {

class Label : public Panel {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
    void setText(const std::u16string& text) override;
    std::u16string text() const override { return attrs.text; }
    TextAttributes attrs;
};

}  // namespace Vcl
