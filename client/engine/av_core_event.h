#pragma once
// The main window's sink for what the engine reports.
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
};

}  // namespace zv
