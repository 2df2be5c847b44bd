#pragma once
// Owners of cairo and Pango handles. Each adopts a reference the caller
// already holds (what every *_create function returns) and releases it once.
#include <cairo.h>
#include <pango/pangocairo.h>

#include <memory>

namespace Vcl {

struct SurfaceRelease {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextRelease {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
struct PatternRelease {
    void operator()(cairo_pattern_t* p) const { cairo_pattern_destroy(p); }
};
struct LayoutRelease {
    void operator()(PangoLayout* l) const { g_object_unref(l); }
};
struct FontDescriptionFree {
    void operator()(PangoFontDescription* f) const { pango_font_description_free(f); }
};

using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceRelease>;
using ContextPtr = std::unique_ptr<cairo_t, ContextRelease>;
using PatternPtr = std::unique_ptr<cairo_pattern_t, PatternRelease>;
using LayoutPtr = std::unique_ptr<PangoLayout, LayoutRelease>;
using FontDescriptionPtr = std::unique_ptr<PangoFontDescription, FontDescriptionFree>;

// A transparent ARGB32 image surface of width × height logical pixels at
// `scale` device pixels per logical pixel (cairo's device scale, so drawing
// on it stays in logical units), or null when the size or scale is not
// positive or cairo cannot hold it (cairo would hand back an error object).
inline SurfacePtr MakeImageSurface(int width, int height, int scale = 1) {
    // cairo's image limit; also keeps the products below from overflowing.
    constexpr long long kMaxSide = 32767;
    if (width <= 0 || height <= 0 || scale <= 0 ||
        static_cast<long long>(width) * scale > kMaxSide ||
        static_cast<long long>(height) * scale > kMaxSide) {
        return nullptr;
    }
    SurfacePtr s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width * scale, height * scale));
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) {
        return nullptr;
    }
    if (scale != 1) {
        cairo_surface_set_device_scale(s.get(), scale, scale);
    }
    return s;
}

// Sizes in device pixels (the image's own).
inline int SurfaceWidth(cairo_surface_t* s) {
    return s ? cairo_image_surface_get_width(s) : 0;
}
inline int SurfaceHeight(cairo_surface_t* s) {
    return s ? cairo_image_surface_get_height(s) : 0;
}
// Device pixels per logical pixel: 1 for null or unscaled surfaces.
inline int SurfaceScale(cairo_surface_t* s) {
    if (!s) {
        return 1;
    }
    double x = 1, y = 1;
    cairo_surface_get_device_scale(s, &x, &y);
    return x >= 1 ? static_cast<int>(x + 0.5) : 1;
}

}  // namespace Vcl
