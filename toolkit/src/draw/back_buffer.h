#pragma once
// A window's back buffer: the whole control tree is painted into it, then it
// is copied to the screen in one go, so a paint never shows half-drawn.
#include <cairo.h>

#include "draw/painter.h"
#include "draw/surface.h"

namespace Vcl {

class BackBuffer {
public:
    // A painter over the buffer for a client area of width × height logical
    // pixels on a screen of `scale` device pixels per logical pixel (the
    // buffer holds device pixels). The buffer is made on first use and
    // rebuilt (transparent) only when the size or the scale changes;
    // otherwise it keeps the last paint's pixels. The painter is invalid
    // (draws nothing) for an empty size or when cairo cannot hold it.
    Painter begin(int width, int height, int scale = 1);

    // The pixels for the copy to the screen; null before the first begin.
    cairo_surface_t* surface() const { return surface_.get(); }
    // Frees the buffer (a hidden or destroyed window).
    void drop() { surface_.reset(); }

private:
    SurfacePtr surface_;
};

}  // namespace Vcl
