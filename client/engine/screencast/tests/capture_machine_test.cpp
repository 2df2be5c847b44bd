#include "capture_machine.h"

#include <gtest/gtest.h>

#include <vector>

namespace zv::screencast {
namespace {

using Kind = CaptureEvent::Kind;

CaptureEvent Failed(CaptureProblem problem) {
    return {Kind::kFailed, problem};
}

// Runs events from a kind's initial state; returns the final step.
CaptureStep Replay(CaptureKind kind, const std::vector<CaptureEvent>& events) {
    CaptureStep step{InitialCaptureState(kind), {}};
    for (const CaptureEvent& e : events)
        step = NextCapture(step.state, e);
    return step;
}

TEST(CaptureMachine, AsksOnlyWhenWantedAndShownAndNothingIsUnderWay) {
    struct Case {
        const char* name;
        CaptureKind kind;
        std::vector<CaptureEvent> events;
        bool asks;  // the last event's step
        Phase phase;
    };
    const Case cases[] = {
        {"desktop shown asks at once",
         CaptureKind::kDesktop,
         {{Kind::kShown}},
         true,
         Phase::kAsking},
        {"a window without a pick waits",
         CaptureKind::kWindow,
         {{Kind::kShown}},
         false,
         Phase::kIdle},
        {"a window pick while shown asks",
         CaptureKind::kWindow,
         {{Kind::kShown}, {Kind::kRechosen}},
         true,
         Phase::kAsking},
        {"a pick while hidden waits for the show",
         CaptureKind::kWindow,
         {{Kind::kRechosen}, {Kind::kShown}},
         true,
         Phase::kAsking},
        {"no second request while one is open",
         CaptureKind::kDesktop,
         {{Kind::kShown}, {Kind::kChosen}},
         false,
         Phase::kAsking},
        {"shown again while asking asks no more",
         CaptureKind::kDesktop,
         {{Kind::kShown}, {Kind::kHidden}, {Kind::kShown}},
         false,
         Phase::kAsking},
        {"choosing a running desktop keeps it",
         CaptureKind::kDesktop,
         {{Kind::kShown}, {Kind::kGranted}, {Kind::kChosen}},
         false,
         Phase::kStreaming},
        {"a failure is not asked again by showing",
         CaptureKind::kDesktop,
         {{Kind::kShown}, Failed(CaptureProblem::kCancelled), {Kind::kHidden}, {Kind::kShown}},
         false,
         Phase::kIdle},
        {"the next choice after a failure asks",
         CaptureKind::kDesktop,
         {{Kind::kShown}, Failed(CaptureProblem::kCancelled), {Kind::kChosen}},
         true,
         Phase::kAsking},
        {"the next choice after the stream ended asks",
         CaptureKind::kDesktop,
         {{Kind::kShown}, {Kind::kGranted}, {Kind::kStreamEnded}, {Kind::kChosen}},
         true,
         Phase::kAsking},
    };
    for (const Case& c : cases) {
        const CaptureStep step = Replay(c.kind, c.events);
        EXPECT_EQ(step.effects.ask, c.asks) << c.name;
        EXPECT_EQ(step.state.phase, c.phase) << c.name;
    }
}

TEST(CaptureMachine, FailuresShowBlackAndSayWhyOnce) {
    for (const CaptureProblem problem : {CaptureProblem::kPortalMissing, CaptureProblem::kCancelled,
                                         CaptureProblem::kRefused, CaptureProblem::kTokenRevoked}) {
        const CaptureStep step = Replay(CaptureKind::kDesktop, {{Kind::kShown}, Failed(problem)});
        EXPECT_EQ(step.state.phase, Phase::kIdle);
        EXPECT_FALSE(step.state.armed);
        EXPECT_TRUE(step.effects.clearPicture);
        EXPECT_TRUE(step.effects.closeSession);
        ASSERT_TRUE(step.effects.report.has_value());
        EXPECT_EQ(*step.effects.report, problem);
    }
    // A late second answer for the same request changes nothing.
    const CaptureStep late = Replay(
        CaptureKind::kDesktop,
        {{Kind::kShown}, Failed(CaptureProblem::kCancelled), Failed(CaptureProblem::kRefused)});
    EXPECT_FALSE(late.effects.report.has_value());
    EXPECT_FALSE(late.effects.clearPicture);
}

TEST(CaptureMachine, TheStreamEndingGoesBlackAndWaitsForAChoice) {
    const CaptureStep ended =
        Replay(CaptureKind::kDesktop, {{Kind::kShown}, {Kind::kGranted}, {Kind::kStreamEnded}});
    EXPECT_EQ(ended.state.phase, Phase::kIdle);
    EXPECT_TRUE(ended.effects.clearPicture);
    EXPECT_TRUE(ended.effects.closeSession);
    EXPECT_EQ(ended.effects.report, CaptureProblem::kStreamEnded);
    EXPECT_FALSE(ended.effects.ask);
    // An end reported twice (stream and connection) is told once.
    const CaptureStep twice = NextCapture(ended.state, {Kind::kStreamEnded});
    EXPECT_FALSE(twice.effects.report.has_value());
}

TEST(CaptureMachine, AHiddenStreamPausesAndResumes) {
    const CaptureStep granted = Replay(CaptureKind::kDesktop, {{Kind::kShown}, {Kind::kGranted}});
    EXPECT_EQ(granted.effects.streamActive, true);
    const CaptureStep hidden = NextCapture(granted.state, {Kind::kHidden});
    EXPECT_EQ(hidden.effects.streamActive, false);
    EXPECT_EQ(hidden.state.phase, Phase::kStreaming);
    EXPECT_EQ(NextCapture(hidden.state, {Kind::kShown}).effects.streamActive, true);
    // Granted while hidden: connected but paused.
    const CaptureStep grantedHidden =
        Replay(CaptureKind::kDesktop, {{Kind::kShown}, {Kind::kHidden}, {Kind::kGranted}});
    EXPECT_EQ(grantedHidden.effects.streamActive, false);
}

TEST(CaptureMachine, ANewWindowPickReplacesTheRunningShare) {
    const CaptureStep step =
        Replay(CaptureKind::kWindow,
               {{Kind::kRechosen}, {Kind::kShown}, {Kind::kGranted}, {Kind::kRechosen}});
    EXPECT_TRUE(step.effects.closeSession);
    EXPECT_TRUE(step.effects.ask);
    // The old picture stays until the new share answers.
    EXPECT_FALSE(step.effects.clearPicture);
    EXPECT_EQ(step.state.phase, Phase::kAsking);
}

TEST(CaptureMachine, AGrantNobodyWaitsForIsClosed) {
    const CaptureStep step =
        NextCapture(InitialCaptureState(CaptureKind::kDesktop), {Kind::kGranted});
    EXPECT_TRUE(step.effects.closeSession);
    EXPECT_EQ(step.state.phase, Phase::kIdle);
}

}  // namespace
}  // namespace zv::screencast
