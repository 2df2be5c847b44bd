#pragma once
// Drawing onto a cairo image surface in logical pixel units, whatever the
// surface's device scale (a back buffer of a scale-2 window has four device
// pixels per logical one). Knows nothing of controls: the paint walk moves
// the origin and clips, controls fill, draw images and text. A painter over
// a null or failed surface draws nothing.
#include <cairo.h>
#include <pango/pango.h>

#include <string>
#include <string_view>

#include "draw/color.h"
#include "draw/image_draw.h"
#include "draw/rect.h"
#include "draw/surface.h"
#include "draw/text_draw.h"

namespace Vcl {

class Painter {
public:
    // Draws onto `target` (not owned; cairo keeps its own reference while the
    // painter lives).
    explicit Painter(cairo_surface_t* target);

    bool valid() const;
    cairo_t* context() const { return cr_.get(); }
    // Device pixels per logical pixel of the target (1 when unscaled).
    int scale() const { return scale_; }

    // Restores origin and clip when it ends; scopes nest.
    class [[nodiscard]] Scope {
    public:
        explicit Scope(cairo_t* cr) : cr_(cr) { cairo_save(cr_); }
        ~Scope() { cairo_restore(cr_); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        cairo_t* cr_;
    };
    Scope scope() { return Scope(cr_.get()); }

    // Both work in the current (translated) space; a clip intersects the
    // clips already set.
    void translate(int dx, int dy);
    void clip(const Rect& r);
    // The clip's extent in the current space (the whole target when unclipped).
    Rect clipBounds() const;

    // A solid fill, blended over what is below by the colour's alpha.
    void fill(const Rect& r, Color color);
    // One image, rendered straight into `dest` (ImageCache keeps renderings).
    void drawImage(const ImageDesc& image, const Rect& dest);
    // `source` unscaled with its origin at dest's, only inside dest ∩ update.
    void blit(cairo_surface_t* source, const Rect& dest, const Rect& update);

    void drawText(std::u16string_view text, const PangoFontDescription* font, Color color,
                  const Rect& box, const TextFormat& format = {});
    void drawText(std::string_view utf8, const PangoFontDescription* font, Color color,
                  const Rect& box, const TextFormat& format = {});
    int measureText(std::u16string_view text, const PangoFontDescription* font,
                    const TextFormat& format = {}) const;

private:
    ContextPtr cr_;
    int scale_ = 1;
};

}  // namespace Vcl
