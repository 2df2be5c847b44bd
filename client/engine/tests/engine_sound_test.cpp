// Meters, faders and the microphone list against a real sound server: a
// private PulseAudio with a null sink whose monitor both audio sources hear.
#include <obs.h>

#include <algorithm>
#include <thread>

#include "engine_fixture.h"
#include "levels.h"
#include "platform/main_loop.h"

namespace {

using namespace std::chrono_literals;
using zv::AVCore;

class EngineSound : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = zvtest::EngineTestFolder();
        tone = zvtest::MakeClip(folder, "tone.mp4", 2.5, 160, 120);
        pulse = new zvtest::PulseServer();
        core = AVCore::Instance();
        ready = core->Reset(nullptr, 1280, 720, &sink);
        if (ready)
            core->ShowVideoScene();
    }
    static void TearDownTestSuite() {
        AVCore::Release();
        delete pulse;
    }
    void SetUp() override { ASSERT_TRUE(ready) << "AVCore::Reset failed"; }

    struct Heard {
        float mixed = -1, mic = -1, desktop = -1;
    };
    // Plays the tone into the sound server and records the highest levels.
    static Heard PlayAndListen() {
        // Sound of an earlier phase still in flight would count here.
        EXPECT_TRUE(zv::RunLoopUntil(
            [] { return zv::g_micLevel.load() <= 0.0f && zv::g_desktopLevel.load() <= 0.0f; }, 5s));
        Heard heard;
        bool played = false;
        std::atomic<bool> done{false};
        std::thread player([&] {
            played = pulse->Play(tone);
            done = true;
        });
        zv::RunLoopUntil(
            [&] {
                heard.mixed = std::max(heard.mixed, zv::MixedLevel());
                heard.mic = std::max(heard.mic, zv::g_micLevel.load());
                heard.desktop = std::max(heard.desktop, zv::g_desktopLevel.load());
                return done.load();
            },
            20s);
        player.join();
        EXPECT_TRUE(played);
        return heard;
    }

    static inline std::string folder, tone;
    static inline zvtest::PulseServer* pulse = nullptr;
    static inline AVCore* core = nullptr;
    static inline bool ready = false;
    static inline zvtest::RecordingSink sink;
};

TEST_F(EngineSound, MicrophoneListStartsWithTheDefaultAndStaysAligned) {
    std::vector<std::string> names, ids;
    core->ListMicrophones(names, ids);
    ASSERT_FALSE(ids.empty());
    ASSERT_EQ(names.size(), ids.size());
    EXPECT_EQ(ids.front(), "default");
    const auto mic = std::find(ids.begin(), ids.end(), "zvmic");
    ASSERT_NE(mic, ids.end());
    EXPECT_NE(names[static_cast<size_t>(mic - ids.begin())].find("Null Input"), std::string::npos);
    for (const std::string& name : names)
        EXPECT_FALSE(name.empty());
}

TEST_F(EngineSound, MetersFollowThePlayedSoundAndSilence) {
    core->SetMuted(false);
    core->SetVolume(1.0f);
    const Heard loud = PlayAndListen();
    // The tone peaks at about -18 dBFS: a level of about 0.8 on both meters.
    EXPECT_GT(loud.mic, 0.6f);
    EXPECT_GT(loud.desktop, 0.6f);
    EXPECT_GT(loud.mixed, 0.6f);
    EXPECT_LE(loud.mixed, 1.0f);
    // Once the tone has ended the sink is silent and the mixed level drops.
    EXPECT_TRUE(zv::RunLoopUntil([] { return zv::MixedLevel() == 0.0f; }, 3s)) << zv::MixedLevel();
}

TEST_F(EngineSound, MutedSoundShowsNoLevelAndUnmutedComesBack) {
    // libobs meters a muted source as if it were not; the levels follow the
    // mute all the same (the source's own mute is checked in
    // engine_scene_test).
    core->SetVolume(1.0f);
    core->SetMuted(true);
    const Heard muted = PlayAndListen();
    core->SetMuted(false);
    EXPECT_EQ(muted.mic, 0.0f);
    EXPECT_EQ(muted.desktop, 0.0f);
    EXPECT_EQ(muted.mixed, 0.0f);
    EXPECT_GT(PlayAndListen().mixed, 0.6f);
}

TEST_F(EngineSound, VolumeReachesBothMeters) {
    // The fader's volume is measured.
    core->SetMuted(false);
    core->SetVolume(1.0f);
    const Heard full = PlayAndListen();
    // Deflection 0.5 of the cubic fader is 1/8 of the amplitude: -18 dB, so
    // both levels drop by about 0.18.
    core->SetVolume(0.5f);
    const Heard half = PlayAndListen();
    EXPECT_NEAR(full.mic - half.mic, 0.18f, 0.05f);
    EXPECT_NEAR(full.desktop - half.desktop, 0.18f, 0.05f);
    core->SetVolume(1.0f);
}

}  // namespace
