#include "progress_paint.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace zv::updater {

namespace {

struct LayoutUnref {
    void operator()(PangoLayout* l) const { g_object_unref(l); }
};
struct FontFree {
    void operator()(PangoFontDescription* f) const { pango_font_description_free(f); }
};

// A bold face of 19 pixels line height: the CJK face at 13 pixels em.
std::unique_ptr<PangoFontDescription, FontFree> TextFont() {
    std::unique_ptr<PangoFontDescription, FontFree> font(
        pango_font_description_from_string("Noto Sans CJK SC, Microsoft YaHei, sans"));
    pango_font_description_set_weight(font.get(), PANGO_WEIGHT_BOLD);
    pango_font_description_set_absolute_size(font.get(), 13 * PANGO_SCALE);
    return font;
}

void FillRect(cairo_t* cr, const Rect& r, double red, double green, double blue) {
    if (r.right <= r.left || r.bottom <= r.top) {
        return;
    }
    cairo_set_source_rgb(cr, red, green, blue);
    cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
    cairo_fill(cr);
}

}  // namespace

ProgressLayout LayoutProgress(int width, int height, int32_t totalBytes, int32_t receivedBytes) {
    ProgressLayout l;
    const int mid = (height - 20) / 2 + 10;
    l.fraction = static_cast<double>(receivedBytes) / (totalBytes == 0 ? 1.0 : totalBytes);
    l.textArea = {10, 10, width - 10, mid};
    l.barBack = {10, mid, width - 10, height - 10};
    int right = 12;
    if (totalBytes > 0) {
        // More bytes than announced (or wrapped counts) must not paint over
        // the frame; clamped before the conversion, which would overflow.
        const double length = std::clamp((width - 24) * l.fraction, 0.0,
                                         static_cast<double>(std::max(0, width - 24)));
        right = 12 + static_cast<int>(length);
    }
    l.bar = {12, mid + 2, right, height - 12};
    return l;
}

std::string HeadlineText(const std::string& latest, const std::string& installed) {
    return "您的软件有新的版本（" + latest + "）可用了!\r\n当前版本为（" + installed + "）。";
}

std::string PercentText(double fraction) {
    char text[64];
    std::snprintf(text, sizeof text, "下载 - %.02f %%", fraction * 100);
    return text;
}

void PaintProgress(cairo_t* cr, int width, int height, const ProgressView& view) {
    const ProgressLayout l = LayoutProgress(width, height, view.totalBytes, view.receivedBytes);
    cairo_save(cr);
    FillRect(cr, {0, 0, width, height}, 1, 1, 1);
    FillRect(cr, l.barBack, 220 / 255.0, 220 / 255.0, 220 / 255.0);
    FillRect(cr, l.bar, 0, 1, 0);

    const auto font = TextFont();
    std::unique_ptr<PangoLayout, LayoutUnref> layout(pango_cairo_create_layout(cr));
    pango_layout_set_font_description(layout.get(), font.get());
    cairo_set_source_rgb(cr, 0, 0, 0);

    // The versions, word-wrapped into the upper area and clipped to it.
    const std::string headline = HeadlineText(view.latestVersion, view.installedVersion);
    pango_layout_set_text(layout.get(), headline.c_str(), -1);
    pango_layout_set_width(layout.get(), (l.textArea.right - l.textArea.left) * PANGO_SCALE);
    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
    cairo_save(cr);
    cairo_rectangle(cr, l.textArea.left, l.textArea.top, l.textArea.right - l.textArea.left,
                    l.textArea.bottom - l.textArea.top);
    cairo_clip(cr);
    cairo_move_to(cr, l.textArea.left, l.textArea.top);
    pango_cairo_show_layout(cr, layout.get());
    cairo_restore(cr);

    // The percentage on one line, centred in the bar's background.
    const std::string percent = PercentText(l.fraction);
    pango_layout_set_width(layout.get(), -1);
    pango_layout_set_text(layout.get(), percent.c_str(), -1);
    int textWidth = 0, textHeight = 0;
    pango_layout_get_pixel_size(layout.get(), &textWidth, &textHeight);
    const double x = l.barBack.left + ((l.barBack.right - l.barBack.left) - textWidth) / 2.0;
    const double y = l.barBack.top + ((l.barBack.bottom - l.barBack.top) - textHeight) / 2.0;
    cairo_move_to(cr, static_cast<int>(x), static_cast<int>(y));
    pango_cairo_show_layout(cr, layout.get());
    cairo_restore(cr);
}

}  // namespace zv::updater
