#include "frame_format.h"

#include <array>
#include <cstring>

namespace zv::screencast {
namespace {

constexpr std::array<spa_video_format, 4> kOffered{SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRA,
                                                   SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA};

}  // namespace

std::span<const spa_video_format> OfferedFormats() {
    return kOffered;
}

std::optional<ObsFormat> ObsFormatFor(spa_video_format format) {
    switch (format) {
        case SPA_VIDEO_FORMAT_BGRx:
            return ObsFormat{VIDEO_FORMAT_BGRX, false};
        case SPA_VIDEO_FORMAT_BGRA:
            return ObsFormat{VIDEO_FORMAT_BGRA, false};
        case SPA_VIDEO_FORMAT_RGBA:
            return ObsFormat{VIDEO_FORMAT_RGBA, false};
        case SPA_VIDEO_FORMAT_RGBx:
            // libobs has no RGB-with-padding format.
            return ObsFormat{VIDEO_FORMAT_RGBA, true};
        default:
            return std::nullopt;
    }
}

void CopyOpaque(const uint8_t* src, size_t srcStride, uint8_t* dst, size_t dstStride,
                uint32_t width, uint32_t height) {
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* in = src + y * srcStride;
        uint8_t* out = dst + y * dstStride;
        std::memcpy(out, in, size_t{width} * 4);
        for (uint32_t x = 0; x < width; ++x)
            out[x * 4 + 3] = 255;
    }
}

uint64_t FrameTimestamp(std::optional<uint64_t> ptsNs, uint64_t nowNs) {
    constexpr uint64_t kSecond = 1000000000;
    if (ptsNs && *ptsNs + kSecond >= nowNs && *ptsNs <= nowNs + kSecond)
        return *ptsNs;
    return nowNs;
}

}  // namespace zv::screencast
