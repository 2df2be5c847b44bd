#include "controls/graber.h"

#include <algorithm>

#include "controls/registry.h"

namespace Vcl {

namespace {

// [0, limit], or 0 when the window is wider than the room (the upper end
// would fall below the lower).
int ClampInto(long long value, long long limit) {
    return Rect::Saturate(std::clamp<long long>(value, 0, std::max<long long>(limit, 0)));
}

}  // namespace

void Graber::onInput(const InputEvent& e) {
    if (!enabled) {
        Control::onInput(e);  // the tooltip still follows the pointer
        return;
    }
    switch (e.kind) {
        case InputKind::Press:
            pressed = true;
            start();
            invalidate();
            break;
        case InputKind::Move:
            follow();
            break;
        case InputKind::Release:
            pressed = false;
            dragging = false;
            invalidate();
            break;
        default:
            Control::onInput(e);
            break;
    }
}

void Graber::setEnable(int enable) {
    Control::setEnable(enable);
    if (!enabled) {
        dragging = false;
    }
}

void Graber::start() {
    dragging = owner && owner->windowPosition(windowX, windowY, parentClient) &&
               owner->cursorPosition(cursorX, cursorY);
}

void Graber::follow() {
    int x = 0, y = 0;
    if (!dragging || !owner || !owner->cursorPosition(x, y)) {
        return;
    }
    long long nx = static_cast<long long>(windowX) + x - cursorX;
    long long ny = static_cast<long long>(windowY) + y - cursorY;
    if (!parentClient.empty()) {
        nx = ClampInto(nx, static_cast<long long>(parentClient.width) - rect.width);
        ny = ClampInto(ny, static_cast<long long>(parentClient.height) - rect.height);
    }
    owner->moveWindow(Rect::Saturate(nx), Rect::Saturate(ny));
}

ZUDOZ_CONTROL_KIND("graber", Kind::Graber, Graber);

}  // namespace Vcl
