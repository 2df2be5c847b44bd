#pragma once
// "font" resources: a face at a size with style flags, as Pango font
// descriptions for drawn text and for native edits.
#include <string>

#include "res/resource.h"

typedef struct _PangoFontDescription PangoFontDescription;

namespace Res {

class xFont : public xResource {
public:
    xFont() = default;
    ~xFont() override;
    xFont(const xFont&) = delete;
    xFont& operator=(const xFont&) = delete;
    bool load(const tinyxml2::XMLElement* element, const LoadContext& context) override;

    // Text drawing font: the face (or the generic sans-serif family when the
    // face is not installed) at the em size in points.
    PangoFontDescription* font = nullptr;
    // The native counterpart for edits and captions: the same face at the
    // pixel height size * dpi / 72.
    PangoFontDescription* nativeFont = nullptr;
    std::string face;
    double emSize = 10.0;
    int pixelHeight = 0;
    int styleBits = 0;  // 1 bold, 2 italic, 4 underline, 8 strikeout
};

}  // namespace Res
