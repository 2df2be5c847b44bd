#include "obs_ids.h"

#include <array>

namespace zv {
namespace {

constexpr std::array<SourceKind, 9> kKinds{{
    {"dshow_input", "v4l2_input", "video_device_id", "device_id", false},
    {"window_capture", "xcomposite_input", "window", "capture_window", false},
    // xshm selects a screen by its integer index; it has no compatibility mode.
    {"monitor_capture", "xshm_input", "monitor", "screen", false},
    {"wasapi_output_capture", "pulse_output_capture", "", "", false},
    {"wasapi_input_capture", "pulse_input_capture", "device_id", "device_id", false},
    {"ffmpeg_source", "ffmpeg_source", "local_file", "local_file", false},
    {"image_source", "image_source", "file", "file", false},
    // Encoders, output and service keep their ids here; listed so that the
    // table documents every id the engine uses.
    {"obs_x264", "obs_x264", "", "", false},
    {"ffmpeg_aac", "ffmpeg_aac", "", "", false},
}};

// On Wayland the X11 captures would see only XWayland clients: the screen and
// windows come through the desktop portal (client/engine/screencast/).
constexpr std::array<SourceKind, 2> kWaylandKinds{{
    {"window_capture", "zv_portal_window", "window", "window", false},
    {"monitor_capture", "zv_portal_monitor", "monitor", "monitor", false},
}};

}  // namespace

const SourceKind* FindSourceKind(std::string_view designId, DesktopSession session) {
    if (session == DesktopSession::kWayland) {
        for (const SourceKind& kind : kWaylandKinds) {
            if (kind.designId == designId)
                return &kind;
        }
    }
    for (const SourceKind& kind : kKinds) {
        if (kind.designId == designId)
            return &kind;
    }
    return nullptr;
}

const SourceKind* FindSourceKind(std::string_view designId) {
    return FindSourceKind(designId, CurrentDesktopSession());
}

std::string_view PlatformSourceId(std::string_view designId, DesktopSession session) {
    const SourceKind* kind = FindSourceKind(designId, session);
    return kind ? kind->platformId : designId;
}

std::string_view PlatformSourceId(std::string_view designId) {
    return PlatformSourceId(designId, CurrentDesktopSession());
}

std::string_view PlatformSettingsKey(std::string_view designId, std::string_view designKey,
                                     DesktopSession session) {
    const SourceKind* kind = FindSourceKind(designId, session);
    if (kind && !kind->designKey.empty() && kind->designKey == designKey)
        return kind->platformKey;
    return designKey;
}

std::string_view PlatformSettingsKey(std::string_view designId, std::string_view designKey) {
    return PlatformSettingsKey(designId, designKey, CurrentDesktopSession());
}

}  // namespace zv
