#pragma once
// ScrollPanel: a vertical scroll bar whose children scroll. The content is
// the sum of the fixed children's heights; the bar's position moves it up
// by that fraction of what does not fit.
#include "controls/scroll.h"

namespace Vcl {

class ScrollPanel : public Scroll {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
    // After each layout of the children: the visible ratio from the content
    // height, and the content laid out again when its offset changed (the
    // content or the panel changed size under a kept position).
    void placed() override;
    // Scrolls the content to the fraction and lays it out again.
    void setPosition(double fraction) override;
    // Only the bar: the panel is painted after its content (the bar lies
    // over it), where its background would cover the content.
    void paint(Painter& painter, const Rect& update) override { paintBar(painter, update); }

private:
    // scrollY for the position: -(content - own height) x position, or 0
    // when the content fits.
    int offsetFor(double fraction) const;
    // The content at the current offset, native children included.
    void relayoutContent();
};

}  // namespace Vcl
