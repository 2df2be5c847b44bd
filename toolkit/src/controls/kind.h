#pragma once
// The typed vocabularies of control descriptions: kind numbers (as the host
// and the descriptions know them), layout modes and alignments.

namespace Vcl {

enum class Kind {
    Window = 0,  // a window is not one of the thirteen control kinds
    Layer = 1,
    Rawwin = 2,
    Edit = 3,
    Panel = 4,
    Control = 5,
    Label = 6,
    Button = 7,
    Scroll = 8,
    Slider = 9,
    List = 10,
    Check = 11,
    ScrollPanel = 12,
    Graber = 13,
};

enum class LayoutMode { Horizontal, Vertical, Grid };
enum class LayoutItem { Fixed, Expand };

// The numbers are those of the descriptions' alignment codes.
enum class Align {
    Expand = 0,
    Left = 16,
    Top = 17,
    Right = 18,
    Bottom = 19,
    Center = 20,
};

}  // namespace Vcl
