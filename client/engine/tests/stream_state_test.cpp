#include "stream_state.h"

#include <gtest/gtest.h>
#include <obs-defs.h>

#include <string>
#include <vector>

namespace zv {
namespace {

using S = StreamState;
using Sig = OutputSignal;

StreamStatus St(S s, int code = 0, int delay = 0) {
    return {s, code, delay};
}

TEST(StreamPolicy, TransitionTable) {
    struct Case {
        StreamStatus from;
        OutputEvent event;
        StreamStatus to;
    };
    const std::vector<Case> cases = {
        // Starting.
        {St(S::Idle), {Sig::StartAccepted}, St(S::Connecting)},
        {St(S::Failed, OBS_OUTPUT_CONNECT_FAILED), {Sig::StartAccepted}, St(S::Connecting)},
        {St(S::Live), {Sig::StartAccepted}, St(S::Connecting)},
        {St(S::Connecting), {Sig::StartRefused}, St(S::Failed, OBS_OUTPUT_ERROR)},
        {St(S::Failed, OBS_OUTPUT_BAD_PATH),
         {Sig::StartRefused},
         St(S::Failed, OBS_OUTPUT_BAD_PATH)},
        {St(S::Connecting), {Sig::Started}, St(S::Live)},
        // Nothing listening: the start is accepted, then the stop signal fails it.
        {St(S::Connecting),
         {Sig::StopSignal, OBS_OUTPUT_CONNECT_FAILED},
         St(S::Failed, OBS_OUTPUT_CONNECT_FAILED)},
        {St(S::Connecting),
         {Sig::StopSignal, OBS_OUTPUT_INVALID_STREAM},
         St(S::Failed, OBS_OUTPUT_INVALID_STREAM)},
        // Losing and regaining the connection.
        {St(S::Live), {Sig::Reconnect, 5}, St(S::Reconnecting, 0, 5)},
        {St(S::Reconnecting, 0, 5), {Sig::Reconnect, 7}, St(S::Reconnecting, 0, 7)},
        {St(S::Reconnecting, 0, 5), {Sig::ReconnectSuccess}, St(S::Live)},
        {St(S::Reconnecting, 0, 5), {Sig::Started}, St(S::Live)},
        {St(S::Live), {Sig::Reconnect, -3}, St(S::Reconnecting, 0, 0)},
        {St(S::Live),
         {Sig::StopSignal, OBS_OUTPUT_DISCONNECTED},
         St(S::Failed, OBS_OUTPUT_DISCONNECTED)},
        {St(S::Reconnecting, 0, 9),
         {Sig::StopSignal, OBS_OUTPUT_CONNECT_FAILED},
         St(S::Failed, OBS_OUTPUT_CONNECT_FAILED)},
        {St(S::Live), {Sig::StopSignal, OBS_OUTPUT_SUCCESS}, St(S::Stopped)},
        // Stopping on request: any code ends as stopped, late signals are ignored.
        {St(S::Live), {Sig::StopRequested}, St(S::Stopping)},
        {St(S::Connecting), {Sig::StopRequested}, St(S::Stopping)},
        {St(S::Reconnecting, 0, 5), {Sig::StopRequested}, St(S::Stopping)},
        {St(S::Stopping), {Sig::StopSignal, OBS_OUTPUT_SUCCESS}, St(S::Stopped)},
        {St(S::Stopping), {Sig::StopSignal, OBS_OUTPUT_DISCONNECTED}, St(S::Stopped)},
        {St(S::Stopping), {Sig::StopTimedOut}, St(S::Stopped)},
        {St(S::Stopping), {Sig::Reconnect, 5}, St(S::Stopping)},
        {St(S::Stopping), {Sig::ReconnectSuccess}, St(S::Stopping)},
        {St(S::Stopping), {Sig::Started}, St(S::Stopping)},
        // Ended streams stay ended; stray signals do not revive them.
        {St(S::Stopped), {Sig::Started}, St(S::Stopped)},
        {St(S::Stopped), {Sig::StopSignal, OBS_OUTPUT_SUCCESS}, St(S::Stopped)},
        {St(S::Stopped), {Sig::StopTimedOut}, St(S::Stopped)},
        {St(S::Failed, OBS_OUTPUT_CONNECT_FAILED),
         {Sig::Reconnect, 5},
         St(S::Failed, OBS_OUTPUT_CONNECT_FAILED)},
        {St(S::Failed, OBS_OUTPUT_CONNECT_FAILED),
         {Sig::StopRequested},
         St(S::Failed, OBS_OUTPUT_CONNECT_FAILED)},
        {St(S::Idle), {Sig::StopRequested}, St(S::Idle)},
        {St(S::Idle), {Sig::Started}, St(S::Idle)},
        {St(S::Idle), {Sig::StopSignal, OBS_OUTPUT_ERROR}, St(S::Idle)},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(NextStreamStatus(c.from, c.event), c.to)
            << "case " << i << ": " << StreamStateName(c.from.state) << " + signal "
            << static_cast<int>(c.event.signal) << " -> got "
            << StreamStateName(NextStreamStatus(c.from, c.event).state);
    }
}

TEST(StreamPolicy, FullSessionWithOneDropout) {
    StreamStatus s;
    std::vector<S> seen;
    for (OutputEvent e : std::vector<OutputEvent>{{Sig::StartAccepted},
                                                  {Sig::Started},
                                                  {Sig::Reconnect, 5},
                                                  {Sig::StopSignal, OBS_OUTPUT_CONNECT_FAILED},
                                                  {Sig::Reconnect, 7},
                                                  {Sig::ReconnectSuccess},
                                                  {Sig::StopRequested},
                                                  {Sig::StopSignal, OBS_OUTPUT_SUCCESS}}) {
        s = NextStreamStatus(s, e);
        seen.push_back(s.state);
    }
    // A failed reconnect attempt reported as a stop ends the session: libobs
    // sends it only when it gives up.
    EXPECT_EQ(seen, (std::vector<S>{S::Connecting, S::Live, S::Reconnecting, S::Failed, S::Failed,
                                    S::Failed, S::Failed, S::Failed}));
}

TEST(StreamPolicy, ActiveStatesAreThoseWithARunningOutput) {
    EXPECT_TRUE(IsStreamActive(S::Connecting));
    EXPECT_TRUE(IsStreamActive(S::Live));
    EXPECT_TRUE(IsStreamActive(S::Reconnecting));
    EXPECT_TRUE(IsStreamActive(S::Stopping));
    EXPECT_FALSE(IsStreamActive(S::Idle));
    EXPECT_FALSE(IsStreamActive(S::Stopped));
    EXPECT_FALSE(IsStreamActive(S::Failed));
}

TEST(StreamPolicy, ThePreviewFollowsEveryFrameOnlyWhileAStreamMaySend) {
    for (S s : {S::Connecting, S::Live, S::Reconnecting, S::Stopping}) {
        EXPECT_EQ(PreviewFrameDivisor(s), 1) << StreamStateName(s);
    }
    for (S s : {S::Idle, S::Stopped, S::Failed}) {
        EXPECT_EQ(PreviewFrameDivisor(s), 2) << StreamStateName(s);
    }
}

TEST(StreamPolicy, EveryFailureCodeHasAReason) {
    for (int code : {OBS_OUTPUT_BAD_PATH, OBS_OUTPUT_CONNECT_FAILED, OBS_OUTPUT_INVALID_STREAM,
                     OBS_OUTPUT_ERROR, OBS_OUTPUT_DISCONNECTED, OBS_OUTPUT_UNSUPPORTED,
                     OBS_OUTPUT_NO_SPACE, OBS_OUTPUT_ENCODE_ERROR, -99}) {
        EXPECT_EQ(std::string(StreamFailureKey(code)).rfind("s.stream.error.", 0), 0u) << code;
    }
    EXPECT_STRNE(StreamFailureKey(OBS_OUTPUT_CONNECT_FAILED),
                 StreamFailureKey(OBS_OUTPUT_INVALID_STREAM));
    EXPECT_STREQ(StreamFailureKey(OBS_OUTPUT_SUCCESS), "");
}

}  // namespace
}  // namespace zv
