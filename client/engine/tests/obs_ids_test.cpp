#include "obs_ids.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(SourceIds, DescribedIdsMapToThisPlatformsPlugins) {
    struct Case {
        const char* design;
        const char* platform;
    };
    const Case cases[] = {
        {"dshow_input", "v4l2_input"},
        {"window_capture", "xcomposite_input"},
        {"monitor_capture", "xshm_input"},
        {"wasapi_output_capture", "pulse_output_capture"},
        {"wasapi_input_capture", "pulse_input_capture"},
        {"ffmpeg_source", "ffmpeg_source"},
        {"image_source", "image_source"},
        {"obs_x264", "obs_x264"},
        {"ffmpeg_aac", "ffmpeg_aac"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlatformSourceId(c.design), c.platform) << c.design;
}

TEST(SourceIds, UnknownIdsPassThrough) {
    EXPECT_EQ(PlatformSourceId("rtmp_output"), "rtmp_output");
    EXPECT_EQ(PlatformSourceId(""), "");
    EXPECT_EQ(FindSourceKind("no_such_source"), nullptr);
}

TEST(SettingsKeys, DeviceKeysMapPerSourceKind) {
    EXPECT_EQ(PlatformSettingsKey("dshow_input", "video_device_id"), "device_id");
    EXPECT_EQ(PlatformSettingsKey("window_capture", "window"), "capture_window");
    EXPECT_EQ(PlatformSettingsKey("monitor_capture", "monitor"), "screen");
    EXPECT_EQ(PlatformSettingsKey("wasapi_input_capture", "device_id"), "device_id");
    // A key is only mapped for the kind it belongs to.
    EXPECT_EQ(PlatformSettingsKey("image_source", "window"), "window");
    EXPECT_EQ(PlatformSettingsKey("ffmpeg_source", "looping"), "looping");
    EXPECT_EQ(PlatformSettingsKey("wasapi_output_capture", ""), "");
}

TEST(SettingsKeys, DesktopCaptureHereHasNoCompatibilityMode) {
    const SourceKind* desktop = FindSourceKind("monitor_capture");
    ASSERT_NE(desktop, nullptr);
    EXPECT_FALSE(desktop->takesCompatibility);
}

}  // namespace
}  // namespace zv
