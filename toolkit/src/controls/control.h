#pragma once
// Control: the clickable base of buttons, checks, scroll bars and lists:
// hover and press states with their looks, clicks on release (or on press
// with "speedclick"), double and right clicks, the hover listener.
#include "controls/panel.h"

namespace Vcl {

class Control : public Panel {
public:
    Control() { mouseAware = true; }
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
    void onInput(const InputEvent& event) override;
    void setEnable(int enable) override;

    bool speedClick = false;
    bool hovered = false;
    bool pressed = false;
};

}  // namespace Vcl
