#include "res/color.h"

#include "res/xml_attr.h"

namespace Res {

bool xColor::load(const tinyxml2::XMLElement* element, const LoadContext&) {
    argb = Vcl::Color::Parse(xml::Text(element, "color")).argb();
    return true;
}

}  // namespace Res
