#pragma once
// Wheel notches from wheel units: 120 units are one notch, positive away
// from the user. Fine-grained wheels and touchpads send fractions of a
// notch; they add up here instead of each rounding to nothing.
namespace Vcl {

constexpr double kWheelUnitsPerNotch = 120.0;

class WheelNotches {
public:
    // Adds `units` and returns the whole notches now complete (signed); the
    // rest waits for the next call. Turning the other way drops the rest.
    int add(double units);
    void reset() { pending_ = 0.0; }

private:
    double pending_ = 0.0;
};

}  // namespace Vcl
