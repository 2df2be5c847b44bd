#include "draw/image_cache.h"

namespace Vcl {

void ImageCache::draw(Painter& painter, const ImageDesc& image, const Rect& dest,
                      const Rect& update) {
    if (!image.picture || dest.empty()) {
        return;
    }
    render(image, dest);
    blit(painter, dest, update);
}

void ImageCache::render(const ImageDesc& image, const Rect& dest) {
    if (!image.picture || dest.empty()) {
        return;
    }
    if (surface_ && (SurfaceWidth(surface_.get()) != dest.width ||
                     SurfaceHeight(surface_.get()) != dest.height)) {
        invalidate();
    }
    if (!surface_) {
        surface_ = MakeImageSurface(dest.width, dest.height);
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
    if (surface_ && SurfaceWidth(surface_.get()) == dest.width &&
        SurfaceHeight(surface_.get()) == dest.height) {
        painter.blit(surface_.get(), dest, update);
    }
}

void ImageCache::invalidate() {
    surface_.reset();
    valid_ = false;
}

}  // namespace Vcl
