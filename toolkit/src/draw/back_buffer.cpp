#include "draw/back_buffer.h"

namespace Vcl {

Painter BackBuffer::begin(int width, int height, int scale) {
    scale = scale > 0 ? scale : 1;
    if (!surface_ || SurfaceScale(surface_.get()) != scale ||
        SurfaceWidth(surface_.get()) != static_cast<long long>(width) * scale ||
        SurfaceHeight(surface_.get()) != static_cast<long long>(height) * scale) {
        surface_ = MakeImageSurface(width, height, scale);
    }
    return Painter(surface_.get());
}

}  // namespace Vcl
