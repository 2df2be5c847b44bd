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

// A transparent ARGB32 image surface, or null when the size is not positive
// or cairo cannot hold it (cairo would hand back an error object instead).
inline SurfacePtr MakeImageSurface(int width, int height) {
    if (width <= 0 || height <= 0) {
        return nullptr;
    }
    SurfacePtr s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) {
        return nullptr;
    }
    return s;
}

inline int SurfaceWidth(cairo_surface_t* s) {
    return s ? cairo_image_surface_get_width(s) : 0;
}
inline int SurfaceHeight(cairo_surface_t* s) {
    return s ? cairo_image_surface_get_height(s) : 0;
}

}  // namespace Vcl
