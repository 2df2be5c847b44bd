#pragma once
// When a portal capture asks the desktop for a screen or window, and what it
// does when the answer or the picture stream goes wrong. Pure: the source
// feeds it events on its own thread and carries out the effects.
#include <optional>

#include "capture_problem.h"

namespace zv::screencast {

enum class Phase {
    kIdle,       // no portal session
    kAsking,     // a portal request is under way (its dialog may be open)
    kStreaming,  // the portal granted a stream; frames flow while shown
};

struct CaptureState {
    Phase phase = Phase::kIdle;
    // Whether the user's last choice still wants a picture: set by a choice,
    // cleared by a failure so that a broken portal is not asked in a loop.
    bool armed = false;
    // Whether the source is part of what is shown and sent.
    bool shown = false;
};

struct CaptureEvent {
    enum class Kind {
        kChosen,     // the source was chosen again (its button, its scene)
        kRechosen,   // a new pick was asked for (the window menu): ask anew
        kShown,      // became part of the output
        kHidden,     // left the output
        kGranted,    // the portal answered with a stream
        kFailed,     // the portal request failed (see problem)
        kStreamEnded,
    };
    Kind kind;
    CaptureProblem problem = CaptureProblem::kRefused;  // for kFailed
};

struct CaptureEffects {
    bool ask = false;           // start a portal request
    bool closeSession = false;  // drop the stream and the portal session
    bool clearPicture = false;  // show black
    std::optional<bool> streamActive;  // pause or resume the running stream
    std::optional<CaptureProblem> report;
};

struct CaptureStep {
    CaptureState state;
    CaptureEffects effects;
};

// The initial state of a capture kind: the desktop wants a picture as soon as
// it is shown; a window only once one was picked.
CaptureState InitialCaptureState(CaptureKind kind);

CaptureStep NextCapture(CaptureState state, const CaptureEvent& event);

}  // namespace zv::screencast
