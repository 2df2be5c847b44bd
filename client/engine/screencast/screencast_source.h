#pragma once
// The libobs sources that capture a screen ("zv_portal_monitor") or a window
// ("zv_portal_window") through the desktop's ScreenCast portal, for Wayland
// sessions where X11 capture sees only XWayland clients.
#include <obs.h>

#include <cstdint>

namespace zv::screencast {

inline constexpr const char* kMonitorSourceId = "zv_portal_monitor";
inline constexpr const char* kWindowSourceId = "zv_portal_window";

// Registers both source types with libobs (after obs_startup).
void RegisterScreencastSources();

// Whether `source` is one of these.
bool IsScreencastSource(obs_source_t* source);

// The user chose the source again: it asks the portal when it is not already
// sharing (after a failure too). With `anew`, a running share is replaced by
// a new pick. No effect on other sources.
void ChooseScreencast(obs_source_t* source, bool anew);

struct ScreencastStats {
    int portalRequests = 0;
    uint64_t framesDelivered = 0;
};
ScreencastStats GetScreencastStats(obs_source_t* source);

}  // namespace zv::screencast
