// Exports of controls: look-up by name and the common fields.
#include <algorithm>
#include <cstring>
#include <string>

#include "exports/guard.h"

using namespace Vcl::exports;

namespace {

// Cut to the buffer and always terminated; a null buffer or size 0 is skipped.
void CopyCut(char* out, int size, const std::string& text) {
    if (!out || size <= 0) {
        return;
    }
    size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

}  // namespace

extern "C" {

XuiControl* XUI_VCL_QUERY(XuiWindow* window, const char* name) {
    return Guard(AsWindow(window), static_cast<XuiControl*>(nullptr), [&](Vcl::Window& w) {
        return name ? reinterpret_cast<XuiControl*>(w.query(name)) : nullptr;
    });
}

int XUI_COMMON_GET(XuiControl* control, char* name, int nameSize, char* kind, int kindSize,
                   char* tag, int tagSize, int* rowId) {
    return Guard(AsControl(control), 0, [&](Vcl::Layer& c) {
        CopyCut(name, nameSize, c.name);
        CopyCut(kind, kindSize, c.element);
        CopyCut(tag, tagSize, c.tag);
        if (rowId) {
            *rowId = c.itemIndex;
        }
        return 1;
    });
}

}  // extern "C"
