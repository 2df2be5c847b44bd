#pragma once
// Check: a control with a checked state and its own looks while checked.
#include "controls/control.h"

namespace Vcl {

class Check : public Control {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
    bool checked = false;
    // "image-checked"/"color-checked" with their hover and disable states.
    StateLooks checkedLooks;
};

}  // namespace Vcl
