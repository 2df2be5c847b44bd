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

    // "image"/"color" as the normal state; Control adds the others.
    StateLooks looks;
};

}  // namespace Vcl
