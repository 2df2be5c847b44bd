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
        EXPECT_EQ(PlatformSourceId(c.design, DesktopSession::kX11), c.platform) << c.design;
}

TEST(SourceIds, WaylandCapturesTheScreenAndWindowsThroughThePortal) {
    constexpr auto kWayland = DesktopSession::kWayland;
    EXPECT_EQ(PlatformSourceId("monitor_capture", kWayland), "zv_portal_monitor");
    EXPECT_EQ(PlatformSourceId("window_capture", kWayland), "zv_portal_window");
    EXPECT_EQ(PlatformSettingsKey("window_capture", "window", kWayland), "window");
    EXPECT_EQ(PlatformSettingsKey("monitor_capture", "monitor", kWayland), "monitor");
    // Everything else is the same plug-in on both sessions.
    for (const char* id : {"dshow_input", "wasapi_output_capture", "wasapi_input_capture",
                           "ffmpeg_source", "image_source"}) {
        EXPECT_EQ(PlatformSourceId(id, kWayland), PlatformSourceId(id, DesktopSession::kX11))
            << id;
    }
    EXPECT_EQ(PlatformSettingsKey("dshow_input", "video_device_id", kWayland), "device_id");
}

TEST(DesktopSessions, WaylandWhenEitherHintSaysSo) {
    struct Case {
        const char* waylandDisplay;
        const char* sessionType;
        DesktopSession expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, DesktopSession::kX11},
        {"", "", DesktopSession::kX11},
        {"", "x11", DesktopSession::kX11},
        {"wayland-0", nullptr, DesktopSession::kWayland},
        {"wayland-1", "x11", DesktopSession::kWayland},
        {nullptr, "wayland", DesktopSession::kWayland},
        {"", "Wayland", DesktopSession::kWayland},
        {nullptr, "tty", DesktopSession::kX11},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DesktopSessionFromEnv(c.waylandDisplay, c.sessionType), c.expected)
            << (c.waylandDisplay ? c.waylandDisplay : "(null)") << " / "
            << (c.sessionType ? c.sessionType : "(null)");
    }
}

TEST(SourceIds, UnknownIdsPassThrough) {
    EXPECT_EQ(PlatformSourceId("rtmp_output"), "rtmp_output");
    EXPECT_EQ(PlatformSourceId(""), "");
    EXPECT_EQ(FindSourceKind("no_such_source"), nullptr);
}

TEST(SettingsKeys, DeviceKeysMapPerSourceKind) {
    constexpr auto kX11 = DesktopSession::kX11;
    EXPECT_EQ(PlatformSettingsKey("dshow_input", "video_device_id", kX11), "device_id");
    EXPECT_EQ(PlatformSettingsKey("window_capture", "window", kX11), "capture_window");
    EXPECT_EQ(PlatformSettingsKey("monitor_capture", "monitor", kX11), "screen");
    EXPECT_EQ(PlatformSettingsKey("wasapi_input_capture", "device_id"), "device_id");
    // A key is only mapped for the kind it belongs to.
    EXPECT_EQ(PlatformSettingsKey("image_source", "window"), "window");
    EXPECT_EQ(PlatformSettingsKey("ffmpeg_source", "looping"), "looping");
    EXPECT_EQ(PlatformSettingsKey("wasapi_output_capture", ""), "");
}

TEST(SettingsKeys, DesktopCaptureHereHasNoCompatibilityMode) {
    for (const DesktopSession session : {DesktopSession::kX11, DesktopSession::kWayland}) {
        const SourceKind* desktop = FindSourceKind("monitor_capture", session);
        ASSERT_NE(desktop, nullptr);
        EXPECT_FALSE(desktop->takesCompatibility);
    }
}

}  // namespace
}  // namespace zv
