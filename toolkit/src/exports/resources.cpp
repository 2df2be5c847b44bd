// Exports of resources by id: texts, colours, fonts, data files, language.
#include <string>

#include "exports/guard.h"
#include "res/resource_manager.h"

using namespace Vcl::exports;

extern "C" {

const char16_t* XUI_STRING_GET(const char* id) {
    static ResultBuffer<char16_t> buffer;
    auto* t = FindResource<Res::xText>(id);
    return buffer.set(t ? std::u16string_view(t->text) : std::u16string_view());
}

int XUI_COLOR_GET(const char* id) {
    return Guard(FindResource<Res::xColor>(id), 0,
                 [](Res::xColor& c) { return static_cast<int>(c.native()); });
}

PangoFontDescription* XUI_FONT_GET(const char* id) {
    return Guard(FindResource<Res::xFont>(id), static_cast<PangoFontDescription*>(nullptr),
                 [](Res::xFont& f) { return f.nativeFont; });
}

const unsigned char* XUI_DATAFILE_GET(const char* id) {
    return Guard(FindResource<Res::xData>(id), static_cast<const unsigned char*>(nullptr),
                 [](Res::xData& d) -> const unsigned char* { return d.content.data(); });
}

int XUI_DATAFILE_GET_LENTH(const char* id) {
    return Guard(FindResource<Res::xData>(id), 0,
                 [](Res::xData& d) { return static_cast<int>(d.content.size()); });
}

const char* XUI_GET_LANGUAGE(void) {
    return Res::Language();
}

}  // extern "C"
