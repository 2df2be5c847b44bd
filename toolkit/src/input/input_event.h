#pragma once
// The toolkit's own record of one input event, as the native side
// translates it and the router hands it to controls. Coordinates are in the
// window's client area.
#include <cstdint>

namespace Vcl {

enum class InputKind {
    Enter = 2,
    Leave = 3,
    Move = 4,
    Wheel = 5,
    Press = 6,
    Release = 7,
    DoubleClick = 8,
    RightPress = 9,
    RightRelease = 10,
    RightDoubleClick = 11,
    KeyDown = 12,
    KeyUp = 13,
};

struct InputEvent {
    InputKind kind = InputKind::Move;
    int x = 0;
    int y = 0;
    int steps = 0;            // wheel: notches, positive away from the user
    uint32_t virtualKey = 0;  // keys: the Windows virtual-key code
    // Wheel as the native side reads it: signed units, 120 per notch
    // (fractions from fine wheels). The window turns them into steps.
    double wheelUnits = 0.0;
};

}  // namespace Vcl
