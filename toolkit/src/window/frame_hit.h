#pragma once
// The custom window frame: a description that names a control "NC.CLIENT"
// replaces the system frame by its own controls, and the toolkit answers the
// frame's hit test itself. Pure: no native toolkit, so it is tested as a
// table.
#include <optional>
#include <vector>

#include "controls/layer.h"
#include "draw/rect.h"

namespace Vcl {

class Window;

// What a point of an undecorated window is, as the window manager needs it.
enum class FrameHit {
    Client,
    Caption,  // drag area
    Close,
    Maximize,
    Minimize,
    Left,
    Right,
    Top,
    Bottom,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight,
};

bool IsFrameBorder(FrameHit hit);
bool IsFrameButton(FrameHit hit);

// The geometry the hit test reads, in the window's own coordinates (an
// undecorated window's client area is the whole window).
struct FrameGeometry {
    Rect window;
    Rect client;                   // "NC.CLIENT"
    std::vector<Rect> clientLike;  // visible "NC.MENU", "NC.MENU.EX", "NC.LAYER.1".."4"
    std::optional<Rect> close, maximize, minimize;  // the visible boxes
};

// Resize strips are at most this thick.
constexpr int kFrameStripMax = 6;

FrameHit HitFrame(const FrameGeometry& frame, int x, int y);

// The controls of a window's custom frame, looked up by their reserved
// names when its native window is made (and before a modal run).
class FrameParts {
public:
    void lookUp(const Window& window);
    // True when "NC.CLIENT" exists: no system frame, the toolkit hit-tests.
    bool custom() const { return static_cast<bool>(client_); }
    // True when any of the others exists (the system paints no frame).
    bool any() const;
    // The geometry now, within a window of `width` x `height`.
    FrameGeometry geometry(int width, int height) const;

private:
    ControlRef close_, max_, min_, menu_, menuEx_, layers_[4], client_;
};

// Press and release of the frame's buttons: the command fires only when
// the left button goes up on the box it went down on.
class FrameButtons {
public:
    void press(FrameHit hit) { pressed_ = IsFrameButton(hit) ? hit : FrameHit::Client; }
    // The box to act on, or Client for nothing; forgets the press.
    FrameHit release(FrameHit hit);
    FrameHit pressed() const { return pressed_; }

private:
    FrameHit pressed_ = FrameHit::Client;
};

}  // namespace Vcl
