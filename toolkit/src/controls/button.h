#pragma once
// Button: a control with a caption whose colour follows the state.
#include "controls/control.h"

namespace Vcl {

class Button : public Control {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
    void setText(const std::u16string& text) override;
    std::u16string text() const override { return attrs.text; }
    TextAttributes attrs;
};

}  // namespace Vcl
