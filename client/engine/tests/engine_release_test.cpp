// Releasing the engine, also while it streams, leaves nothing of libobs
// behind, and a later Instance() starts afresh.
#include <obs.h>

#include "engine_fixture.h"
#include "support/standin.h"

namespace {

using namespace std::chrono_literals;
using zv::AVCore;

TEST(EngineRelease, ReleaseWithoutAnEngineDoesNothing) {
    AVCore::Release();
    AVCore::Release();
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
    ASSERT_TRUE(zvtest::RunLoopUntil([&] { return sink.Saw(zv::StreamState::Live); }, 10s))
        << sink.Describe();
    EXPECT_GT(bnum_allocs(), 0);

    // Released while live: the output ends, libobs shuts down.
    AVCore::Release();
    EXPECT_EQ(bnum_allocs(), 0);
    // Reports queued by the old engine's output reach nobody afterwards.
    const size_t heard = sink.statuses.size();
    zvtest::RunLoopFor(300ms);
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
