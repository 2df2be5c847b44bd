#include "stream_state.h"

#include <obs-defs.h>

namespace zv {

bool IsStreamActive(StreamState state) {
    return state == StreamState::Connecting || state == StreamState::Live ||
           state == StreamState::Reconnecting || state == StreamState::Stopping;
}

int PreviewFrameDivisor(StreamState state) {
    return IsStreamActive(state) ? 1 : 2;
}

StreamStatus NextStreamStatus(const StreamStatus& current, const OutputEvent& event) {
    const StreamState s = current.state;
    const bool running =
        s == StreamState::Connecting || s == StreamState::Live || s == StreamState::Reconnecting;
    switch (event.signal) {
        case OutputSignal::StartAccepted:
            return {StreamState::Connecting, 0, 0};
        case OutputSignal::StartRefused:
            // A refusal the output already reported with its own code keeps it.
            if (s == StreamState::Failed)
                return current;
            return {StreamState::Failed, OBS_OUTPUT_ERROR, 0};
        case OutputSignal::Started:
        case OutputSignal::ReconnectSuccess:
            // Late signals after a stop request or an end change nothing.
            if (running)
                return {StreamState::Live, 0, 0};
            return current;
        case OutputSignal::Reconnect:
            if (running)
                return {StreamState::Reconnecting, 0, event.value < 0 ? 0 : event.value};
            return current;
        case OutputSignal::StopRequested:
            if (running)
                return {StreamState::Stopping, 0, 0};
            return current;
        case OutputSignal::StopSignal:
            if (s == StreamState::Stopping)
                return {StreamState::Stopped, 0, 0};
            if (running) {
                if (event.value == OBS_OUTPUT_SUCCESS)
                    return {StreamState::Stopped, 0, 0};
                return {StreamState::Failed, event.value, 0};
            }
            return current;
        case OutputSignal::StopTimedOut:
            if (s == StreamState::Stopping)
                return {StreamState::Stopped, 0, 0};
            return current;
    }
    return current;
}

const char* StreamFailureKey(int code) {
    switch (code) {
        case OBS_OUTPUT_SUCCESS:
            return "";
        case OBS_OUTPUT_BAD_PATH:
            return "s.stream.error.path";
        case OBS_OUTPUT_CONNECT_FAILED:
            return "s.stream.error.connect";
        case OBS_OUTPUT_INVALID_STREAM:
            return "s.stream.error.key";
        case OBS_OUTPUT_DISCONNECTED:
            return "s.stream.error.disconnected";
        case OBS_OUTPUT_UNSUPPORTED:
            return "s.stream.error.unsupported";
        case OBS_OUTPUT_NO_SPACE:
            return "s.stream.error.space";
        case OBS_OUTPUT_ENCODE_ERROR:
            return "s.stream.error.encode";
        default:
            return "s.stream.error.other";
    }
}

const char* StreamStateName(StreamState state) {
    switch (state) {
        case StreamState::Idle:
            return "idle";
        case StreamState::Connecting:
            return "connecting";
        case StreamState::Live:
            return "live";
        case StreamState::Reconnecting:
            return "reconnecting";
        case StreamState::Stopping:
            return "stopping";
        case StreamState::Stopped:
            return "stopped";
        case StreamState::Failed:
            return "failed";
    }
    return "?";
}

}  // namespace zv
