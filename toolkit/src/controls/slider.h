#pragma once
// Slider: a scroll bar whose tracker always keeps its image's size.
#include "controls/scroll.h"

namespace Vcl {

class Slider : public Scroll {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
};

}  // namespace Vcl
