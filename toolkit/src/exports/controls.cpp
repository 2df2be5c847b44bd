// Exports of controls: look-up by name, the common fields, the states the
// host sets and reads, texts, the host's data word, tooltips and listeners.
#include <algorithm>
#include <cstring>
#include <string>

#include "controls/edit.h"
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

constexpr size_t kTipLimit = 255;

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

void XUI_VISIBLE_SET(XuiControl* control, int visible) {
    Guard(AsControl(control), [&](Vcl::Layer& c) {
        if (c.kind == Vcl::Kind::Window) {
            c.setVisible(visible);  // the native window itself
            return;
        }
        if (c.visible == (visible != 0)) {
            return;
        }
        c.setVisible(visible);
        if (c.owner) {
            c.owner->visibilityChanged(c);
        }
    });
}

int XUI_VISIBLE_GET(XuiControl* control) {
    return Guard(AsControl(control), 0, [](Vcl::Layer& c) { return c.visible ? 1 : 0; });
}

void XUI_ENABLE_SET(XuiControl* control, int enable) {
    Guard(AsControl(control), [&](Vcl::Layer& c) {
        if (c.enabled == (enable != 0)) {
            return;
        }
        c.setEnable(enable);
        c.invalidate();
    });
}

int XUI_ENABLE_GET(XuiControl* control) {
    return Guard(AsControl(control), 0, [](Vcl::Layer& c) { return c.enabled ? 1 : 0; });
}

void XUI_CHECK_SET(XuiControl* control, int checked) {
    Guard(AsControl(control), [&](Vcl::Layer& c) { c.setChecked(checked != 0); });
}

int XUI_CHECK_GET(XuiControl* control) {
    return Guard(AsControl(control), 0, [](Vcl::Layer& c) { return c.isChecked() ? 1 : 0; });
}

void XUI_TEXT_SET(XuiControl* control, const char16_t* text) {
    Guard(AsControl(control), [&](Vcl::Layer& c) { c.setText(text ? text : u""); });
}

const char16_t* XUI_TEXT_GET(XuiControl* control) {
    static ResultBuffer<char16_t> buffer;
    return buffer.set(
        Guard(AsControl(control), std::u16string(), [](Vcl::Layer& c) { return c.text(); }));
}

void XUI_DATA_SET(XuiControl* control, int value) {
    Guard(AsControl(control), [&](Vcl::Layer& c) { c.userData = value; });
}

int XUI_DATA_GET(XuiControl* control) {
    return Guard(AsControl(control), 0, [](Vcl::Layer& c) { return static_cast<int>(c.userData); });
}

void XUI_SET_TIPS(XuiControl* control, const char16_t* text) {
    Guard(AsControl(control), [&](Vcl::Layer& c) {
        std::u16string tip = text ? std::u16string(text) : std::u16string();
        if (tip.size() > kTipLimit) {
            tip.resize(kTipLimit);
            // A surrogate pair cut in two would show as a broken character.
            if ((tip.back() & 0xFC00) == 0xD800) {
                tip.pop_back();
            }
        }
        c.tipText = std::move(tip);
        if (c.tipText.empty() && c.owner) {
            c.owner->hideTip(c);
        }
    });
}

void XUI_SET_EXTRA(XuiControl* control, HoverListener* listener) {
    Guard(AsControl(control), [&](Vcl::Layer& c) { c.hoverListener = listener; });
}

void XUI_SET_EDITFOCUS(XuiControl* edit, EditFocusListener* listener) {
    Guard(AsControl(edit), [&](Vcl::Layer& c) {
        if (c.kind == Vcl::Kind::Edit) {
            static_cast<Vcl::Edit&>(c).focusListener = listener;
        }
    });
}

}  // extern "C"
