#include "res/text.h"

#include "platform/utf.h"
#include "res/xml_attr.h"

namespace Res {

bool xText::load(const tinyxml2::XMLElement* element, const LoadContext&) {
    text = zv::Utf8ToUtf16(xml::ElementText(element));
    return true;
}

}  // namespace Res
