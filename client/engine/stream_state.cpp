#include "stream_state.h"

#include <obs-defs.h>

namespace zv {

bool IsStreamActive(StreamState state) {
    return state == StreamState::Connecting || state == StreamState::Live ||
           state == StreamState::Reconnecting || state == StreamState::Stopping;
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

std::string StreamFailureText(int code) {
    switch (code) {
        case OBS_OUTPUT_SUCCESS:
            return "";
        case OBS_OUTPUT_BAD_PATH:
            return "推流地址无效，请检查地址后重试";
        case OBS_OUTPUT_CONNECT_FAILED:
            return "无法连接到推流服务器，请检查网络后重试";
        case OBS_OUTPUT_INVALID_STREAM:
            return "推流服务器拒绝了推流密钥，请重新开播";
        case OBS_OUTPUT_DISCONNECTED:
            return "与推流服务器的连接已断开";
        case OBS_OUTPUT_UNSUPPORTED:
            return "推流服务器不支持当前的推流格式";
        case OBS_OUTPUT_NO_SPACE:
            return "磁盘空间不足";
        case OBS_OUTPUT_ENCODE_ERROR:
            return "视频编码出错，请降低画质或关闭其他程序后重试";
        default:
            return "推流出错，请稍后重试";
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
