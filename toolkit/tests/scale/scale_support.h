#pragma once
// Shared by the high-density drawing tests: device-scaled canvases read in
// device pixels, pictures made pixel by pixel, and counting sharp edges.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "controls/controls_support.h"
#include "draw/painter.h"
#include "draw/surface.h"

namespace scale_test {

using namespace Vcl;

using controls_test::kWhite;
constexpr uint32_t kBlack = 0xFF000000u;

// Raw ARGB32 words at device pixel (x, y): the image's own pixels.
using controls_test::PixelAt;
inline uint32_t DevicePixel(cairo_surface_t* s, int x, int y) {
    return PixelAt(s, x, y);
}

// An opaque picture (no device scale: pictures are plain pixels) whose
// pixel colours come from `colour(x, y)`.
inline SurfacePtr MakePicture(int w, int h, const std::function<uint32_t(int, int)>& colour) {
    SurfacePtr s = MakeImageSurface(w, h);
    cairo_surface_flush(s.get());
    unsigned char* data = cairo_image_surface_get_data(s.get());
    const int stride = cairo_image_surface_get_stride(s.get());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t word = 0xFF000000u | colour(x, y);
            std::memcpy(data + y * stride + x * 4, &word, 4);
        }
    }
    cairo_surface_mark_dirty(s.get());
    return s;
}

// A canvas of w × h logical pixels at `scale`, opaque white; read in
// device pixels.
struct ScaledCanvas {
    ScaledCanvas(int w, int h, int scale)
        : surface(MakeImageSurface(w, h, scale)), painter(surface.get()) {
        painter.fill(Rect{0, 0, w, h}, Color::FromArgb(kWhite));
    }
    uint32_t at(int x, int y) const { return DevicePixel(surface.get(), x, y); }
    int width() const { return SurfaceWidth(surface.get()); }
    int height() const { return SurfaceHeight(surface.get()); }
    // Device pixels that are not white, as a bounding box.
    Rect ink() const {
        int l = width(), t = height(), r = -1, b = -1;
        for (int y = 0; y < height(); ++y) {
            for (int x = 0; x < width(); ++x) {
                if (at(x, y) != kWhite) {
                    l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
                }
            }
        }
        return r < 0 ? Rect{} : Rect::FromEdges(l, t, r + 1, b + 1);
    }

    SurfacePtr surface;
    Painter painter;
};

inline int Grey(uint32_t argb) {
    return int((argb >> 16 & 0xFF) + (argb >> 8 & 0xFF) + (argb & 0xFF)) / 3;
}

// Horizontally adjacent device pixels whose brightness differs by more than
// half the range: what makes text look sharp rather than smeared.
inline int StrongEdges(cairo_surface_t* s) {
    const int w = SurfaceWidth(s), h = SurfaceHeight(s);
    int edges = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 1; x < w; ++x) {
            edges += std::abs(Grey(DevicePixel(s, x, y)) - Grey(DevicePixel(s, x - 1, y))) > 128;
        }
    }
    return edges;
}

}  // namespace scale_test
