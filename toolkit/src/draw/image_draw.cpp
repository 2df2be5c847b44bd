#include "draw/image_draw.h"

#include <algorithm>

#include "draw/surface.h"

namespace Vcl {

namespace {

// How a piece's source covers its destination.
enum class Fit { Crop, Repeat, Scale };

// Paints `source` (logical pixels of the picture) onto `dest`. Pieces
// sample a sub-surface of their own, so scaling (padded at the edges) and
// repeating never pull in pixels of the neighbouring frame or piece.
void DrawPiece(cairo_t* cr, cairo_surface_t* picture, int scale, const Rect& frame, Rect source,
               const Rect& dest, Fit fit) {
    source = source.intersect(frame);  // hostile margins cannot reach past the frame
    if (source.empty() || dest.empty()) {
        return;
    }
    SurfacePtr sub(cairo_surface_create_for_rectangle(
        picture, double(source.x) * scale, double(source.y) * scale, double(source.width) * scale,
        double(source.height) * scale));
    PatternPtr pattern(cairo_pattern_create_for_surface(sub.get()));
    cairo_matrix_t m;  // maps user space to pattern space
    cairo_matrix_init_identity(&m);
    switch (fit) {
        case Fit::Crop:
            // Only the picture's own extent is filled, so padding adds
            // nothing at 1:1 and keeps edges from fading when filtered.
            cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
            cairo_matrix_scale(&m, scale, scale);
            break;
        case Fit::Repeat:
            cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
            cairo_matrix_scale(&m, scale, scale);
            break;
        case Fit::Scale:
            cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
            cairo_matrix_scale(&m, double(source.width) * scale / dest.width,
                               double(source.height) * scale / dest.height);
            break;
    }
    cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_GOOD);
    cairo_matrix_translate(&m, -dest.x, -dest.y);
    cairo_pattern_set_matrix(pattern.get(), &m);
    cairo_set_source(cr, pattern.get());
    cairo_rectangle(cr, dest.x, dest.y, dest.width, dest.height);
    cairo_fill(cr);
}

Rect Offset(const Rect& r, const Rect& by) {
    return Rect{Rect::Saturate(static_cast<long long>(r.x) + by.x),
                Rect::Saturate(static_cast<long long>(r.y) + by.y), r.width, r.height};
}

}  // namespace

Rect FrameRect(const ImageDesc& image) {
    const int scale = std::max(image.pictureScale, 1);
    const int pw = SurfaceWidth(image.picture) / scale, ph = SurfaceHeight(image.picture) / scale;
    const int count = std::max(image.count, 1);
    const int fw = image.frameWidth > 0 ? image.frameWidth : pw / count;
    const int fh = image.frameHeight > 0 ? image.frameHeight : ph;
    const int index = std::clamp(image.index, 0, count - 1);
    const Rect frame{Rect::Saturate(static_cast<long long>(fw) * index), 0, fw, fh};
    return frame.intersect(Rect{0, 0, pw, ph});
}

std::array<Piece, 9> NinePieces(const Rect& frame, int w, int h, int ml, int mr, int mt, int mb) {
    const int sx = frame.x, sy = frame.y, fw = frame.width, fh = frame.height;
    // Middle sizes of the destination and of the source.
    const int dmw = w - mr - ml, dmh = h - mb - mt;
    const int smw = fw - mr - ml, smh = fh - mb - mt;
    return {{
        {{ml, mt, dmw, dmh}, {sx + ml, sy + mt, smw, smh}},                // centre
        {{ml, 0, dmw, mt}, {sx + ml, sy, smw, mt}},                        // top
        {{0, mt, ml, dmh}, {sx, sy + mt, ml, smh}},                        // left
        {{ml, h - mb, dmw, mb}, {sx + ml, sy + fh - mb, smw, mb}},         // bottom
        {{w - mr, mt, mr, dmh}, {sx + fw - mr, sy + mt, mr, smh}},         // right
        {{0, 0, ml, mt}, {sx, sy, ml, mt}},                                // top-left
        {{w - mr, 0, mr, mt}, {sx + fw - mr, sy, mr, mt}},                 // top-right
        {{0, h - mb, ml, mb}, {sx, sy + fh - mb, ml, mb}},                 // bottom-left
        {{w - mr, h - mb, mr, mb}, {sx + fw - mr, sy + fh - mb, mr, mb}},  // bottom-right
    }};
}

void DrawImage(cairo_t* cr, const ImageDesc& image, const Rect& dest) {
    if (!cr || !image.picture || dest.empty() ||
        cairo_surface_status(image.picture) != CAIRO_STATUS_SUCCESS) {
        return;
    }
    const Rect frame = FrameRect(image);
    const int scale = std::max(image.pictureScale, 1);
    if (frame.empty()) {
        return;
    }
    cairo_save(cr);
    // Pieces of overlapping margins reach past the rectangle; the cache's
    // bitmap would cut them off, so direct drawing does too.
    cairo_rectangle(cr, dest.x, dest.y, dest.width, dest.height);
    cairo_clip(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    switch (image.mode) {
        case ImageMode::Original:
            DrawPiece(cr, image.picture, scale, frame, frame,
                      dest.intersect(Rect{dest.x, dest.y, frame.width, frame.height}), Fit::Crop);
            break;
        case ImageMode::Tile:
            DrawPiece(cr, image.picture, scale, frame, frame, dest, Fit::Repeat);
            break;
        case ImageMode::Stretch:
            DrawPiece(cr, image.picture, scale, frame, frame, dest, Fit::Scale);
            break;
        case ImageMode::Stretch9: {
            const auto pieces =
                NinePieces(frame, dest.width, dest.height, std::max(image.ml, 0),
                           std::max(image.mr, 0), std::max(image.mt, 0), std::max(image.mb, 0));
            for (const Piece& p : pieces) {
                DrawPiece(cr, image.picture, scale, frame, p.source, Offset(p.dest, dest),
                          Fit::Scale);
            }
            break;
        }
    }
    cairo_restore(cr);
}

}  // namespace Vcl
