#pragma once
// Scroll: a bar with a track and a tracker; the base of sliders, scroll
// panels and lists. The tracker is dragged, paged or jumped along the track
// and by the wheel; each move the user makes reaches the host as
// XUI_EVENT_VALUE with the new position.
#include <algorithm>

#include "controls/control.h"

namespace Vcl {

class Scroll : public Control {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
    // Track and tracker from the rectangle, the images and the position.
    void placed() override;
    // The bar's own steps (drag, page, jump, wheel), then the Control steps.
    void onInput(const InputEvent& event) override;
    // Disabling also ends a drag.
    void setEnable(int enable) override;
    // The control's looks, then the track and the tracker of the state.
    void paint(Painter& painter, const Rect& update) override;
    // Slots 5 to 8: "image-scroll", "image-scroll-hover", "image-tracker",
    // "image-tracker-hover"; 1 to 4 as Control.
    Res::xImage* imageSlot(int slot) override;
    double percent() const override { return position; }
    // The host's move: unless forced, nothing while dragging or when the
    // fraction is the current one. Places the tracker, applies setPosition
    // and repaints; no event.
    void setPercent(double fraction, bool force) override;
    // What the position means to the kind (scroll panels and lists scroll
    // their content); the bar itself only keeps it.
    virtual void setPosition(double fraction) { position = fraction; }

    // Along the bar's axis: the track's length, the tracker's, and the
    // tracker's distance from the track's start.
    int trackLength() const { return horizontal ? track.width : track.height; }
    int trackerLength() const { return horizontal ? tracker.width : tracker.height; }
    int trackerOffset() const;

    bool horizontal = false;
    States<Res::xImage> trackImages;    // "image-scroll", -hover, -disable
    States<Res::xImage> trackerImages;  // "image-tracker", -hover, -disable
    int margin = 0;
    int minTracker = 0;
    bool fixedTracker = false;
    double position = 0.0;
    double visibleRatio = 1.0;
    bool dragging = false;
    Rect track, tracker;

protected:
    // Moves the tracker by `delta` steps of `step` pixels (clamped to the
    // track). When it moved: setPosition, repaint, then XUI_EVENT_VALUE.
    // The host may destroy the control in that event: callers check a ref.
    void move(long long delta, int step);
    // XUI_EVENT_VALUE with a pointer to the position as a 32-bit float.
    void sendValue();
    // The track and the tracker of the state, straight onto the painter
    // (cheap enough for the ten frame changes a second of a level display).
    void paintBar(Painter& painter, const Rect& update);
    // The bar's thickness (the track image's frame across the axis).
    int thickness() const;

    // Sliders tell the host the position at every release too.
    bool valueOnRelease = false;

private:
    void placeTracker(int offset);
    int axis(const InputEvent& e) const { return horizontal ? e.x : e.y; }
    int trackStart() const { return horizontal ? track.x : track.y; }
    int trackerStart() const { return horizontal ? tracker.x : tracker.y; }
    // The tracker's travel: track length minus tracker length.
    int range() const { return std::max(0, trackLength() - trackerLength()); }
    void barInput(const InputEvent& e);

    int dragOrigin_ = 0;        // pointer along the axis at the press
    int dragOffset_ = 0;        // tracker offset at the press
    bool overTracker_ = false;  // the pointer is over the tracker
    float value_ = 0.0f;        // what XUI_EVENT_VALUE points at
};

}  // namespace Vcl
