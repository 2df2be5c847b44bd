#include "levels.h"

#include <cmath>

namespace zv {

float PeakToLevel(float peakDb) {
    if (!std::isfinite(peakDb)) {
        // +inf cannot come from a meter; treat it like any other non-reading.
        return 0.0f;
    }
    return static_cast<float>((static_cast<double>(peakDb) + 100.0) / 100.0);
}

void ApplyMeterPeak(MeterKind kind, float peakDb) {
    const float level = PeakToLevel(peakDb);
    if (kind == MeterKind::Microphone) {
        g_micLevel.store(level, std::memory_order_relaxed);
    } else {
        g_desktopLevel.store(level, std::memory_order_relaxed);
    }
    if (!std::isfinite(peakDb)) {
        g_mixedLevel.store(0.0f, std::memory_order_relaxed);
        return;
    }
    const float mic = g_micLevel.load(std::memory_order_relaxed);
    const float desktop = g_desktopLevel.load(std::memory_order_relaxed);
    g_mixedLevel.store((mic + desktop) / 2.0f, std::memory_order_relaxed);
}

}  // namespace zv
