#include "levels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace zv {
namespace {

constexpr float kMinusInf = -std::numeric_limits<float>::infinity();

void ResetLevels() {
    g_micLevel = 0.0f;
    g_desktopLevel = 0.0f;
    g_mixedLevel = 0.0f;
}

TEST(PeakToLevel, MapsDecibelsLinearlyWithoutClamping) {
    EXPECT_FLOAT_EQ(PeakToLevel(-40.0f), 0.6f);
    EXPECT_FLOAT_EQ(PeakToLevel(0.0f), 1.0f);
    EXPECT_FLOAT_EQ(PeakToLevel(-100.0f), 0.0f);
    EXPECT_FLOAT_EQ(PeakToLevel(-120.0f), -0.2f);
    EXPECT_FLOAT_EQ(PeakToLevel(6.0f), 1.06f);
}

TEST(PeakToLevel, SilenceAndNonNumbersGiveZero) {
    EXPECT_EQ(PeakToLevel(kMinusInf), 0.0f);
    EXPECT_EQ(PeakToLevel(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(PeakToLevel(std::numeric_limits<float>::infinity()), 0.0f);
}

TEST(MeterPeak, MixedLevelIsTheMeanOfTheNewestValues) {
    ResetLevels();
    ApplyMeterPeak(MeterKind::Microphone, -40.0f);
    EXPECT_FLOAT_EQ(g_micLevel.load(), 0.6f);
    EXPECT_FLOAT_EQ(MixedLevel(), 0.3f);  // desktop still 0
    ApplyMeterPeak(MeterKind::Desktop, -20.0f);
    EXPECT_FLOAT_EQ(g_desktopLevel.load(), 0.8f);
    EXPECT_FLOAT_EQ(MixedLevel(), 0.7f);
    EXPECT_FLOAT_EQ(g_micLevel.load(), 0.6f);
}

TEST(MeterPeak, SilenceZeroesOwnAndMixedLevelButKeepsTheOther) {
    ResetLevels();
    ApplyMeterPeak(MeterKind::Microphone, -40.0f);
    ApplyMeterPeak(MeterKind::Desktop, -20.0f);
    ApplyMeterPeak(MeterKind::Microphone, kMinusInf);
    EXPECT_EQ(g_micLevel.load(), 0.0f);
    EXPECT_EQ(MixedLevel(), 0.0f);
    EXPECT_FLOAT_EQ(g_desktopLevel.load(), 0.8f);
    // The next desktop reading mixes with the silent microphone.
    ApplyMeterPeak(MeterKind::Desktop, 0.0f);
    EXPECT_FLOAT_EQ(MixedLevel(), 0.5f);
}

TEST(MeterPeak, ConcurrentWritersAndReaderSeeOnlyValuesThatWereWritten) {
    ResetLevels();
    std::atomic<bool> stop{false};
    std::vector<float> seen;
    std::thread reader([&] {
        while (!stop.load())
            seen.push_back(MixedLevel());
    });
    std::thread mic([] {
        for (int i = 0; i < 20000; ++i)
            ApplyMeterPeak(MeterKind::Microphone, -40.0f);
    });
    std::thread desktop([] {
        for (int i = 0; i < 20000; ++i)
            ApplyMeterPeak(MeterKind::Desktop, 0.0f);
    });
    mic.join();
    desktop.join();
    stop = true;
    reader.join();
    // Every mixed value is a mean of values either meter could have held.
    for (float v : seen) {
        const bool plausible = v == 0.0f || std::fabs(v - 0.3f) < 1e-6f ||
                               std::fabs(v - 0.5f) < 1e-6f || std::fabs(v - 0.8f) < 1e-6f;
        ASSERT_TRUE(plausible) << v;
    }
    EXPECT_FLOAT_EQ(MixedLevel(), 0.8f);
}

}  // namespace
}  // namespace zv
