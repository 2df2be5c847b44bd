#pragma once
// ScrollPanel: a vertical scroll bar whose children scroll.
#include "controls/scroll.h"

namespace Vcl {

class ScrollPanel : public Scroll {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
};

}  // namespace Vcl
