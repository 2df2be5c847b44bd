#pragma once
// The stream state as the user sees it, driven by the output's own signals.
// NextStreamStatus is the whole policy: a pure function, table-tested.
#include <string>

namespace zv {

enum class StreamState {
    Idle,          // never started
    Connecting,    // start accepted, not yet connected
    Live,          // connected and sending
    Reconnecting,  // connection lost; libobs retries after retryDelaySec
    Stopping,      // stop requested, waiting for the output to finish
    Stopped,       // ended on request
    Failed,        // ended by an error (code says which)
};

struct StreamStatus {
    StreamState state = StreamState::Idle;
    int code = 0;           // libobs output code (OBS_OUTPUT_*) of a failure
    int retryDelaySec = 0;  // seconds to the next attempt while reconnecting
    bool operator==(const StreamStatus&) const = default;
};

// What happened to the output, from the engine's calls and the output's
// signals ("start", "stop" with its code, "reconnect", "reconnect_success").
enum class OutputSignal {
    StartAccepted,     // about to start; the start call did not refuse yet
    StartRefused,      // obs_output_start returned false
    Started,           // "start"
    Reconnect,         // "reconnect" (value = delay in seconds)
    ReconnectSuccess,  // "reconnect_success"
    StopRequested,     // the user asked to stop
    StopSignal,        // "stop" (value = output code)
    StopTimedOut,      // the output did not finish stopping in time
};

struct OutputEvent {
    OutputSignal signal;
    int value = 0;
};

StreamStatus NextStreamStatus(const StreamStatus& current, const OutputEvent& event);

// True for the states in which an output exists and may still send.
bool IsStreamActive(StreamState state);

// The preview draws every n-th canvas frame: each one while a stream may be
// sending (the streamer watches what the audience gets), every second one
// before and after.
int PreviewFrameDivisor(StreamState state);

// The text resource of the package that says, in a sentence a person can act
// on, what a failure code means ("s.stream.error.*"); empty for success.
const char* StreamFailureKey(int code);

const char* StreamStateName(StreamState state);

}  // namespace zv
