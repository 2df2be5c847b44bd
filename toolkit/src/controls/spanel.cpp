#include "controls/spanel.h"

#include "controls/registry.h"

namespace Vcl {

bool ScrollPanel::load(const tinyxml2::XMLElement* e, const LoadScope& scope) {
    if (!Scroll::load(e, scope)) {
        return false;
    }
    horizontal = false;
    return true;
}

ZUDOZ_CONTROL_KIND("spanel", Kind::ScrollPanel, ScrollPanel);

}  // namespace Vcl
