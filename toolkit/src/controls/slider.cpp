#include "controls/slider.h"

#include "controls/registry.h"

namespace Vcl {

bool Slider::load(const tinyxml2::XMLElement* e, const LoadScope& scope) {
    if (!Scroll::load(e, scope)) {
        return false;
    }
    fixedTracker = true;
    valueOnRelease = true;
    return true;
}

ZUDOZ_CONTROL_KIND("slider", Kind::Slider, Slider);

}  // namespace Vcl
