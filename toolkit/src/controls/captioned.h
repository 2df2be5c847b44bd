#pragma once
// The caption that labels and buttons share: the text attributes, their
// host operations and the autosize rule, over the kind's own base.
#include <tinyxml2.h>

#include "controls/attributes.h"

namespace Vcl {

template <typename Base>
class Captioned : public Base {
public:
    // Repaints; a text of another length re-measures the autosize width.
    void setText(const std::u16string& value) override {
        attrs.setText(value);
        refit();
        this->invalidate();
    }
    std::u16string text() const override { return attrs.text; }
    // No repaint of its own: the host repaints when it is done.
    void setTextColor(uint32_t argb) override { attrs.setTextColor(argb); }
    // Another font re-measures the autosize width and repaints.
    void setFont(Res::xFont* font) override {
        if (attrs.setFont(font)) {
            refit();
            this->invalidate();
        }
    }

    TextAttributes attrs;

protected:
    bool loadCaption(const tinyxml2::XMLElement* e, const LoadScope& scope, bool buttonStates) {
        attrs.read(e, scope, buttonStates);
        // The tree is still being built: the first layout takes the width.
        attrs.measure(this->rect);
        return true;
    }
    // Measures when marked; a new width lays the parent out again.
    void refit() {
        if (attrs.measure(this->rect) && this->owner && this->parent) {
            this->owner->relayout(*this->parent);
        }
    }
};

}  // namespace Vcl
