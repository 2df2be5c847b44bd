#pragma once
// The four image modes: how one frame of a picture fills a rectangle.
#include <cairo.h>

#include <array>

#include "draw/rect.h"

namespace Vcl {

enum class ImageMode { Original = 0, Tile = 1, Stretch = 2, Stretch9 = 3 };

// One image to draw: a frame of a picture strip, and how it fills its place.
// Frame sizes and margins are logical pixels; a picture drawn for a
// high-density screen has `pictureScale` of its pixels per logical pixel
// (2 for an "@2x" picture), so it covers the same place as the 1× one.
struct ImageDesc {
    cairo_surface_t* picture = nullptr;  // not owned; null draws nothing
    int frameWidth = 0;                  // 0: picture width / count (logical)
    int frameHeight = 0;                 // 0: picture height (logical)
    int index = 0;                       // clamped into 0..count-1
    int count = 1;
    ImageMode mode = ImageMode::Original;
    int ml = 0, mr = 0, mt = 0, mb = 0;  // stretch9 margins
    int pictureScale = 1;                // picture pixels per logical pixel
};

// The frame the description selects, kept inside the picture, in logical
// pixels of the picture.
Rect FrameRect(const ImageDesc& image);

struct Piece {
    Rect dest;    // relative to the drawn rectangle's origin
    Rect source;  // in the picture
};

// The nine stretch9 draws in drawing order: centre, top, left, bottom,
// right, then the four corners (unscaled). Pieces may be empty.
std::array<Piece, 9> NinePieces(const Rect& frame, int width, int height, int ml, int mr, int mt,
                                int mb);

// Draws `image` into `dest` of cr's user space with the OVER operator.
// Wherever the picture's pixels do not fall one to one on the target's
// (stretching, a 1× picture on a scale-2 target) they are filtered.
void DrawImage(cairo_t* cr, const ImageDesc& image, const Rect& dest);

}  // namespace Vcl
