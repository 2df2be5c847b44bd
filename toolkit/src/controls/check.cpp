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

void Check::onInput(const InputEvent& e) {
    if (e.kind == InputKind::Release && enabled && pressed && contains(e.x, e.y)) {
        checked = !checked;
        invalidate();
    }
    Control::onInput(e);
}

void Check::setChecked(bool value) {
    if (value != checked) {
        checked = value;
        invalidate();
    }
}

Res::xImage* Check::imageSlot(int slot) {
    switch (slot) {
        case 5:
            return checkedLooks.image.hover.get();
        case 6:
            return checkedLooks.image.disable.get();
        default:
            return Control::imageSlot(slot);
    }
}

Look Check::look(LookState state) const {
    if (!checked) {
        return Control::look(state);
    }
    return LookOf(checkedLooks, state == LookState::Press ? LookState::Hover : state);
}

ZUDOZ_CONTROL_KIND("check", Kind::Check, Check);

}  // namespace Vcl
