#include "controls/scroll.h"

#include "controls/registry.h"
#include "res/xml_attr.h"

namespace Vcl {

namespace xml = Res::xml;

bool Scroll::load(const tinyxml2::XMLElement* e, const LoadScope& scope) {
    if (!Control::load(e, scope)) {
        return false;
    }
    constexpr unsigned kStates = StateNormal | StateHover | StateDisable;
    horizontal = xml::Text(e, "scrolltype") == "horizontal";
    ReadStateImages(trackImages, e, scope, "image-scroll", kStates);
    ReadStateImages(trackerImages, e, scope, "image-tracker", kStates);
    margin = xml::Decimal(e, "margin");
    minTracker = xml::Decimal(e, "mintracker");
    fixedTracker = xml::LooseBool(e, "fixedtracker");
    return true;
}

ZUDOZ_CONTROL_KIND("scroll", Kind::Scroll, Scroll);

}  // namespace Vcl
