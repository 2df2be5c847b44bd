#pragma once
// Text drawing and measuring with Pango, laid out the way labels and buttons
// describe it. Only whole lines are laid out: a line that does not fit
// entirely in the box is not drawn (nor measured), and drawing is clipped to
// the box.
#include <cairo.h>
#include <pango/pango.h>

#include <string>
#include <string_view>

#include "draw/color.h"
#include "draw/rect.h"

namespace Vcl {

enum class TextAlign { Near, Center, Far };

struct TextFormat {
    TextAlign align = TextAlign::Near;  // "center" → Center, "right" → Far
    bool vcenter = false;               // "vcenter"; else lines start at the top
    bool wrap = false;                  // "autowrap"; else one line per paragraph
    bool vertical = false;              // "vertical": lines run top to bottom
    bool ellipsis = false;              // "autotrim": cut at a word end and add "…"
};

// The box text is measured in (autosize).
inline constexpr int kMeasureBoxWidth = 2000;
inline constexpr int kMeasureBoxHeight = 1600;

// The font resolution texts are laid out at, in logical dots per inch: 96
// unless the desktop scales text (GDK_DPI_SCALE, Xft.dpi), which the host
// hands on here. Values outside 24..960 (unreadable settings) mean 96. Text
// stays sharp on high-density screens through the target's device scale,
// not through this.
inline constexpr double kDefaultTextResolution = 96;
void SetTextResolution(double dpi);
double TextResolution();

// UTF-16 to UTF-8 for Pango. Lone surrogates and U+0000 become U+FFFD, so
// any text a control holds lays out.
std::string TextToUtf8(std::u16string_view text);

// `font` may be null: "Sans 10" then. Sizes are points at the text
// resolution, so at 96 dpi a 10-point font is 13.3 logical pixels high.
void DrawText(cairo_t* cr, std::u16string_view text, const PangoFontDescription* font, Color color,
              const Rect& box, const TextFormat& format);
void DrawText(cairo_t* cr, std::string_view utf8, const PangoFontDescription* font, Color color,
              const Rect& box, const TextFormat& format);

// The width of the laid-out lines' bounding box in a kMeasureBoxWidth ×
// kMeasureBoxHeight box, truncated (ellipsis does not apply). `cr` supplies
// the font options; null measures on a scratch surface.
int MeasureText(cairo_t* cr, std::u16string_view text, const PangoFontDescription* font,
                const TextFormat& format);

}  // namespace Vcl
