// The portal capture on a real Wayland desktop: a headless compositor whose
// output is one known colour, PipeWire, and the screen-cast portal, all of the
// test's own (tests/wayland/rig.sh runs this program inside it). The engine
// goes live to a real ingest and the recording is decoded.
#include <obs.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "engine_fixture.h"
#include "platform/desktop_session.h"
#include "platform/main_loop.h"
#include "screencast/restore_tokens.h"
#include "screencast/screencast_source.h"
#include "support/process.h"
#include "support/standin.h"

namespace {

using namespace std::chrono_literals;
using zv::AVCore;
using zv::CaptureKind;
using zv::CaptureProblem;
using zv::screencast::GetScreencastStats;

// The rig's background colour, as rig.sh is told by the test's CTest entry.
constexpr int kRed = 0x20, kGreen = 0xC0, kBlue = 0x40;

std::string RigScript(const std::string& name) {
    return zvtest::SourceDir() + "/tests/wayland/" + name;
}

zv::screencast::ScreencastStats Stats(const char* sourceName) {
    OBSSourceAutoRelease source = obs_get_source_by_name(sourceName);
    return GetScreencastStats(source);
}

// Share of pixels of the frame at `second` within `tolerance` of the rig's
// colour (64 x 36 RGB thumbnail).
double ShareOfRigColour(const std::string& file, double second, int tolerance = 16) {
    const std::string out = zvtest::EngineTestFolder() + "/frame.rgb";
    const auto r = zvtest::RunCommand(
        {"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-ss", std::to_string(second), "-i",
         file, "-frames:v", "1", "-vf", "scale=64:36", "-pix_fmt", "rgb24", "-f", "rawvideo", out},
        30);
    if (r.exitCode != 0)
        return -1;
    std::ifstream in(out, std::ios::binary);
    std::vector<unsigned char> px((std::istreambuf_iterator<char>(in)), {});
    if (px.size() != 64 * 36 * 3)
        return -1;
    int near = 0;
    for (size_t i = 0; i < px.size(); i += 3) {
        if (std::abs(px[i] - kRed) <= tolerance && std::abs(px[i + 1] - kGreen) <= tolerance &&
            std::abs(px[i + 2] - kBlue) <= tolerance)
            ++near;
    }
    return near / (64.0 * 36.0);
}

uint32_t DesktopWidth() {
    OBSSourceAutoRelease source = obs_get_source_by_name("desktop source");
    return obs_source_get_width(source);
}

class PortalCapture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = zvtest::EngineTestFolder();
        core = AVCore::Instance();
        ready = core->Reset(nullptr, 1280, 720, &sink);
    }
    static void TearDownTestSuite() { AVCore::Release(); }
    void SetUp() override {
        ASSERT_EQ(zv::CurrentDesktopSession(), zv::DesktopSession::kWayland)
            << "run inside tests/wayland/rig.sh";
        ASSERT_TRUE(ready) << "AVCore::Reset failed";
        problemsBefore = sink.captureProblems.size();
    }
    void TearDown() override {
        core->StopStreaming();
        zv::RunLoopUntil([] { return !zv::IsStreamActive(core->GetStreamStatus().state); }, 6s);
    }

    // The rig's screen stands still, and its compositor sends a new stream's
    // first picture only once something changes: the background colour is
    // changed every half second until the source has had `total` frames.
    static bool WaitDesktopFramesChangingTheScreen(uint64_t total) {
        int changes = 0;
        return zv::RunLoopUntil(
            [&] {
                if (Stats("desktop source").framesDelivered >= total)
                    return true;
                zvtest::RunCommand({"swaymsg", "output", "*", "bg",
                                    ++changes % 2 ? "#2040c0" : "#c04020", "solid_color"},
                                   10);
                zv::RunLoopFor(500ms);
                return Stats("desktop source").framesDelivered >= total;
            },
            40s);
    }
    // Frames the desktop source has had in all: a still screen sends one
    // picture per stream (the compositor sends on change only).
    static bool WaitDesktopFrames(uint64_t total, std::chrono::milliseconds timeout = 30s) {
        return zv::RunLoopUntil([&] { return Stats("desktop source").framesDelivered >= total; },
                                timeout);
    }
    static bool WaitSent(double seconds) {
        const long from = core->GetOutputStats().totalFrames;
        const auto frames = static_cast<long>(seconds * 8000 / 1001);
        return zv::RunLoopUntil([&] { return core->GetOutputStats().totalFrames >= from + frames; },
                                60s);
    }
    // The next capture problem reported after SetUp, waiting for it.
    std::optional<std::pair<CaptureKind, CaptureProblem>> NextProblem(
        std::chrono::milliseconds timeout = 20s) {
        if (!zv::RunLoopUntil([&] { return sink.captureProblems.size() > problemsBefore; },
                              timeout))
            return std::nullopt;
        return sink.captureProblems[problemsBefore++];
    }

    static inline std::string folder;
    static inline AVCore* core = nullptr;
    static inline bool ready = false;
    static inline zvtest::RecordingSink sink;
    size_t problemsBefore = 0;
};

TEST_F(PortalCapture, TheDesktopReachesTheIngestInTheCompositorsColour) {
    core->ShowDesktopCapture();
    // The compositor sends a picture when the screen changes: a still one
    // gives one frame, which libobs keeps showing.
    ASSERT_TRUE(WaitDesktopFrames(1)) << "no frames from the portal";
    zvtest::Ingest ingest;
    ASSERT_TRUE(core->StartStreaming(ingest.PushUrl("live", "desk"), false, "", ""));
    ASSERT_TRUE(WaitSent(4.0));
    core->StopStreaming();
    ASSERT_TRUE(
        zv::RunLoopUntil([] { return !zv::IsStreamActive(core->GetStreamStatus().state); }, 6s));
    const std::string file = ingest.NewestRecording("live");
    ASSERT_FALSE(file.empty()) << ingest.Log();
    EXPECT_GT(ShareOfRigColour(file, 2.0), 0.97) << file;

    const Json::Value probe = zvtest::Ffprobe(file);
    ASSERT_FALSE(probe.isNull());
    bool sawVideo = false;
    for (const Json::Value& s : probe["streams"]) {
        if (s["codec_type"].asString() != "video")
            continue;
        sawVideo = true;
        EXPECT_EQ(s["width"].asInt(), 1280);
        EXPECT_EQ(s["height"].asInt(), 720);
        // The canvas's rate, whatever the compositor sends.
        int num = 0, den = 1;
        ASSERT_EQ(std::sscanf(s["avg_frame_rate"].asString().c_str(), "%d/%d", &num, &den), 2);
        EXPECT_NEAR(static_cast<double>(num) / den, 8000.0 / 1001, 0.3)
            << s["avg_frame_rate"].asString();
    }
    EXPECT_TRUE(sawVideo);
    EXPECT_EQ(sink.captureProblems.size(), problemsBefore) << "no problem while it works";
}

TEST_F(PortalCapture, ThePermissionIsKeptAndHandedBackOnTheNextStart) {
    core->ShowDesktopCapture();
    ASSERT_TRUE(WaitDesktopFrames(1));
    const auto tokens = zv::screencast::RestoreTokens::ForUser();
    const std::string token = tokens.Load(CaptureKind::kDesktop);
    if (token.empty())
        GTEST_SKIP() << "this portal gives no restore token";
    // A second engine start asks with the token and gets frames again.
    AVCore::Release();
    core = AVCore::Instance();
    ready = core->Reset(nullptr, 1280, 720, &sink);
    ASSERT_TRUE(ready);
    core->ShowDesktopCapture();
    EXPECT_TRUE(WaitDesktopFramesChangingTheScreen(1));
    EXPECT_EQ(Stats("desktop source").portalRequests, 1);
    EXPECT_FALSE(tokens.Load(CaptureKind::kDesktop).empty());
}

TEST_F(PortalCapture, ASavedPermissionThePortalRefusesIsDroppedAndTheNextChoiceAsksAfresh) {
    AVCore::Release();
    const auto tokens = zv::screencast::RestoreTokens::ForUser();
    ASSERT_TRUE(tokens.Save(CaptureKind::kDesktop, "no-longer-valid"));
    core = AVCore::Instance();
    ready = core->Reset(nullptr, 1280, 720, &sink);
    ASSERT_TRUE(ready);
    core->ShowDesktopCapture();
    const auto problem = NextProblem();
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->second, CaptureProblem::kTokenRevoked);
    EXPECT_EQ(tokens.Load(CaptureKind::kDesktop), "") << "the refused token was kept";
    core->ShowDesktopCapture();
    EXPECT_TRUE(WaitDesktopFramesChangingTheScreen(1));
    EXPECT_FALSE(tokens.Load(CaptureKind::kDesktop).empty()) << "the new permission was not kept";
}

TEST_F(PortalCapture, AWindowIsRefusedByAMonitorOnlyPortalAndTheStreamGoesOn) {
    core->ShowWindowCapture();
    core->SetCaptureWindow("any window:zelvio.portal");
    const auto problem = NextProblem();
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->first, CaptureKind::kWindow);
    EXPECT_EQ(problem->second, CaptureProblem::kRefused);
    zvtest::Ingest ingest;
    ASSERT_TRUE(core->StartStreaming(ingest.PushUrl("live", "win"), false, "", ""));
    EXPECT_TRUE(WaitSent(2.0));
}

// Mean loudness of a recording's sound in dB (ffmpeg's volumedetect); -100
// when it cannot be read.
double MeanVolume(const std::string& file) {
    const auto r = zvtest::RunCommand({"ffmpeg", "-nostdin", "-hide_banner", "-i", file, "-vn",
                                       "-af", "volumedetect", "-f", "null", "-"},
                                      60);
    std::smatch m;
    const std::regex mean("mean_volume: (-?[0-9.]+) dB");
    return std::regex_search(r.output, m, mean) ? std::stod(m[1]) : -100;
}

TEST_F(PortalCapture, DesktopSoundComesThroughPipeWiresPulseServer) {
    const std::string tone = folder + "/tone.wav";
    ASSERT_EQ(zvtest::RunCommand({"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-f", "lavfi",
                                  "-i", "sine=frequency=440:duration=12", "-ac", "2", tone})
                  .exitCode,
              0);
    core->ShowDesktopCapture();
    zvtest::Ingest ingest;
    ASSERT_TRUE(core->StartStreaming(ingest.PushUrl("live", "sound"), false, "", ""));
    ASSERT_TRUE(WaitSent(0.5));
    // Played into the desktop's default output, as any program would.
    zvtest::CommandResult played;
    std::thread player([&] { played = zvtest::RunCommand({"paplay", tone}, 60); });
    const bool sent = WaitSent(6.0);
    player.join();
    ASSERT_EQ(played.exitCode, 0) << played.output;
    ASSERT_TRUE(sent);
    core->StopStreaming();
    ASSERT_TRUE(
        zv::RunLoopUntil([] { return !zv::IsStreamActive(core->GetStreamStatus().state); }, 6s));
    const std::string file = ingest.NewestRecording("live");
    ASSERT_FALSE(file.empty());
    EXPECT_GT(MeanVolume(file), -45.0) << "the tone is not heard in " << file;
}

// Last among the rig's own cases: the pulse server's restart also ends
// libobs's desktop-sound capture, which does not reconnect by itself.
TEST_F(PortalCapture, PipeWireRestartingLeavesTheStreamLiveAndTheNextChoiceCapturesAgain) {
    core->ShowDesktopCapture();
    ASSERT_TRUE(WaitDesktopFramesChangingTheScreen(1));
    zvtest::Ingest ingest;
    ASSERT_TRUE(core->StartStreaming(ingest.PushUrl("live", "pw"), false, "", ""));
    ASSERT_TRUE(WaitSent(1.0));

    const auto stopped =
        zvtest::RunCommand({"bash", RigScript("rig-pipewire.sh"), "stop", "--kill"}, 30);
    ASSERT_EQ(stopped.exitCode, 0) << stopped.output;
    const auto problem = NextProblem();
    ASSERT_TRUE(problem.has_value()) << "the end of the stream was not told";
    EXPECT_EQ(problem->second, CaptureProblem::kStreamEnded);
    // Black: the source holds no picture any more (an async source without a
    // frame has no size).
    EXPECT_TRUE(zv::RunLoopUntil([] { return DesktopWidth() == 0; }, 5s)) << DesktopWidth();
    EXPECT_EQ(core->GetStreamStatus().state, zv::StreamState::Live);
    EXPECT_TRUE(WaitSent(2.0)) << "the stream went on";

    const auto started = zvtest::RunCommand({"bash", RigScript("rig-pipewire.sh"), "start"}, 60);
    ASSERT_EQ(started.exitCode, 0) << started.output;
    // The portal's backend does not survive PipeWire going; the desktop's
    // session restarts it.
    const auto backend =
        zvtest::RunCommand({"bash", RigScript("rig-pipewire.sh"), "restart-backend"}, 60);
    ASSERT_EQ(backend.exitCode, 0) << backend.output;
    const uint64_t before = Stats("desktop source").framesDelivered;
    core->ShowDesktopCapture();  // the user's next choice
    EXPECT_TRUE(WaitDesktopFramesChangingTheScreen(before + 1)) << "no picture from the new stream";
    EXPECT_TRUE(zv::RunLoopUntil([] { return DesktopWidth() == 1280; }, 5s)) << DesktopWidth();
    EXPECT_EQ(core->GetStreamStatus().state, zv::StreamState::Live);
}

// Run with the portal absent or refusing (rig.sh --portal none|deny).
TEST_F(PortalCapture, WithoutAWillingPortalTheSourceIsBlackAndTheStreamGoesOn) {
    const char* expected = std::getenv("ZV_RIG_EXPECT");  // "missing" or "denied"
    if (!expected)
        GTEST_SKIP() << "for a rig without a willing portal";
    core->ShowDesktopCapture();
    const auto problem = NextProblem(30s);
    ASSERT_TRUE(problem.has_value()) << "nothing was told";
    EXPECT_EQ(problem->first, CaptureKind::kDesktop);
    if (std::string(expected) == "missing")
        EXPECT_EQ(problem->second, CaptureProblem::kPortalMissing);
    else
        EXPECT_TRUE(problem->second == CaptureProblem::kCancelled ||
                    problem->second == CaptureProblem::kRefused)
            << static_cast<int>(problem->second);
    EXPECT_EQ(Stats("desktop source").framesDelivered, 0u);
    zvtest::Ingest ingest;
    ASSERT_TRUE(core->StartStreaming(ingest.PushUrl("live", "none"), false, "", ""));
    EXPECT_TRUE(WaitSent(2.0));
    // Chosen again: asked again, told again.
    core->ShowDesktopCapture();
    EXPECT_TRUE(NextProblem(30s).has_value());
}

}  // namespace
