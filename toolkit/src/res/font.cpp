#include "res/font.h"

#include <pango/pangocairo.h>
#include <strings.h>

#include <cmath>

#include "res/load_context.h"
#include "res/xml_attr.h"

namespace Res {

namespace {

bool FamilyInstalled(const std::string& face) {
    if (face.empty()) {
        return false;
    }
    PangoFontMap* map = pango_cairo_font_map_get_default();
    PangoFontFamily** families = nullptr;
    int n = 0;
    pango_font_map_list_families(map, &families, &n);
    bool found = false;
    for (int i = 0; i < n && !found; ++i) {
        found = strcasecmp(pango_font_family_get_name(families[i]), face.c_str()) == 0;
    }
    g_free(families);
    return found;
}

// MulDiv rounds half away from zero; sizes are small, so 64-bit is exact.
int MulDiv(int a, int b, int c) {
    long long p = static_cast<long long>(a) * b;
    return static_cast<int>((p >= 0 ? p + c / 2 : p - c / 2) / c);
}

}  // namespace

xFont::~xFont() {
    if (font) {
        pango_font_description_free(font);
    }
    if (nativeFont) {
        pango_font_description_free(nativeFont);
    }
}

bool xFont::load(const tinyxml2::XMLElement* element, const LoadContext& context) {
    face = xml::Text(element, "face");
    emSize = xml::Real(element, "size", 10.0);
    int sizeInt = xml::Decimal(element, "size", 10);
    const int dpi = context.screenDpi > 0 ? context.screenDpi : 96;
    pixelHeight = MulDiv(sizeInt, dpi, 72);
    styleBits = 0;
    for (const std::string& flag : xml::SplitList(xml::Text(element, "spec"))) {
        if (flag == "bold") {
            styleBits |= 1;
        } else if (flag == "italic") {
            styleBits |= 2;
        } else if (flag == "underline") {
            styleBits |= 4;
        } else if (flag == "strikeout") {
            styleBits |= 8;
        }
    }
    const std::string family = FamilyInstalled(face) ? face : std::string("Sans");
    auto make = [&](bool absolute) {
        PangoFontDescription* d = pango_font_description_new();
        pango_font_description_set_family(d, family.c_str());
        pango_font_description_set_weight(
            d, (styleBits & 1) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
        pango_font_description_set_style(d,
                                         (styleBits & 2) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
        if (absolute) {
            pango_font_description_set_absolute_size(d,
                                                     std::abs(pixelHeight) * double(PANGO_SCALE));
        } else if (emSize > 0 && emSize < 10000) {
            pango_font_description_set_size(d, static_cast<gint>(emSize * PANGO_SCALE));
        }
        return d;
    };
    font = make(false);
    nativeFont = make(true);
    return true;
}

}  // namespace Res
