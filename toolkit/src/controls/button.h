#pragma once
// Button: a control with a caption whose colour follows the state.
#include "controls/captioned.h"
#include "controls/control.h"

namespace Vcl {

class Button : public Captioned<Control> {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
    // The control's looks, then the caption in the state's text colour
    // (disable, press, hover, each falling back to "text-color").
    void paint(Painter& painter, const Rect& update) override;
    const Res::xColor* stateTextColor() const;
};

}  // namespace Vcl
