#include "controls/look_painter.h"

#include "draw/picture.h"

namespace Vcl {

ImageDesc DescribeImage(const Res::xImage& image, int scale) {
    ImageDesc d;
    d.picture = SharedPicture(image.image.get());
    if (scale >= 2 && d.picture) {
        if (cairo_surface_t* sharp = SharedPicture(image.picture2x())) {
            d.picture = sharp;
            d.pictureScale = 2;
        }
    }
    d.frameWidth = image.frameWidth;
    d.frameHeight = image.frameHeight;
    d.index = image.index;
    d.count = image.count;
    d.mode = image.mode;
    d.ml = image.ml, d.mr = image.mr, d.mt = image.mt, d.mb = image.mb;
    return d;
}

void LookPainter::draw(const Look& look) {
    if (look.image) {
        const ImageDesc desc = DescribeImage(*look.image, painter_.scale());
        if (desc.picture) {
            cache_.render(desc, rect_, painter_.scale());
            pending_ = true;
        }
        // An image that cannot be drawn still hides the colour: the image
        // attribute is present.
        return;
    }
    if (look.color) {
        flush();
        painter_.fill(rect_, Color::FromArgb(look.color->argb));
    }
}

void LookPainter::flush() {
    if (pending_) {
        cache_.blit(painter_, rect_, update_);
        pending_ = false;
    }
}

}  // namespace Vcl
