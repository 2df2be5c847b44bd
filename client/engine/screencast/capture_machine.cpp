#include "capture_machine.h"

namespace zv::screencast {

CaptureState InitialCaptureState(CaptureKind kind) {
    CaptureState state;
    state.armed = kind == CaptureKind::kDesktop;
    return state;
}

namespace {

// Asks when the user wants a picture, it is shown and nothing is under way.
void AskIfWanted(CaptureStep& step) {
    if (step.state.armed && step.state.shown && step.state.phase == Phase::kIdle) {
        step.state.phase = Phase::kAsking;
        step.effects.ask = true;
    }
}

}  // namespace

CaptureStep NextCapture(CaptureState state, const CaptureEvent& event) {
    CaptureStep step{state, {}};
    CaptureState& s = step.state;
    using Kind = CaptureEvent::Kind;
    switch (event.kind) {
        case Kind::kChosen:
            s.armed = true;
            AskIfWanted(step);
            break;
        case Kind::kRechosen:
            s.armed = true;
            if (s.phase == Phase::kStreaming) {
                // A new pick replaces the running stream; the old picture stays
                // until the new one arrives or the pick fails.
                s.phase = Phase::kIdle;
                step.effects.closeSession = true;
            }
            AskIfWanted(step);
            break;
        case Kind::kShown:
            s.shown = true;
            if (s.phase == Phase::kStreaming)
                step.effects.streamActive = true;
            AskIfWanted(step);
            break;
        case Kind::kHidden:
            s.shown = false;
            if (s.phase == Phase::kStreaming)
                step.effects.streamActive = false;
            break;
        case Kind::kGranted:
            if (s.phase != Phase::kAsking) {
                step.effects.closeSession = true;  // an answer nobody waits for
                break;
            }
            s.phase = Phase::kStreaming;
            step.effects.streamActive = s.shown;
            break;
        case Kind::kFailed:
            if (s.phase != Phase::kAsking)
                break;
            s.phase = Phase::kIdle;
            s.armed = false;
            step.effects.closeSession = true;
            step.effects.clearPicture = true;
            step.effects.report = event.problem;
            break;
        case Kind::kStreamEnded:
            if (s.phase != Phase::kStreaming)
                break;
            s.phase = Phase::kIdle;
            s.armed = false;
            step.effects.closeSession = true;
            step.effects.clearPicture = true;
            step.effects.report = CaptureProblem::kStreamEnded;
            break;
    }
    return step;
}

}  // namespace zv::screencast
