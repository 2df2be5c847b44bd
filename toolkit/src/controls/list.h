#pragma once
// List: a scroll bar over rows built from a row template.
#include <memory>

#include "controls/scroll.h"

namespace Vcl {

class List : public Scroll {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
    std::unique_ptr<Res::xColor> colorOdd, colorEven;
    int itemHeight = 12;
    // The row template (the first child element of "item"), kept as its own
    // document; rows are built from it.
    std::unique_ptr<tinyxml2::XMLDocument> rowTemplate;
};

}  // namespace Vcl
