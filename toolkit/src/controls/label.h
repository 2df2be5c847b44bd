#pragma once
// Label: a panel with a caption in "text-color".
#include "controls/captioned.h"
#include "controls/panel.h"

namespace Vcl {

class Label : public Captioned<Panel> {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
    // The background, then the caption (drawn every paint, never cached).
    void paint(Painter& painter, const Rect& update) override;
};

}  // namespace Vcl
