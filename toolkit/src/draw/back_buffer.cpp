#include "draw/back_buffer.h"

namespace Vcl {

Painter BackBuffer::begin(int width, int height) {
    if (!surface_ || SurfaceWidth(surface_.get()) != width ||
        SurfaceHeight(surface_.get()) != height) {
        surface_ = MakeImageSurface(width, height);
    }
    return Painter(surface_.get());
}

}  // namespace Vcl
