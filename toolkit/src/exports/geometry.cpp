// Exports of geometry: rectangles, sizes, expanding and layout modes, the
// scroll position, and batching many changes into one repaint.
#include <algorithm>
#include <cmath>

#include "exports/guard.h"

using namespace Vcl::exports;

namespace {

// The parent is laid out again after a child's size or sizing changed; a
// root has no parent, and then only its own rectangle is repainted.
void RelayoutAround(Vcl::Layer& c) {
    if (!c.owner) {
        return;
    }
    if (c.parent) {
        c.owner->relayout(*c.parent);
    } else {
        c.owner->relayout(c);
    }
}

void Store(int* out, int value) {
    if (out) {
        *out = value;
    }
}

}  // namespace

extern "C" {

void XUI_SIZE_GET(XuiControl* control, int* x, int* y, int* width, int* height, int toScreen) {
    Guard(AsControl(control), [&](Vcl::Layer& c) {
        int left = c.rect.x;
        int top = c.rect.y;
        // A window's rectangle is already its place on the screen.
        if (toScreen && c.kind != Vcl::Kind::Window) {
            Vcl::Window* w = WindowOf(c);
            if (w && w->native) {
                w->native->clientToScreen(left, top);
            }
        }
        Store(x, left);
        Store(y, top);
        Store(width, c.rect.width);
        Store(height, c.rect.height);
    });
}

void XUI_SIZE_SET(XuiControl* control, int, int, int width, int height) {
    Guard(AsControl(control), [&](Vcl::Layer& c) {
        if (width < 0 || height < 0 || (c.rect.width == width && c.rect.height == height)) {
            return;
        }
        c.rect.width = width;
        c.rect.height = height;
        RelayoutAround(c);
    });
}

void XUI_EXPAND_SET(XuiControl* control, int expand) {
    Guard(AsControl(control), [&](Vcl::Layer& c) {
        if (expand) {
            c.layoutItem = Vcl::LayoutItem::Expand;
        } else {
            const bool resized =
                c.rect.width != c.declaredWidth || c.rect.height != c.declaredHeight;
            if (c.layoutItem != Vcl::LayoutItem::Expand && !resized) {
                return;
            }
            c.layoutItem = Vcl::LayoutItem::Fixed;
            c.rect.width = c.declaredWidth;
            c.rect.height = c.declaredHeight;
        }
        RelayoutAround(c);
    });
}

void XUI_LAYOUT_SET(XuiControl* control, int layout) {
    Guard(AsControl(control), [&](Vcl::Layer& c) {
        const int mode = layout & 0xFF;
        if (mode > 2) {
            return;  // no such mode; the tree keeps a layout it can run
        }
        const auto next = static_cast<Vcl::LayoutMode>(mode);
        if (c.layout == next) {
            return;
        }
        c.layout = next;
        if (c.owner) {
            c.owner->relayout(c);
        }
    });
}

void XUI_PERCENT_SET(XuiControl* control, float fraction, int force) {
    Guard(AsControl(control), [&](Vcl::Layer& c) {
        if (std::isnan(fraction)) {
            return;
        }
        c.setPercent(std::clamp(static_cast<double>(fraction), 0.0, 1.0), force != 0);
    });
}

float XUI_PERCENT_GET(XuiControl* control) {
    return Guard(AsControl(control), 0.0f,
                 [](Vcl::Layer& c) { return static_cast<float>(c.percent()); });
}

void XUI_FLUSH_PREPARE(XuiWindow* window) {
    Guard(AsWindow(window), [](Vcl::Window& w) {
        if (w.native) {
            w.native->freezeRedraw(true);
        }
    });
}

void XUI_FLUSH_END(XuiWindow* window) {
    Guard(AsWindow(window), [](Vcl::Window& w) {
        if (w.native) {
            w.native->freezeRedraw(false);
        }
    });
}

}  // extern "C"
