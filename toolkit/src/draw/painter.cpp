#include "draw/painter.h"

#include <algorithm>
#include <cmath>

namespace Vcl {

Painter::Painter(cairo_surface_t* target)
    : cr_(cairo_create(target)), scale_(SurfaceScale(target)) {}
// cairo_create never returns null: on a null or failed target it returns a
// context in an error state, on which every call is a no-op.

bool Painter::valid() const {
    return cairo_status(cr_.get()) == CAIRO_STATUS_SUCCESS;
}

void Painter::translate(int dx, int dy) {
    cairo_translate(cr_.get(), dx, dy);
}

void Painter::clip(const Rect& r) {
    cairo_rectangle(cr_.get(), r.x, r.y, std::max(r.width, 0), std::max(r.height, 0));
    cairo_clip(cr_.get());
}

Rect Painter::clipBounds() const {
    double x1, y1, x2, y2;
    cairo_clip_extents(cr_.get(), &x1, &y1, &x2, &y2);
    return Rect::FromEdges(int(std::floor(x1)), int(std::floor(y1)), int(std::ceil(x2)),
                           int(std::ceil(y2)));
}

void Painter::fill(const Rect& r, Color color) {
    if (r.empty()) {
        return;
    }
    cairo_t* cr = cr_.get();
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_set_source_rgba(cr, color.redF(), color.greenF(), color.blueF(), color.alphaF());
    cairo_rectangle(cr, r.x, r.y, r.width, r.height);
    cairo_fill(cr);
}

void Painter::drawImage(const ImageDesc& image, const Rect& dest) {
    DrawImage(cr_.get(), image, dest);
}

void Painter::blit(cairo_surface_t* source, const Rect& dest, const Rect& update) {
    const Rect part = dest.intersect(update);
    if (!source || part.empty()) {
        return;
    }
    cairo_t* cr = cr_.get();
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_set_source_surface(cr, source, dest.x, dest.y);
    cairo_rectangle(cr, part.x, part.y, part.width, part.height);
    cairo_fill(cr);
}

void Painter::drawText(std::u16string_view text, const PangoFontDescription* font, Color color,
                       const Rect& box, const TextFormat& format) {
    // Text is clipped to its box: a box outside the clip draws nothing, and
    // laying the text out would cost the most of a small repaint.
    if (box.intersect(clipBounds()).empty()) {
        return;
    }
    DrawText(cr_.get(), text, font, color, box, format);
}

void Painter::drawText(std::string_view utf8, const PangoFontDescription* font, Color color,
                       const Rect& box, const TextFormat& format) {
    if (box.intersect(clipBounds()).empty()) {
        return;
    }
    DrawText(cr_.get(), utf8, font, color, box, format);
}

int Painter::measureText(std::u16string_view text, const PangoFontDescription* font,
                         const TextFormat& format) const {
    return MeasureText(cr_.get(), text, font, format);
}

}  // namespace Vcl
