#pragma once
// Check: a control with a checked state and its own looks while checked.
#include "controls/control.h"

namespace Vcl {

class Check : public Control {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
    // A release inside that ends a press, while enabled, flips the state and repaints before the
    // Control steps, so the host's click already sees the new state.
    void onInput(const InputEvent& event) override;
    bool isChecked() const override { return checked; }
    // No event; repaints when the state changes.
    void setChecked(bool value) override;
    // Slots 1 to 4 as Control; 5 and 6: "image-checked-hover",
    // "image-checked-disable".
    Res::xImage* imageSlot(int slot) override;
    // While checked: the checked looks for normal, hover and disable; there
    // is no checked press look, so a press shows the checked hover look.
    Look look(LookState state) const override;

    bool checked = false;
    // "image-checked"/"color-checked" with their hover and disable states.
    StateLooks checkedLooks;
};

}  // namespace Vcl
