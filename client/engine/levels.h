#pragma once
// Sound levels published by the meters' callbacks (libobs audio thread) and
// read by the main window's timer (UI thread). Each is one atomic float with
// relaxed ordering: readers want the latest value, nothing is derived from
// the order of writes.
#include <atomic>

namespace zv {

inline std::atomic<float> g_micLevel{0.0f};
inline std::atomic<float> g_desktopLevel{0.0f};
inline std::atomic<float> g_mixedLevel{0.0f};

// Which meter a callback measures.
enum class MeterKind : int { Microphone = 0, Desktop = 1 };

// Maps a peak in dBFS onto the level scale: -100 dBFS -> 0, 0 dBFS -> 1,
// linear in between and unclamped (-120 -> -0.2). Silence (minus infinity)
// and values that are not numbers give 0.
float PeakToLevel(float peakDb);

// Applies one meter reading (peak of channel 0) to the three level values:
// the caller's own level, then the mixed level as the mean of both, or 0 when
// this reading is silence.
void ApplyMeterPeak(MeterKind kind, float peakDb);

// Loads the mixed level (the value the main window shows).
inline float MixedLevel() {
    return g_mixedLevel.load(std::memory_order_relaxed);
}

}  // namespace zv
