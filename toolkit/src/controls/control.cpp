#include "controls/control.h"

#include "controls/registry.h"
#include "res/xml_attr.h"
#include "zudoz.h"

namespace Vcl {

namespace {

// The listener is host code beneath GTK's C frames: nothing may unwind
// through them.
void TellHover(HoverListener* listener, bool entered, const Layer& control) {
    if (!listener) {
        return;
    }
    try {
        if (entered) {
            listener->entered(control.name.c_str(), control.itemIndex);
        } else {
            listener->left(control.name.c_str(), control.itemIndex);
        }
    } catch (...) {
    }
}

}  // namespace

bool Control::load(const tinyxml2::XMLElement* e, const LoadScope& scope) {
    if (!Panel::load(e, scope)) {
        return false;
    }
    speedClick = Res::xml::StrictBool(e, "speedclick");
    looks.read(e, scope, "image", "color", StateHover | StatePress | StateDisable);
    return true;
}

void Control::setEnable(int enable) {
    const bool was = enabled;
    Layer::setEnable(enable);
    if (!enabled) {
        hovered = false;
        pressed = false;
    }
    if (was != enabled) {
        invalidate();
    }
}

namespace {

bool Scrolls(Kind k) {
    return k == Kind::Scroll || k == Kind::Slider || k == Kind::List || k == Kind::ScrollPanel;
}

// The nearest enabled ancestor that scrolls, unless `c` scrolls itself.
Layer* ScrollingAncestor(const Layer& c) {
    if (Scrolls(c.kind)) {
        return nullptr;
    }
    for (Layer* p = c.parent; p; p = p->parent) {
        if (Scrolls(p->kind) && p->enabled) {
            return p;
        }
    }
    return nullptr;
}

}  // namespace

void Control::onInput(const InputEvent& e) {
    // The tip follows the pointer even over a disabled control.
    if (owner && e.kind == InputKind::Enter && !tipText.empty()) {
        owner->showTip(*this, tipText);
    } else if (owner && e.kind == InputKind::Leave) {
        owner->hideTip(*this);
    }
    if (!enabled) {
        return;
    }
    switch (e.kind) {
        case InputKind::Enter:
            hovered = true;
            invalidate();
            TellHover(hoverListener, true, *this);
            break;
        case InputKind::Leave:
            hovered = false;
            invalidate();
            TellHover(hoverListener, false, *this);
            break;
        case InputKind::Press:
            pressed = true;
            invalidate();
            if (speedClick) {
                notify(this, XUI_EVENT_CLICK, nullptr);
            }
            break;
        case InputKind::Release: {
            // A press that began before the control was disabled ends here
            // without a click.
            const bool wasPressed = pressed;
            pressed = false;
            invalidate();
            if (!speedClick && wasPressed && contains(e.x, e.y)) {
                notify(this, XUI_EVENT_CLICK, nullptr);
            }
            break;
        }
        case InputKind::DoubleClick:
            if (contains(e.x, e.y)) {
                notify(this, XUI_EVENT_DBLCLICK, nullptr);
            }
            break;
        case InputKind::RightRelease:
            if (contains(e.x, e.y)) {
                notify(this, XUI_EVENT_RCLICK, nullptr);
            }
            break;
        case InputKind::Wheel:
            // A button in a list row or a scroll panel has no use for the
            // wheel; the pointer is over the list all the same.
            if (Layer* scroller = ScrollingAncestor(*this)) {
                scroller->onInput(e);
            }
            break;
        default:
            break;
    }
}

Look LookOf(const StateLooks& l, LookState state) {
    switch (state) {
        case LookState::Normal:
            return {l.image.normal.get(), l.color.normal.get()};
        case LookState::Hover:
            return {l.image.hover.get(), l.color.hover.get()};
        case LookState::Press:
            return {l.image.press.get(), l.color.press.get()};
        case LookState::Disable:
            return {l.image.disable.get(), l.color.disable.get()};
    }
    return {};
}

Look Control::look(LookState state) const {
    return LookOf(looks, state);
}

void Control::paintLooks(LookPainter& painter) const {
    const Look normal = look(LookState::Normal);
    if (!enabled) {
        const Look disabled = look(LookState::Disable);
        painter.draw(disabled.empty() ? normal : disabled);
        return;
    }
    painter.draw(normal);
    if (pressed) {
        painter.draw(look(LookState::Press));
    } else if (hovered) {
        painter.draw(look(LookState::Hover));
    }
}

void Control::paint(Painter& painter, const Rect& update) {
    LookPainter looks(painter, cache, rect, update);
    paintLooks(looks);
}

Res::xImage* Control::imageSlot(int slot) {
    auto& i = looks.image;
    Res::xImage* const slots[] = {i.normal.get(), i.hover.get(), i.press.get(), i.disable.get()};
    return slot >= 1 && slot <= 4 ? slots[slot - 1] : nullptr;
}

ZUDOZ_CONTROL_KIND("control", Kind::Control, Control);

}  // namespace Vcl
