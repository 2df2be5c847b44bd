#include "frame_format.h"

#include <gtest/gtest.h>

#include <vector>

namespace zv::screencast {
namespace {

TEST(FrameFormats, EveryOfferedFormatReachesLibobs) {
    ASSERT_FALSE(OfferedFormats().empty());
    EXPECT_EQ(OfferedFormats().front(), SPA_VIDEO_FORMAT_BGRx);  // the compositors' own
    for (const spa_video_format f : OfferedFormats())
        EXPECT_TRUE(ObsFormatFor(f).has_value()) << f;

    EXPECT_EQ(ObsFormatFor(SPA_VIDEO_FORMAT_BGRx)->format, VIDEO_FORMAT_BGRX);
    EXPECT_EQ(ObsFormatFor(SPA_VIDEO_FORMAT_BGRA)->format, VIDEO_FORMAT_BGRA);
    EXPECT_EQ(ObsFormatFor(SPA_VIDEO_FORMAT_RGBA)->format, VIDEO_FORMAT_RGBA);
    EXPECT_FALSE(ObsFormatFor(SPA_VIDEO_FORMAT_BGRA)->fillAlpha);
    // RGB with padding has no libobs twin: RGBA with the padding made opaque.
    EXPECT_EQ(ObsFormatFor(SPA_VIDEO_FORMAT_RGBx)->format, VIDEO_FORMAT_RGBA);
    EXPECT_TRUE(ObsFormatFor(SPA_VIDEO_FORMAT_RGBx)->fillAlpha);
    EXPECT_FALSE(ObsFormatFor(SPA_VIDEO_FORMAT_NV12).has_value());
    EXPECT_FALSE(ObsFormatFor(SPA_VIDEO_FORMAT_UNKNOWN).has_value());
}

TEST(FrameFormats, OpaqueCopyKeepsColoursAndSkipsRowPadding) {
    // 2 x 2 picture in rows of 12 bytes (4 bytes of padding each).
    std::vector<uint8_t> src = {1, 2, 3, 0, 4,  5,  6,  9, 0xEE, 0xEE, 0xEE, 0xEE,
                                7, 8, 9, 0, 10, 11, 12, 0, 0xEE, 0xEE, 0xEE, 0xEE};
    std::vector<uint8_t> dst(16, 0x55);
    CopyOpaque(src.data(), 12, dst.data(), 8, 2, 2);
    const std::vector<uint8_t> expected = {1, 2, 3, 255, 4,  5,  6,  255,
                                           7, 8, 9, 255, 10, 11, 12, 255};
    EXPECT_EQ(dst, expected);
}

TEST(FrameFormats, TimestampsStayOnTheEnginesClock) {
    constexpr uint64_t kNow = 5000000000000;
    constexpr uint64_t kMs = 1000000;
    EXPECT_EQ(FrameTimestamp(kNow - 16 * kMs, kNow), kNow - 16 * kMs);
    EXPECT_EQ(FrameTimestamp(kNow + 3 * kMs, kNow), kNow + 3 * kMs);
    // Another clock (far off either way) or none: the arrival time.
    EXPECT_EQ(FrameTimestamp(kNow - 5000 * kMs, kNow), kNow);
    EXPECT_EQ(FrameTimestamp(kNow + 5000 * kMs, kNow), kNow);
    EXPECT_EQ(FrameTimestamp(std::nullopt, kNow), kNow);
    EXPECT_EQ(FrameTimestamp(uint64_t{12}, 400), uint64_t{12});  // near zero, no underflow
}

}  // namespace
}  // namespace zv::screencast
