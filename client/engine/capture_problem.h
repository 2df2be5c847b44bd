#pragma once
// What can go wrong with a capture that asks the desktop's screen-cast portal
// (Wayland sessions), and the package text that tells the user.
#include <string_view>

namespace zv {

enum class CaptureKind { kDesktop, kWindow };

enum class CaptureProblem {
    kPortalMissing,  // no screen-cast portal on the session bus
    kCancelled,      // the user closed the portal's dialog without sharing
    kRefused,        // the portal could not share (e.g. no window sharing here)
    kTokenRevoked,   // the saved permission no longer holds; asked afresh next time
    kStreamEnded,    // the picture stream ended (compositor or PipeWire restarted)
    kNoAnswer,       // the portal did not answer a request in time
};

// The text resource key of the package for a problem with a capture kind:
// "s.capture.<desktop|window>.<problem>".
std::string_view CaptureProblemKey(CaptureKind kind, CaptureProblem problem);

}  // namespace zv
