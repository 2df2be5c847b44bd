#include "controls/list.h"

#include "controls/registry.h"
#include "res/resource_manager.h"
#include "res/xml_attr.h"

namespace Vcl {

bool List::load(const tinyxml2::XMLElement* e, const LoadScope& scope) {
    if (!Scroll::load(e, scope)) {
        return false;
    }
    colorOdd = scope.resources.readColor(e->Attribute("color-odd"));
    colorEven = scope.resources.readColor(e->Attribute("color-even"));
    const tinyxml2::XMLElement* item = e->FirstChildElement("item");
    const tinyxml2::XMLElement* templ = item ? item->FirstChildElement() : nullptr;
    if (!templ) {
        return false;  // a list without a row description is not a list
    }
    itemHeight = Res::xml::Decimal(item, "height", 12);
    if (itemHeight == 0) {
        itemHeight = 12;  // a zero row height would divide by zero when placing rows
    }
    rowTemplate = std::make_unique<tinyxml2::XMLDocument>();
    rowTemplate->InsertEndChild(templ->DeepClone(rowTemplate.get()));
    return true;
}

ZUDOZ_CONTROL_KIND("list", Kind::List, List);

}  // namespace Vcl
