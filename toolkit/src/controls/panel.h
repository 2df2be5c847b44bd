#pragma once
// Panel: a background colour or image and a tooltip; the base of labels and
// of every clickable control.
#include "controls/attributes.h"
#include "controls/layer.h"
#include "controls/look_painter.h"

namespace Vcl {

class Panel : public Layer {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
    // The background: "image" in its mode, else "color".
    void paint(Painter& painter, const Rect& update) override;

    // Made when there was none; repaints.
    void setBackgroundColor(uint32_t argb) override;
    // Slot 1, "image".
    Res::xImage* imageSlot(int slot) override;
    bool setNormalImage(std::unique_ptr<Res::xImage> image) override;

    Look normalLook() const { return {looks.image.normal.get(), looks.color.normal.get()}; }

    // "image"/"color" as the normal state; Control adds the others.
    StateLooks looks;
};

}  // namespace Vcl
