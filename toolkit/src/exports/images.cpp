// Exports of a control's looks: image frames by slot, images from files and
// from resources, text and background colours, fonts.
#include "draw/color.h"
#include "exports/guard.h"
#include "res/resource_manager.h"

using namespace Vcl::exports;

extern "C" {

void XUI_IMAGE_SET(XuiControl* control, int frameIndex, int slot) {
    Guard(AsControl(control), [&](Vcl::Layer& c) {
        Res::xImage* image = c.imageSlot(slot);
        // Frames past the strip would show nothing but the background.
        if (!image || frameIndex < 0 || frameIndex >= image->count || image->index == frameIndex) {
            return;
        }
        image->index = frameIndex;
        c.invalidate();
    });
}

int XUI_IMAGE_GET(XuiControl* control, int slot) {
    return Guard(AsControl(control), -1, [&](Vcl::Layer& c) {
        if (slot < 1 || slot > 4) {
            return -1;
        }
        const Res::xImage* image = c.imageSlot(slot);
        return image ? image->index : -1;
    });
}

int XUI_IMAGE_SET_WITHPATH(XuiControl* control, const char* path) {
    return Guard(AsControl(control), 0, [&](Vcl::Layer& c) {
        if (!path) {
            return 0;
        }
        if (!c.setNormalImage(Res::xImage::FromFile(path))) {
            return 0;
        }
        c.invalidate();
        return 1;
    });
}

void XUI_IMAGE_SET_WITHID(XuiControl* control, const char* id, int index) {
    Guard(AsControl(control), [&](Vcl::Layer& c) {
        const Res::xImage* source = FindResource<Res::xImage>(id);
        if (!source) {
            return;
        }
        if (c.setNormalImage(source->share(index))) {
            c.invalidate();
        }
    });
}

void XUI_COLOR_SET(XuiControl* control, int which, const char* color) {
    Guard(AsControl(control), [&](Vcl::Layer& c) {
        if (!color) {
            return;
        }
        const uint32_t argb = Vcl::Color::Parse(color).argb();
        if (which == 0) {
            c.setTextColor(argb);
        } else if (which == 1) {
            c.setBackgroundColor(argb);
            c.invalidate();
        }
    });
}

void XUI_FONT_SET(XuiControl* control, const char* id) {
    Guard(AsControl(control), [&](Vcl::Layer& c) {
        if (Res::xFont* font = FindResource<Res::xFont>(id)) {
            c.setFont(font);
        }
    });
}

}  // extern "C"
