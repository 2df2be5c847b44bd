#pragma once
// The picture formats taken from the compositor and how each is handed to
// libobs. Shared-memory 32-bit RGB only: what compositors offer without a GPU.
#include <spa/param/video/raw.h>

#include <cstddef>
#include <cstdint>
#include <media-io/video-io.h>
#include <optional>
#include <span>

namespace zv::screencast {

// The formats offered to the compositor, most preferred first.
std::span<const spa_video_format> OfferedFormats();

struct ObsFormat {
    video_format format;
    // The fourth byte is padding: libobs gets a copy with it made opaque.
    bool fillAlpha;
};

// How frames of a negotiated format reach libobs; nothing for a format that
// was not offered.
std::optional<ObsFormat> ObsFormatFor(spa_video_format format);

// Copies a 32-bit picture with every fourth byte set to 255.
void CopyOpaque(const uint8_t* src, size_t srcStride, uint8_t* dst, size_t dstStride,
                uint32_t width, uint32_t height);

// The frame's time for libobs: the compositor's presentation time when it is
// on the same clock as `nowNs` (within a second of it), else the arrival time.
uint64_t FrameTimestamp(std::optional<uint64_t> ptsNs, uint64_t nowNs);

}  // namespace zv::screencast
