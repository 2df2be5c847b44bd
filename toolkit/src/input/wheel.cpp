#include "input/wheel.h"

#include <algorithm>
#include <cmath>

namespace Vcl {

int WheelNotches::add(double units) {
    if (!std::isfinite(units)) {
        return 0;
    }
    if ((units > 0 && pending_ < 0) || (units < 0 && pending_ > 0)) {
        pending_ = 0.0;
    }
    pending_ += units;
    // A hair of slack so tenths of a notch add up to a whole one; the clamp,
    // far beyond any real wheel, keeps the count inside an int.
    const double slack = pending_ > 0 ? 1e-9 : -1e-9;
    const double notches =
        std::trunc(std::clamp(pending_ / kWheelUnitsPerNotch + slack, -1e6, 1e6));
    pending_ -= notches * kWheelUnitsPerNotch;
    return static_cast<int>(notches);
}

}  // namespace Vcl
