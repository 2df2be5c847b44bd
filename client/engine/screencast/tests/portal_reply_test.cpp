#include "portal_reply.h"

#include <gtest/gtest.h>

#include <set>

#include "capture_problem.h"

namespace zv::screencast {
namespace {

TEST(PortalReply, RequestPathsFollowTheSendersUniqueName) {
    EXPECT_EQ(RequestPath(":1.42", "zv1"), "/org/freedesktop/portal/desktop/request/1_42/zv1");
    EXPECT_EQ(RequestPath(":1.7.3", "t"), "/org/freedesktop/portal/desktop/request/1_7_3/t");
    EXPECT_EQ(RequestPath("", "t"), "/org/freedesktop/portal/desktop/request//t");
}

TEST(PortalReply, KindsAndCursorModesFromWhatThePortalOffers) {
    EXPECT_EQ(SourceTypeFor(CaptureKind::kDesktop), kSourceMonitor);
    EXPECT_EQ(SourceTypeFor(CaptureKind::kWindow), kSourceWindow);
    // A monitors-only portal refuses windows before any dialog.
    EXPECT_EQ(UnavailableKind(CaptureKind::kWindow, kSourceMonitor), CaptureProblem::kRefused);
    EXPECT_EQ(UnavailableKind(CaptureKind::kDesktop, kSourceMonitor), std::nullopt);
    EXPECT_EQ(UnavailableKind(CaptureKind::kWindow, kSourceMonitor | kSourceWindow), std::nullopt);
    EXPECT_EQ(UnavailableKind(CaptureKind::kDesktop, 0), CaptureProblem::kRefused);

    EXPECT_EQ(CursorModeFor(kCursorHidden | kCursorEmbedded | 4), kCursorEmbedded);
    EXPECT_EQ(CursorModeFor(kCursorHidden), kCursorHidden);
    EXPECT_EQ(CursorModeFor(4), 0u);  // metadata only: ask nothing
    EXPECT_EQ(CursorModeFor(0), 0u);
}

TEST(PortalReply, ResponseCodesSayWhatHappened) {
    EXPECT_EQ(ProblemFromResponse(kResponseCancelled, false), CaptureProblem::kCancelled);
    EXPECT_EQ(ProblemFromResponse(kResponseCancelled, true), CaptureProblem::kCancelled);
    EXPECT_EQ(ProblemFromResponse(2, false), CaptureProblem::kRefused);
    EXPECT_EQ(ProblemFromResponse(2, true), CaptureProblem::kTokenRevoked);
    EXPECT_EQ(ProblemFromResponse(77, false), CaptureProblem::kRefused);
}

TEST(PortalReply, OnlyPlainTokensAreHandedBack) {
    EXPECT_TRUE(IsUsableRestoreToken("6f1c2a9e-7d1b-4c1e-9a51-3b0c8d2e4f10"));
    EXPECT_FALSE(IsUsableRestoreToken(""));
    EXPECT_FALSE(IsUsableRestoreToken("two words"));
    EXPECT_FALSE(IsUsableRestoreToken("line\nbreak"));
    EXPECT_FALSE(IsUsableRestoreToken("\xe4\xb8\xad"));
    EXPECT_FALSE(IsUsableRestoreToken(std::string(513, 'a')));
    EXPECT_TRUE(IsUsableRestoreToken(std::string(512, 'a')));
}

TEST(CaptureProblemKeys, EveryProblemHasItsOwnTextPerKind) {
    const CaptureProblem problems[] = {
        CaptureProblem::kPortalMissing, CaptureProblem::kCancelled,   CaptureProblem::kRefused,
        CaptureProblem::kTokenRevoked,  CaptureProblem::kStreamEnded, CaptureProblem::kNoAnswer};
    std::set<std::string_view> keys;
    for (const CaptureKind kind : {CaptureKind::kDesktop, CaptureKind::kWindow}) {
        for (const CaptureProblem p : problems) {
            const std::string_view key = CaptureProblemKey(kind, p);
            EXPECT_TRUE(key.starts_with(kind == CaptureKind::kDesktop ? "s.capture.desktop."
                                                                      : "s.capture.window."))
                << key;
            keys.insert(key);
        }
    }
    EXPECT_EQ(keys.size(), 12u);
    EXPECT_EQ(CaptureProblemKey(CaptureKind::kWindow, CaptureProblem::kStreamEnded),
              "s.capture.window.ended");
}

}  // namespace
}  // namespace zv::screencast
