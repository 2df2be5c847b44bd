#include "draw/text_draw.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <atomic>
#include <numbers>
#include <utility>
#include <vector>

#include "draw/surface.h"
#include "platform/utf.h"

namespace Vcl {

namespace {

// Point sizes are meant for a 96-dpi screen; the desktop's text scaling
// raises it (SetTextResolution). Not the font map's default, so layouts do
// not depend on it.
std::atomic<double> g_resolution{kDefaultTextResolution};
// Pango counts in 1/1024 pixel in an int: keep boxes well below 2^21 pixels.
constexpr int kMaxBoxSide = 1 << 20;
constexpr char kEllipsis[] = "\u2026";

struct IterFree {
    void operator()(PangoLayoutIter* i) const { pango_layout_iter_free(i); }
};

// Text Pango accepts: valid UTF-8 without NUL (it stops or warns otherwise).
std::string ValidUtf8(std::string_view utf8) {
    std::string out;
    const char* p = utf8.data();
    const char* end = p + utf8.size();
    while (p < end) {
        const char* bad = nullptr;
        g_utf8_validate(p, end - p, &bad);
        out.append(p, bad);
        if (bad == end) {
            break;
        }
        out += "\uFFFD";
        p = bad + 1;
    }
    return out;
}

// One context per thread, brought up to each drawing's transformation and
// surface: a context made per text was most of the cost of a warm repaint.
PangoContext* SharedContext() {
    static thread_local PangoContext* context =
        pango_font_map_create_context(pango_cairo_font_map_get_default());
    const double dpi = g_resolution.load(std::memory_order_relaxed);
    if (pango_cairo_context_get_resolution(context) != dpi) {
        pango_cairo_context_set_resolution(context, dpi);
    }
    return context;
}

LayoutPtr NewLayout(cairo_t* cr, const PangoFontDescription* font) {
    PangoContext* context = SharedContext();
    pango_cairo_update_context(cr, context);
    LayoutPtr layout(pango_layout_new(context));
    if (font) {
        pango_layout_set_font_description(layout.get(), font);
    } else {
        FontDescriptionPtr fallback(pango_font_description_from_string("Sans 10"));
        pango_layout_set_font_description(layout.get(), fallback.get());
    }
    return layout;
}

int LogicalWidth(PangoLayout* layout, const std::string& text) {
    pango_layout_set_text(layout, text.data(), int(text.size()));
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    return logical.width;
}

std::string WithEllipsis(std::string_view text, size_t bytes) {
    std::string s(text.substr(0, bytes));
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.pop_back();
    }
    return s + kEllipsis;
}

// The longest cut of `paragraph` at a word end that fits in `maxWidth` with
// the ellipsis; at a character when not even the first word fits.
std::string TrimParagraph(PangoLayout* layout, std::string_view paragraph, int maxWidth) {
    const std::string whole(paragraph);
    pango_layout_set_text(layout, whole.data(), int(whole.size()));
    int count = 0;
    const PangoLogAttr* attrs = pango_layout_get_log_attrs_readonly(layout, &count);
    std::vector<size_t> wordEnds, charEnds;
    for (int i = 1; i < count; ++i) {
        const size_t bytes = size_t(g_utf8_offset_to_pointer(whole.data(), i) - whole.data());
        if (attrs[i].is_word_end) {
            wordEnds.push_back(bytes);
        }
        if (attrs[i].is_cursor_position) {
            charEnds.push_back(bytes);
        }
    }
    for (const auto* cuts : {&wordEnds, &charEnds}) {
        // Widths grow with the cut: find the last one that fits.
        auto fits = std::partition_point(cuts->begin(), cuts->end(), [&](size_t cut) {
            return LogicalWidth(layout, WithEllipsis(paragraph, cut)) <= maxWidth;
        });
        if (fits != cuts->begin()) {
            return WithEllipsis(paragraph, *(fits - 1));
        }
    }
    return kEllipsis;
}

// Each paragraph wider than the box cut down to fit, separators kept.
std::string TrimParagraphs(PangoLayout* layout, const std::string& text, int maxWidth) {
    pango_layout_set_text(layout, text.data(), int(text.size()));
    struct Span {
        int start, length, width;
    };
    std::vector<Span> spans;
    for (GSList* l = pango_layout_get_lines_readonly(layout); l; l = l->next) {
        auto* line = static_cast<PangoLayoutLine*>(l->data);
        PangoRectangle logical;
        pango_layout_line_get_extents(line, nullptr, &logical);
        spans.push_back({line->start_index, line->length, logical.width});
    }
    std::string out;
    int done = 0;
    for (const Span& s : spans) {
        out.append(text, size_t(done), size_t(s.start - done));  // the separator
        const std::string_view para(text.data() + s.start, size_t(s.length));
        if (s.width <= maxWidth) {
            out += para;
        } else {
            out += TrimParagraph(layout, para, maxWidth);
        }
        done = s.start + s.length;
    }
    out.append(text, size_t(done));
    return out;
}

struct Line {
    PangoLayoutLine* line;
    int originX;   // the line's logical left relative to its origin
    int width;     // logical width
    int baseline;  // from the top of the layout
};

struct Lines {
    std::vector<Line> lines;
    int width = 0;   // widest line
    int height = 0;  // bottom of the last line
};

// Lays `text` out in a w × h box (pixels) and keeps the lines that fit whole.
// Alignment is applied by the caller per line, so Pango aligns nothing.
Lines LayOut(PangoLayout* layout, const std::string& text, int w, int h, const TextFormat& format) {
    w = std::clamp(w, 0, kMaxBoxSide);
    h = std::clamp(h, 0, kMaxBoxSide);
    if (format.ellipsis && !format.wrap) {
        const std::string shown = TrimParagraphs(layout, text, w * PANGO_SCALE);
        pango_layout_set_text(layout, shown.data(), int(shown.size()));
    } else {
        pango_layout_set_text(layout, text.data(), int(text.size()));
    }
    if (format.wrap) {
        pango_layout_set_width(layout, w * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
        if (format.ellipsis) {
            pango_layout_set_height(layout, h * PANGO_SCALE);
            pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
        }
    }
    Lines result;
    std::unique_ptr<PangoLayoutIter, IterFree> iter(pango_layout_get_iter(layout));
    do {
        PangoRectangle inLayout, own;
        pango_layout_iter_get_line_extents(iter.get(), nullptr, &inLayout);
        if (inLayout.y + inLayout.height > h * PANGO_SCALE) {
            break;
        }
        PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter.get());
        pango_layout_line_get_extents(line, nullptr, &own);
        result.lines.push_back(
            {line, own.x, own.width, pango_layout_iter_get_baseline(iter.get())});
        result.width = std::max(result.width, own.width);
        result.height = inLayout.y + inLayout.height;
    } while (pango_layout_iter_next_line(iter.get()));
    return result;
}

double AlignOffset(TextAlign align, int boxWidth, int lineWidth) {
    const double room = boxWidth - double(lineWidth) / PANGO_SCALE;
    switch (align) {
        case TextAlign::Center:
            return room / 2;
        case TextAlign::Far:
            return room;
        case TextAlign::Near:
            break;
    }
    return 0;
}

// Turns cr so that a box of `box` runs its lines top to bottom, and returns
// the box's size in the turned space.
std::pair<int, int> EnterBox(cairo_t* cr, const Rect& box, bool vertical) {
    cairo_translate(cr, box.x, box.y);
    if (!vertical) {
        return {box.width, box.height};
    }
    cairo_translate(cr, box.width, 0);
    cairo_rotate(cr, std::numbers::pi / 2);  // a quarter turn clockwise
    return {box.height, box.width};
}

void DrawValidUtf8(cairo_t* cr, const std::string& text, const PangoFontDescription* font,
                   Color color, const Rect& box, const TextFormat& format) {
    if (!cr || cairo_status(cr) != CAIRO_STATUS_SUCCESS || box.empty() || text.empty()) {
        return;
    }
    cairo_save(cr);
    cairo_rectangle(cr, box.x, box.y, box.width, box.height);
    cairo_clip(cr);
    const auto [w, h] = EnterBox(cr, box, format.vertical);
    LayoutPtr layout = NewLayout(cr, font);
    const Lines lines = LayOut(layout.get(), text, w, h, format);
    const double top = format.vcenter ? (h - double(lines.height) / PANGO_SCALE) / 2 : 0;
    cairo_set_source_rgba(cr, color.redF(), color.greenF(), color.blueF(), color.alphaF());
    for (const Line& line : lines.lines) {
        cairo_move_to(cr,
                      AlignOffset(format.align, w, line.width) - double(line.originX) / PANGO_SCALE,
                      top + double(line.baseline) / PANGO_SCALE);
        pango_cairo_show_layout_line(cr, line.line);
    }
    cairo_restore(cr);
}

}  // namespace

void SetTextResolution(double dpi) {
    g_resolution.store(dpi >= 24 && dpi <= 960 ? dpi : kDefaultTextResolution,
                       std::memory_order_relaxed);
}

double TextResolution() {
    return g_resolution.load(std::memory_order_relaxed);
}

std::string TextToUtf8(std::u16string_view text) {
    std::string utf8 = zv::Utf16ToUtf8(text);  // lone surrogates are U+FFFD already
    // Pango stops at an embedded NUL; show it as the replacement character.
    for (size_t at = utf8.find('\0'); at != std::string::npos; at = utf8.find('\0', at + 3)) {
        utf8.replace(at, 1, "\xEF\xBF\xBD");
    }
    return utf8;
}

void DrawText(cairo_t* cr, std::u16string_view text, const PangoFontDescription* font, Color color,
              const Rect& box, const TextFormat& format) {
    DrawValidUtf8(cr, TextToUtf8(text), font, color, box, format);
}

void DrawText(cairo_t* cr, std::string_view utf8, const PangoFontDescription* font, Color color,
              const Rect& box, const TextFormat& format) {
    DrawValidUtf8(cr, ValidUtf8(utf8), font, color, box, format);
}

int MeasureText(cairo_t* cr, std::u16string_view text, const PangoFontDescription* font,
                const TextFormat& format) {
    SurfacePtr scratch;
    ContextPtr own;
    if (!cr || cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        scratch = MakeImageSurface(1, 1);
        own.reset(cairo_create(scratch.get()));
        cr = own.get();
    }
    cairo_save(cr);
    cairo_identity_matrix(cr);  // metrics must not depend on where the painter stands
    const auto [w, h] =
        EnterBox(cr, Rect{0, 0, kMeasureBoxWidth, kMeasureBoxHeight}, format.vertical);
    LayoutPtr layout = NewLayout(cr, font);
    TextFormat measured = format;
    measured.ellipsis = false;
    const Lines lines = LayOut(layout.get(), TextToUtf8(text), w, h, measured);
    cairo_restore(cr);
    // Vertical lines stack across the page: their bounding box is as wide as they are high.
    return (format.vertical ? lines.height : lines.width) / PANGO_SCALE;
}

}  // namespace Vcl
