#pragma once
// Attribute groups that several kinds share, each read in one place: the
// images and colours of the interaction states, and the text attributes of
// labels and buttons.
#include <tinyxml2.h>

#include <memory>
#include <string>

#include "controls/layer.h"
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
    bool remeasure = true;

    void read(const tinyxml2::XMLElement* e, const LoadScope& scope, bool buttonStates);
    // New text; a change of length marks the autosize width for re-measuring.
    void setText(const std::u16string& value);
};

}  // namespace Vcl
