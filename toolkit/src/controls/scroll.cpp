#include "controls/scroll.h"

#include <cmath>

#include "controls/registry.h"
#include "res/xml_attr.h"
#include "zudoz.h"

namespace Vcl {

namespace xml = Res::xml;

namespace {

// The tracker's offset for a fraction of its travel, as fraction x 1000 x
// travel / 1000 truncated. The small bias keeps a position computed from an
// offset (offset / travel) mapping back to that offset despite rounding.
int OffsetFor(double fraction, int travel) {
    const double v = fraction * 1000.0 * travel / 1000.0 + 1e-7;
    return static_cast<int>(std::clamp(std::floor(v), 0.0, static_cast<double>(travel)));
}

// The image of a state, falling back to the normal one.
const Res::xImage* StateImage(const States<Res::xImage>& images, bool disabled, bool hot) {
    const Res::xImage* state = disabled ? images.disable.get() : hot ? images.hover.get() : nullptr;
    return state ? state : images.normal.get();
}

void DrawStraight(Painter& painter, const Res::xImage* image, const Rect& dest,
                  const Rect& update) {
    if (!image || dest.intersect(update).empty()) {
        return;
    }
    const ImageDesc desc = DescribeImage(*image, painter.scale());
    if (desc.picture) {
        painter.drawImage(desc, dest);
    }
}

}  // namespace

bool Scroll::load(const tinyxml2::XMLElement* e, const LoadScope& scope) {
    if (!Control::load(e, scope)) {
        return false;
    }
    constexpr unsigned kStates = StateNormal | StateHover | StateDisable;
    horizontal = xml::Text(e, "scrolltype") == "horizontal";
    ReadStateImages(trackImages, e, scope, "image-scroll", kStates);
    ReadStateImages(trackerImages, e, scope, "image-tracker", kStates);
    margin = xml::Decimal(e, "margin");
    minTracker = xml::Decimal(e, "mintracker");
    fixedTracker = xml::LooseBool(e, "fixedtracker");
    return true;
}

int Scroll::thickness() const {
    const Res::xImage* image = trackImages.normal.get();
    if (!image) {
        return 0;  // no track image: no bar to show or to hit
    }
    return std::max(0, horizontal ? image->frameHeight : image->frameWidth);
}

int Scroll::trackerOffset() const {
    return trackerStart() - trackStart();
}

void Scroll::placed() {
    cache.invalidate();
    const int t = thickness();
    if (horizontal) {
        track = Rect{rect.x, Rect::Saturate(static_cast<long long>(rect.bottom()) - t - margin),
                     rect.width, t};
    } else {
        track = Rect{Rect::Saturate(static_cast<long long>(rect.right()) - t - margin), rect.y, t,
                     rect.height};
    }
    const int length = std::max(0, trackLength());
    long long trackerLen = 0;
    if (fixedTracker) {
        if (const Res::xImage* image = trackerImages.normal.get()) {
            trackerLen = horizontal ? image->frameWidth : image->frameHeight;
        }
    } else {
        const double ratio = std::clamp(visibleRatio, 0.0, 1.0);
        trackerLen = std::max<long long>(static_cast<long long>(length * ratio), minTracker);
    }
    trackerLen = std::clamp<long long>(trackerLen, 0, length);
    tracker = track;
    (horizontal ? tracker.width : tracker.height) = static_cast<int>(trackerLen);
    placeTracker(OffsetFor(position, range()));
}

void Scroll::placeTracker(int offset) {
    (horizontal ? tracker.x : tracker.y) =
        Rect::Saturate(static_cast<long long>(trackStart()) + offset);
}

void Scroll::move(long long delta, int step) {
    const long long current = trackerOffset();
    const long long target =
        std::clamp<long long>(current + delta * step, 0, static_cast<long long>(range()));
    if (target == current) {
        return;
    }
    placeTracker(static_cast<int>(target));
    position = range() > 0 ? static_cast<double>(target) / range() : 0.0;
    setPosition(position);
    invalidate();
    sendValue();
}

void Scroll::sendValue() {
    value_ = static_cast<float>(position);
    notify(this, XUI_EVENT_VALUE, &value_);
}

void Scroll::setPercent(double fraction, bool force) {
    fraction = fraction >= 0.0 ? std::min(fraction, 1.0) : 0.0;  // NaN too
    if (!force && (dragging || fraction == position)) {
        return;
    }
    position = fraction;
    placeTracker(OffsetFor(fraction, range()));
    setPosition(fraction);
    invalidate();
}

void Scroll::setEnable(int enable) {
    Control::setEnable(enable);
    if (!enabled) {
        dragging = false;
    }
}

void Scroll::onInput(const InputEvent& e) {
    if (enabled) {
        const ControlRef self = ref();
        barInput(e);
        if (!self) {
            return;  // the host destroyed the bar in its value event
        }
    }
    Control::onInput(e);
}

void Scroll::barInput(const InputEvent& e) {
    switch (e.kind) {
        case InputKind::Move: {
            const bool over = tracker.contains(e.x, e.y);
            if (over != overTracker_) {
                overTracker_ = over;
                invalidate();
            }
            if (dragging) {
                // Anchored at the press, so the tracker comes back with the
                // pointer after being held at an end.
                move(static_cast<long long>(dragOffset_) + axis(e) - dragOrigin_ - trackerOffset(),
                     1);
            }
            break;
        }
        case InputKind::Leave:
            overTracker_ = false;
            break;
        case InputKind::Press:
            if (tracker.contains(e.x, e.y)) {
                dragging = true;
                dragOrigin_ = axis(e);
                dragOffset_ = trackerOffset();
            } else if (track.contains(e.x, e.y)) {
                if (fixedTracker) {
                    move(static_cast<long long>(axis(e)) - trackerStart() - trackerLength() / 2, 1);
                } else {
                    move(axis(e) < trackerStart() ? -1 : 1, trackerLength());
                }
            }
            break;
        case InputKind::Release:
            dragging = false;
            if (valueOnRelease) {
                sendValue();
            }
            break;
        case InputKind::Wheel:
            // Positive steps turn the wheel away from the user: up or left.
            move(-static_cast<long long>(e.steps), trackerLength());
            break;
        default:
            break;
    }
}

void Scroll::paint(Painter& painter, const Rect& update) {
    Control::paint(painter, update);
    paintBar(painter, update);
}

void Scroll::paintBar(Painter& painter, const Rect& update) {
    DrawStraight(painter, StateImage(trackImages, !enabled, hovered), track, update);
    DrawStraight(painter, StateImage(trackerImages, !enabled, overTracker_ || dragging), tracker,
                 update);
}

Res::xImage* Scroll::imageSlot(int slot) {
    switch (slot) {
        case 5:
            return trackImages.normal.get();
        case 6:
            return trackImages.hover.get();
        case 7:
            return trackerImages.normal.get();
        case 8:
            return trackerImages.hover.get();
        default:
            return Control::imageSlot(slot);
    }
}

ZUDOZ_CONTROL_KIND("scroll", Kind::Scroll, Scroll);

}  // namespace Vcl
