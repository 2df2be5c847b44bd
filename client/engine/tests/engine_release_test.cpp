// Releasing the engine, also while it streams, leaves nothing of libobs
// behind, and a later Instance() starts afresh.
#include <obs.h>

#include "engine_fixture.h"
#include "platform/main_loop.h"
#include "support/standin.h"

namespace {

using namespace std::chrono_literals;
using zv::AVCore;

TEST(EngineRelease, ReleaseWithoutAnEngineDoesNothing) {
    AVCore::Release();
    AVCore::Release();
    EXPECT_EQ(bnum_allocs(), 0);
}

TEST(EngineRelease, WithoutAnXServerEveryCallFailsSafely) {
    zvtest::EngineTestFolder();
    const std::string display = getenv("DISPLAY") ? getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    zvtest::RecordingSink sink;
    AVCore* core = AVCore::Instance();
    EXPECT_FALSE(core->Reset(nullptr, 1280, 720, &sink));
    EXPECT_FALSE(core->HasPreview());
    core->ShowVideoScene();
    core->ShowDesktopCapture();
    core->SetMediaFile("/nonexistent.mp4", true);
    core->SetLogo("/nonexistent.png", 2, 10, 10);
    core->SetMergeCorner(1);
    core->SetVolume(0.5f);
    core->SetMuted(true);
    core->ToggleDesktopAudio();
    EXPECT_FALSE(core->IsDesktopAudioOn());
    std::vector<std::string> names{"n"}, ids{"i"};
    core->ListMicrophones(names, ids);
    core->ListCameras(ids);
    EXPECT_EQ(names, std::vector<std::string>{"n"});
    EXPECT_EQ(ids, std::vector<std::string>{"i"});
    EXPECT_FALSE(core->StartStreaming("rtmp://127.0.0.1:1/live/key", false, "", ""));
    EXPECT_STREQ(core->LastStartFailureKey(), "s.stream.error.engine");
    core->StopStreaming();
    zv::RunLoopFor(100ms);
    EXPECT_TRUE(sink.statuses.empty());
    AVCore::Release();
    if (!display.empty())
        setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(bnum_allocs(), 0);
}

TEST(EngineRelease, StreamingEngineReleasesEveryAllocation) {
    const std::string folder = zvtest::EngineTestFolder();
    const std::string clip = zvtest::MakeClip(folder, "release.mp4", 2.0, 320, 180);
    const std::string logo = zvtest::MakePicture(folder, "release-logo.png", 40, 20, "white");
    zvtest::Ingest ingest;
    zvtest::RecordingSink sink;

    AVCore* core = AVCore::Instance();
    ASSERT_EQ(AVCore::Instance(), core);
    ASSERT_TRUE(core->Reset(nullptr, 1280, 720, &sink));
    core->SetMediaFile(clip.c_str(), true);
    core->SetLogo(logo.c_str(), 1, 40, 20);
    core->ShowMediaScene();
    core->ToggleDesktopAudio();  // removed items must not leak either
    ASSERT_TRUE(core->StartStreaming(ingest.PushUrl("live", "release"), false, "", ""));
    ASSERT_TRUE(zv::RunLoopUntil([&] { return sink.Saw(zv::StreamState::Live); }, 10s))
        << sink.Describe();
    EXPECT_GT(bnum_allocs(), 0);

    // Released while live: the output ends, libobs shuts down.
    AVCore::Release();
    EXPECT_EQ(bnum_allocs(), 0);
    // Reports queued by the old engine's output reach nobody afterwards.
    const size_t heard = sink.statuses.size();
    zv::RunLoopFor(300ms);
    EXPECT_EQ(sink.statuses.size(), heard);

    // A new engine starts libobs again and works.
    zvtest::RecordingSink second;
    core = AVCore::Instance();
    ASSERT_TRUE(core->Reset(nullptr, 640, 360, &second));
    obs_video_info ovi = {};
    ASSERT_TRUE(obs_get_video_info(&ovi));
    EXPECT_EQ(ovi.base_width, 640u);
    EXPECT_TRUE(core->IsDesktopAudioOn());
    AVCore::Release();
    EXPECT_EQ(bnum_allocs(), 0);
}

}  // namespace
