#pragma once
// The main window's sink for what the engine reports.
#include "capture_problem.h"
#include "stream_state.h"

namespace zv {

class AVCoreEvent {
public:
    virtual ~AVCoreEvent() = default;

    // A sound level between 0 and 1. The engine itself does not raise it: the
    // window reads MixedLevel() on its timer.
    virtual void OnAudioLevel(float level) = 0;

    // The stream's state changed (connecting, live, reconnecting with the next
    // attempt's delay, stopping, stopped, failed with a code; see
    // StreamFailureText). Always called on the UI thread, never from inside an
    // engine call, in the order the output reported the changes.
    virtual void OnStreamStatus(const StreamStatus& status) = 0;

    // A portal capture (Wayland sessions) failed or its stream ended; the
    // source shows black and asks again the next time it is chosen. On the UI
    // thread, never from inside an engine call.
    virtual void OnCaptureProblem(CaptureKind kind, CaptureProblem problem) = 0;
};

}  // namespace zv
