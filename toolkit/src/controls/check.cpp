#include "controls/check.h"

#include "controls/registry.h"

namespace Vcl {

bool Check::load(const tinyxml2::XMLElement* e, const LoadScope& scope) {
    if (!Control::load(e, scope)) {
        return false;
    }
    checkedLooks.read(e, scope, "image-checked", "color-checked",
                      StateNormal | StateHover | StateDisable);
    return true;
}

ZUDOZ_CONTROL_KIND("check", Kind::Check, Check);

}  // namespace Vcl
