#pragma once
// A control's cached image rendering: tiling, stretching and nine-slicing
// happen once at the control's size; later paints only copy the pixels.
//
// While the cache is not valid, every image the control draws renders into
// the same surface in drawing order (a state image lands over the
// background, nothing is cleared). The paint walk calls markValid() after the
// control's paint; from then on draw() only blits.
#include <cairo.h>

#include "draw/image_draw.h"
#include "draw/painter.h"
#include "draw/rect.h"
#include "draw/surface.h"

namespace Vcl {

class ImageCache {
public:
    // Renders `image` into the cache at (0, 0) if the cache is not valid
    // (making it at dest's size and the painter's scale first), then blits
    // the part of it inside dest ∩ update. dest and update are in the
    // painter's current space. A dest of another size or a painter of
    // another scale than the cache drops it first (the control was
    // re-placed, the window went to another screen). Nothing happens for an
    // image without a picture.
    void draw(Painter& painter, const ImageDesc& image, const Rect& dest, const Rect& update);
    // The two halves of draw(), for a control that draws several images in
    // a row: render each, then copy the cache once, so partly transparent
    // pixels are not laid over themselves. render() does nothing while the
    // cache is valid; blit() nothing without a rendering of dest's size at
    // the painter's scale. `scale` is device pixels per logical pixel.
    void render(const ImageDesc& image, const Rect& dest, int scale = 1);
    void blit(Painter& painter, const Rect& dest, const Rect& update) const;

    // After the control's paint: later draws reuse the rendering. Without a
    // surface (nothing drawn yet) the cache stays not valid.
    void markValid() { valid_ = surface_ != nullptr; }
    // The control changed: drop the rendering.
    void invalidate();

    bool valid() const { return valid_; }
    cairo_surface_t* surface() const { return surface_.get(); }

private:
    SurfacePtr surface_;
    bool valid_ = false;
};

}  // namespace Vcl
