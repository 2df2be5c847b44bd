// The scene build, layout, switches and settings on a real libobs (under
// Xvfb), inspected through libobs itself.
#include <obs.h>

#include <string>
#include <vector>

#include "engine_fixture.h"
#include "platform/main_loop.h"

namespace {

using zv::AVCore;

struct ItemInfo {
    std::string source;
    obs_bounds_type boundsType;
    float boundsX, boundsY;
    float posX, posY;
    bool visible;
};

std::vector<ItemInfo> Items(const char* sceneName) {
    std::vector<ItemInfo> items;
    obs_source_t* source = obs_get_source_by_name(sceneName);
    if (!source)
        return items;
    obs_scene_enum_items(
        obs_scene_from_source(source),
        [](obs_scene_t*, obs_sceneitem_t* item, void* param) {
            vec2 bounds, pos;
            obs_sceneitem_get_bounds(item, &bounds);
            obs_sceneitem_get_pos(item, &pos);
            static_cast<std::vector<ItemInfo>*>(param)->push_back(
                {obs_source_get_name(obs_sceneitem_get_source(item)),
                 obs_sceneitem_get_bounds_type(item), bounds.x, bounds.y, pos.x, pos.y,
                 obs_sceneitem_visible(item)});
            return true;
        },
        &items);
    obs_source_release(source);
    return items;
}

std::vector<std::string> Names(const std::vector<ItemInfo>& items) {
    std::vector<std::string> names;
    for (const ItemInfo& i : items)
        names.push_back(i.source);
    return names;
}

const ItemInfo* Find(const std::vector<ItemInfo>& items, const std::string& source) {
    for (const ItemInfo& i : items) {
        if (i.source == source)
            return &i;
    }
    return nullptr;
}

std::string OutputSceneName() {
    obs_source_t* source = obs_get_output_source(0);
    if (!source)
        return "";
    std::string name = obs_source_get_name(source);
    obs_source_release(source);
    return name;
}

class EngineScenes : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        zvtest::EngineTestFolder();
        core = AVCore::Instance();
        ready = core->Reset(nullptr, 1280, 720, &sink);
    }
    static void TearDownTestSuite() { AVCore::Release(); }
    void SetUp() override { ASSERT_TRUE(ready) << "AVCore::Reset failed"; }

    static inline AVCore* core = nullptr;
    static inline bool ready = false;
    static inline zvtest::RecordingSink sink;
};

TEST_F(EngineScenes, InstanceIsOneObjectAndResetFixesCanvasOnce) {
    EXPECT_EQ(AVCore::Instance(), core);
    obs_video_info ovi = {};
    ASSERT_TRUE(obs_get_video_info(&ovi));
    EXPECT_EQ(ovi.base_width, 1280u);
    EXPECT_EQ(ovi.base_height, 720u);
    EXPECT_EQ(ovi.output_width, 1280u);
    EXPECT_EQ(ovi.output_height, 720u);
    EXPECT_EQ(ovi.fps_num, 8000u);
    EXPECT_EQ(ovi.fps_den, 1001u);
    EXPECT_EQ(ovi.output_format, VIDEO_FORMAT_NV12);
    obs_audio_info oai = {};
    ASSERT_TRUE(obs_get_audio_info(&oai));
    EXPECT_EQ(oai.samples_per_sec, 44100u);
    EXPECT_EQ(oai.speakers, SPEAKERS_MONO);
    // The canvas cannot change afterwards.
    EXPECT_FALSE(core->Reset(nullptr, 640, 480, &sink));
    EXPECT_EQ(core->CanvasWidth(), 1280);
}

TEST_F(EngineScenes, SourcesUseThisPlatformsPlugins) {
    struct Case {
        const char* name;
        const char* id;
    };
    // The window capture registers only under a window manager; the test
    // server runs none, so its source exists without a plug-in.
    for (const Case& c :
         {Case{"video source", "v4l2_input"}, Case{"desktop source", "xshm_input"},
          Case{"ffmpeg source", "ffmpeg_source"}, Case{"logo source", "image_source"},
          Case{"audio source", "pulse_input_capture"},
          Case{"audio source from desktop", "pulse_output_capture"},
          Case{"window source", "xcomposite_input"}}) {
        obs_source_t* source = obs_get_source_by_name(c.name);
        ASSERT_NE(source, nullptr) << c.name;
        EXPECT_STREQ(obs_source_get_id(source), c.id) << c.name;
        obs_source_release(source);
    }
    obs_source_t* mic = obs_get_source_by_name("audio source");
    ASSERT_NE(mic, nullptr);
    EXPECT_EQ(obs_source_get_sync_offset(mic), 550000000);
    obs_source_release(mic);
}

TEST_F(EngineScenes, ScenesHoldTheirItemsBottomToTopWithBounds) {
    const auto video = Items("video");
    EXPECT_EQ(Names(video), (std::vector<std::string>{"video source", "logo source", "audio source",
                                                      "audio source from desktop"}));
    const auto app = Items("app");
    EXPECT_EQ(Names(app),
              (std::vector<std::string>{"window source", "desktop source", "logo source",
                                        "audio source", "audio source from desktop"}));
    const auto compound = Items("compound");
    EXPECT_EQ(Names(compound), (std::vector<std::string>{
                                   "window source", "desktop source", "video source", "logo source",
                                   "audio source", "audio source from desktop"}));
    const auto vod = Items("vod");
    EXPECT_EQ(Names(vod), (std::vector<std::string>{"ffmpeg source", "logo source"}));

    // Full-canvas items: scale inside bounds of 1280 x 720 at (0, 0).
    for (const auto* list : {&video, &app, &compound, &vod}) {
        for (const ItemInfo& i : *list) {
            const bool fullCanvas = i.source == "window source" || i.source == "desktop source" ||
                                    i.source == "ffmpeg source" ||
                                    (i.source == "video source" && list == &video);
            if (fullCanvas) {
                EXPECT_EQ(i.boundsType, OBS_BOUNDS_SCALE_INNER) << i.source;
                EXPECT_EQ(i.boundsX, 1280.0f) << i.source;
                EXPECT_EQ(i.boundsY, 720.0f) << i.source;
                EXPECT_EQ(i.posX, 0.0f) << i.source;
                EXPECT_EQ(i.posY, 0.0f) << i.source;
            } else if (i.source == "logo source" || i.source.rfind("audio", 0) == 0) {
                EXPECT_EQ(i.boundsType, OBS_BOUNDS_NONE) << i.source;
            }
            EXPECT_TRUE(i.visible) << i.source;
        }
    }
    const ItemInfo* box = Find(compound, "video source");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->boundsType, OBS_BOUNDS_SCALE_INNER);
    EXPECT_EQ(box->boundsX, 426.0f);
    EXPECT_EQ(box->boundsY, 240.0f);
}

TEST_F(EngineScenes, MergeCornerMovesTheCameraBox) {
    struct Case {
        int corner;
        float x, y;
    };
    for (const Case& c : {Case{0, 10, 10}, Case{1, 842, 10}, Case{2, 10, 470}, Case{3, 842, 470},
                          Case{7, 842, 470}}) {
        core->SetMergeCorner(c.corner);
        const ItemInfo* box = Find(Items("compound"), "video source");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->posX, c.x) << "corner " << c.corner;
        EXPECT_EQ(box->posY, c.y) << "corner " << c.corner;
        EXPECT_EQ(box->boundsX, 426.0f);
        EXPECT_EQ(box->boundsY, 240.0f);
    }
    // The camera of the "video" scene never moves.
    const ItemInfo* full = Find(Items("video"), "video source");
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(full->posX, 0.0f);
    EXPECT_EQ(full->posY, 0.0f);
}

TEST_F(EngineScenes, LogoCornerPlacesTheLogoInEveryScene) {
    const std::string logo =
        zvtest::MakePicture(zvtest::EngineTestFolder(), "logo.png", 200, 80, "0xFF00FF");
    struct Case {
        int corner;
        float x, y;
    };
    for (const Case& c :
         {Case{1, 16, 624}, Case{2, 1064, 16}, Case{0, 16, 16}, Case{3, 1064, 624}}) {
        core->SetLogo(logo.c_str(), c.corner, 200, 80);
        for (const char* scene : {"video", "app", "compound", "vod"}) {
            const ItemInfo* item = Find(Items(scene), "logo source");
            ASSERT_NE(item, nullptr) << scene;
            EXPECT_EQ(item->posX, c.x) << scene << " corner " << c.corner;
            EXPECT_EQ(item->posY, c.y) << scene << " corner " << c.corner;
        }
    }
    obs_source_t* source = obs_get_source_by_name("logo source");
    ASSERT_NE(source, nullptr);
    obs_data_t* settings = obs_source_get_settings(source);
    EXPECT_EQ(std::string(obs_data_get_string(settings, "file")), logo);
    obs_data_release(settings);
    // The image source reads the file: its size is the logo's.
    EXPECT_TRUE(zv::RunLoopUntil([&] { return obs_source_get_width(source) == 200; },
                                 std::chrono::milliseconds(3000)));
    EXPECT_EQ(obs_source_get_height(source), 80u);
    obs_source_release(source);
}

TEST_F(EngineScenes, DesktopAudioToggledTwiceIsBackOnTop) {
    ASSERT_TRUE(core->IsDesktopAudioOn());
    core->ToggleDesktopAudio();
    EXPECT_FALSE(core->IsDesktopAudioOn());
    for (const char* scene : {"video", "app", "compound"}) {
        EXPECT_EQ(Find(Items(scene), "audio source from desktop"), nullptr) << scene;
        EXPECT_NE(Find(Items(scene), "audio source"), nullptr) << scene;
    }
    core->ToggleDesktopAudio();
    EXPECT_TRUE(core->IsDesktopAudioOn());
    for (const char* scene : {"video", "app", "compound"}) {
        const auto items = Items(scene);
        ASSERT_FALSE(items.empty());
        EXPECT_EQ(items.back().source, "audio source from desktop") << scene;
        int count = 0;
        for (const ItemInfo& i : items)
            count += i.source == "audio source from desktop";
        EXPECT_EQ(count, 1) << scene;
    }
    EXPECT_EQ(Find(Items("vod"), "audio source from desktop"), nullptr);
}

TEST_F(EngineScenes, SwitchesSetOutputChannelAndCaptureVisibility) {
    core->ShowVideoScene();
    EXPECT_EQ(OutputSceneName(), "video");
    core->ShowWindowCapture();
    EXPECT_EQ(OutputSceneName(), "app");
    for (const char* scene : {"app", "compound"}) {
        const auto items = Items(scene);
        EXPECT_TRUE(Find(items, "window source")->visible) << scene;
        EXPECT_FALSE(Find(items, "desktop source")->visible) << scene;
    }
    // The compound scene keeps the window under the camera box.
    core->ShowCompoundScene();
    EXPECT_EQ(OutputSceneName(), "compound");
    EXPECT_TRUE(Find(Items("compound"), "window source")->visible);
    core->ShowDesktopCapture();
    EXPECT_EQ(OutputSceneName(), "app");
    for (const char* scene : {"app", "compound"}) {
        const auto items = Items(scene);
        EXPECT_FALSE(Find(items, "window source")->visible) << scene;
        EXPECT_TRUE(Find(items, "desktop source")->visible) << scene;
    }
    core->ShowMediaScene();
    EXPECT_EQ(OutputSceneName(), "vod");
}

TEST_F(EngineScenes, SettingsReachTheSourcesUnderThisPlatformsKeys) {
    auto settingsOf = [](const char* name) {
        obs_source_t* source = obs_get_source_by_name(name);
        obs_data_t* settings = source ? obs_source_get_settings(source) : nullptr;
        obs_source_release(source);
        return settings;
    };
    core->SetCameraDevice("/dev/video-none");
    core->SetMicDevice("default");
    core->SetCaptureWindow("12345\r\ntitle\r\nclass");
    core->SetCaptureMonitor(0);
    core->SetMediaFile("/nonexistent/clip.mp4", true);

    obs_data_t* s = settingsOf("video source");
    EXPECT_STREQ(obs_data_get_string(s, "device_id"), "/dev/video-none");
    obs_data_release(s);
    s = settingsOf("audio source");
    EXPECT_STREQ(obs_data_get_string(s, "device_id"), "default");
    obs_data_release(s);
    s = settingsOf("window source");
    EXPECT_STREQ(obs_data_get_string(s, "capture_window"), "12345\r\ntitle\r\nclass");
    obs_data_release(s);
    s = settingsOf("desktop source");
    EXPECT_TRUE(obs_data_has_user_value(s, "screen"));
    EXPECT_EQ(obs_data_get_int(s, "screen"), 0);
    obs_data_release(s);
    s = settingsOf("ffmpeg source");
    EXPECT_TRUE(obs_data_get_bool(s, "is_local_file"));
    EXPECT_STREQ(obs_data_get_string(s, "local_file"), "/nonexistent/clip.mp4");
    EXPECT_TRUE(obs_data_get_bool(s, "looping"));
    obs_data_release(s);

    // Updates merge: a later update of one key keeps the others.
    core->SetMediaFile("/nonexistent/other.mp4", false);
    s = settingsOf("ffmpeg source");
    EXPECT_STREQ(obs_data_get_string(s, "local_file"), "/nonexistent/other.mp4");
    EXPECT_FALSE(obs_data_get_bool(s, "looping"));
    EXPECT_TRUE(obs_data_get_bool(s, "is_local_file"));
    obs_data_release(s);

    // Null texts are treated as empty, not dereferenced.
    core->SetCameraDevice(nullptr);
    core->SetLogo(nullptr, 1, 0, 0);
    s = settingsOf("video source");
    EXPECT_STREQ(obs_data_get_string(s, "device_id"), "");
    obs_data_release(s);
}

TEST_F(EngineScenes, VolumeAndMuteReachBothAudioSources) {
    obs_source_t* mic = obs_get_source_by_name("audio source");
    obs_source_t* desktop = obs_get_source_by_name("audio source from desktop");
    ASSERT_TRUE(mic && desktop);
    core->SetMuted(true);
    EXPECT_TRUE(obs_source_muted(mic));
    EXPECT_TRUE(obs_source_muted(desktop));
    core->SetMuted(false);
    EXPECT_FALSE(obs_source_muted(mic));
    EXPECT_FALSE(obs_source_muted(desktop));

    // A cubic fader at deflection d sets the volume multiplier to d^3.
    core->SetVolume(0.85f);
    EXPECT_NEAR(obs_source_get_volume(mic), 0.85f * 0.85f * 0.85f, 1e-4);
    EXPECT_NEAR(obs_source_get_volume(desktop), 0.85f * 0.85f * 0.85f, 1e-4);
    core->SetVolume(0.0f);
    EXPECT_EQ(obs_source_get_volume(mic), 0.0f);
    EXPECT_EQ(obs_source_get_volume(desktop), 0.0f);
    core->SetVolume(1.0f);
    EXPECT_NEAR(obs_source_get_volume(mic), 1.0f, 1e-4);
    obs_source_release(mic);
    obs_source_release(desktop);
}

TEST_F(EngineScenes, DeviceListsAppendAndStayAligned) {
    std::vector<std::string> cameras{"keep"};
    core->ListCameras(cameras);
    // The test machine has no camera: the list is left as it was.
    EXPECT_EQ(cameras, (std::vector<std::string>{"keep"}));

    std::vector<std::string> names, ids;
    core->ListMicrophones(names, ids);
    // Without a sound server the list may be empty; entries are checked with
    // one in engine_sound_test.
    ASSERT_EQ(names.size(), ids.size());
    const size_t once = ids.size();
    core->ListMicrophones(names, ids);
    ASSERT_EQ(names.size(), ids.size());
    ASSERT_EQ(ids.size(), 2 * once);
    for (size_t i = 0; i < once; ++i) {
        EXPECT_EQ(ids[i], ids[once + i]);
        EXPECT_EQ(names[i], names[once + i]);
    }

    // No window manager here: the window capture offers no list.
    std::vector<std::string> windows;
    core->ListWindows(windows);
    EXPECT_TRUE(windows.empty());

    // Listing does not touch the engine's own sources.
    obs_source_t* camera = obs_get_source_by_name("video source");
    ASSERT_NE(camera, nullptr);
    obs_source_release(camera);
}

}  // namespace
