#pragma once
// How the control kinds put their looks on the painter: one look per state
// (an image, else a colour), images through the control's cache.
#include "draw/image_cache.h"
#include "draw/painter.h"
#include "res/color.h"
#include "res/image.h"

namespace Vcl {

// One state's look. The image wins over the colour; both may be absent.
struct Look {
    const Res::xImage* image = nullptr;
    const Res::xColor* color = nullptr;
    bool empty() const { return !image && !color; }
};

// What the drawing side needs of an image resource for a target of `scale`
// device pixels per logical pixel: its 2× picture from scale 2 on when it
// has one, else the 1× picture (filtered up). The picture is null when the
// resource has none or it cannot be drawn.
ImageDesc DescribeImage(const Res::xImage& image, int scale = 1);

// Paints looks over `rect` in the order given. Consecutive images are
// rendered into the cache one over the other and copied to the painter
// once (when a colour follows, and at the end), so partly transparent
// pixels are not laid over themselves; colours are filled straight onto
// the painter, so they are never cached. The kinds draw at most a
// background and one state look, so an image never follows a colour that
// followed another image (the cache would put both images over the colour).
class LookPainter {
public:
    LookPainter(Painter& painter, ImageCache& cache, const Rect& rect, const Rect& update)
        : painter_(painter), cache_(cache), rect_(rect), update_(update) {}
    ~LookPainter() { flush(); }
    LookPainter(const LookPainter&) = delete;
    LookPainter& operator=(const LookPainter&) = delete;

    void draw(const Look& look);
    // Copies the rendered images out now (before text is drawn over them).
    void flush();

private:
    Painter& painter_;
    ImageCache& cache_;
    Rect rect_, update_;
    bool pending_ = false;
};

}  // namespace Vcl
