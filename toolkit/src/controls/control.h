#pragma once
// Control: the clickable base of buttons, checks, scroll bars and lists:
// hover and press states with their looks, clicks on release (or on press
// with "speedclick"), double and right clicks, the hover listener and the
// tooltip.
#include "controls/panel.h"

namespace Vcl {

enum class LookState { Normal, Hover, Press, Disable };

// The image and colour of one state of a look set.
Look LookOf(const StateLooks& looks, LookState state);

class Control : public Panel {
public:
    Control() { mouseAware = true; }
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
    // The state table. A release clicks only when it ends a press of this
    // control (a press made before disabling does not). The host may destroy
    // the control inside the events it hears, so each step that reaches the
    // host (click, hover listener) is the last thing a case does.
    void onInput(const InputEvent& event) override;
    // Disabling also ends hover and press (the release would be ignored);
    // a change repaints.
    void setEnable(int enable) override;
    void paint(Painter& painter, const Rect& update) override;
    // Slots 1 to 4: "image", "image-hover", "image-press", "image-disable".
    Res::xImage* imageSlot(int slot) override;

    // The look of one state; Check answers with its checked looks.
    virtual Look look(LookState state) const;
    // Enabled: the background, then the press look while pressed, else the
    // hover look while hovered. Disabled: the disable look, else the
    // background.
    void paintLooks(LookPainter& looks) const;

    bool speedClick = false;
    bool hovered = false;
    bool pressed = false;
};

}  // namespace Vcl
