#pragma once
// Slider: a scroll bar whose tracker always keeps its image's size (a click
// on the track jumps there) and which tells the host its position at every
// release as well.
#include "controls/scroll.h"

namespace Vcl {

class Slider : public Scroll {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
};

}  // namespace Vcl
