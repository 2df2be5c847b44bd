#pragma once
// Graber: a handle that drags its window. Hover, tooltip, double and right
// clicks are the Control's; press, move and release drag, and no click is
// sent.
#include "controls/control.h"

namespace Vcl {

class Graber : public Control {
public:
    void onInput(const InputEvent& event) override;
    // Disabling mid-drag ends the drag.
    void setEnable(int enable) override;

    bool dragging = false;
    // At the press: the window's top-left corner, the cursor (screen), and
    // for a child window the parent's client rectangle (empty otherwise).
    int windowX = 0, windowY = 0;
    int cursorX = 0, cursorY = 0;
    Rect parentClient;

private:
    void start();
    void follow();
};

}  // namespace Vcl
