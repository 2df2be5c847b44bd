#pragma once
// Attribute groups that several kinds share, each read in one place: the
// images and colours of the interaction states, and the text attributes of
// labels and buttons.
#include <tinyxml2.h>

#include <memory>
#include <string>

#include "controls/layer.h"
#include "draw/text_draw.h"
#include "res/color.h"
#include "res/font.h"
#include "res/image.h"

namespace Vcl {

// Which of the states a kind reads: "<base>", "<base>-hover",
// "<base>-press", "<base>-disable".
enum StateMask : unsigned {
    StateNormal = 1,
    StateHover = 2,
    StatePress = 4,
    StateDisable = 8,
};

template <typename T>
struct States {
    std::unique_ptr<T> normal, hover, press, disable;
};

// Images and colours by state, from attributes named after one base each
// ("image" and "color" give "image-hover", "color-hover", ...).
struct StateLooks {
    States<Res::xImage> image;
    States<Res::xColor> color;

    void read(const tinyxml2::XMLElement* e, const LoadScope& scope, const char* imageBase,
              const char* colorBase, unsigned states);
};

// Images only ("image-scroll", "image-scroll-hover", ...).
void ReadStateImages(States<Res::xImage>& out, const tinyxml2::XMLElement* e,
                     const LoadScope& scope, const char* base, unsigned states);
void ReadStateColors(States<Res::xColor>& out, const tinyxml2::XMLElement* e,
                     const LoadScope& scope, const char* base, unsigned states);

// Text attributes shared by Label and Button.
struct TextAttributes {
    std::u16string text;
    Res::xFont* font = nullptr;              // registry-owned
    const Res::xColor* textColor = nullptr;  // own or the window's default
    std::unique_ptr<Res::xColor> ownTextColor;
    // Button only: text colours of hover, press and disable (null falls back
    // to textColor).
    States<Res::xColor> stateColors;
    bool autosize = false;
    int autosizeMin = 0;
    bool center = false, right = false, vcenter = false, vertical = false;
    bool autowrap = false, autotrim = false;
    int edgeLeft = 0, edgeRight = 0, edgeTop = 0, edgeBottom = 0;
    // Autosize: the width is measured again when this is set; textWidth is
    // the last result, max(measured, autosizeMin).
    bool remeasure = true;
    int textWidth = 0;

    void read(const tinyxml2::XMLElement* e, const LoadScope& scope, bool buttonStates);
    // New text; a change of length marks the autosize width for re-measuring.
    void setText(const std::u16string& value);
    // Another font marks it too; false when `value` is null or the same font.
    bool setFont(Res::xFont* value);
    // Replaces the text colour (the window's default is never changed).
    void setTextColor(uint32_t argb);

    TextFormat format() const;
    // Where the caption goes inside the control's rectangle.
    Rect textRect(const Rect& control) const;
    // With autosize and the width marked: measures the text and sets the
    // control's width to the edges plus the text width. True when the width
    // changed (the parent must be laid out again). The height is left alone:
    // adding the vertical edges at every measure would grow it without end.
    bool measure(Rect& control);
    // The caption in `color` (or the text colour); nothing without text,
    // font or colour.
    void drawCaption(Painter& painter, const Rect& control, const Res::xColor* color) const;
};

}  // namespace Vcl
