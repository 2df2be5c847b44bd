#pragma once
// Scroll: a bar with a track and a tracker; the base of sliders, scroll
// panels and lists.
#include "controls/control.h"

namespace Vcl {

class Scroll : public Control {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
    virtual void setPosition(double fraction) { position = fraction; }

    bool horizontal = false;
    States<Res::xImage> trackImages;    // "image-scroll", -hover, -disable
    States<Res::xImage> trackerImages;  // "image-tracker", -hover, -disable
    int margin = 0;
    int minTracker = 0;
    bool fixedTracker = false;
    double position = 0.0;
    double visibleRatio = 1.0;
    bool dragging = false;
};

}  // namespace Vcl
