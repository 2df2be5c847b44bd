#include "draw/image_cache.h"

#include <algorithm>

namespace Vcl {

void ImageCache::draw(Painter& painter, const ImageDesc& image, const Rect& dest,
                      const Rect& update) {
    if (!image.picture || dest.empty()) {
        return;
    }
    render(image, dest, painter.scale());
    blit(painter, dest, update);
}

namespace {

bool Fits(cairo_surface_t* s, const Rect& dest, int scale) {
    return SurfaceScale(s) == scale &&
           SurfaceWidth(s) == static_cast<long long>(dest.width) * scale &&
           SurfaceHeight(s) == static_cast<long long>(dest.height) * scale;
}

}  // namespace

void ImageCache::render(const ImageDesc& image, const Rect& dest, int scale) {
    if (!image.picture || dest.empty()) {
        return;
    }
    scale = std::max(scale, 1);
    if (surface_ && !Fits(surface_.get(), dest, scale)) {
        invalidate();
    }
    if (!surface_) {
        surface_ = MakeImageSurface(dest.width, dest.height, scale);
        if (!surface_) {
            return;
        }
    }
    if (!valid_) {
        Painter(surface_.get()).drawImage(image, Rect{0, 0, dest.width, dest.height});
    }
}

void ImageCache::blit(Painter& painter, const Rect& dest, const Rect& update) const {
    // A rendering of another size belongs to an older placement.
    if (surface_ && Fits(surface_.get(), dest, painter.scale())) {
        painter.blit(surface_.get(), dest, update);
    }
}

void ImageCache::invalidate() {
    surface_.reset();
    valid_ = false;
}

}  // namespace Vcl
