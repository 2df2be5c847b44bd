#include "obs_runtime.h"

#include <X11/Xlib.h>
#include <obs-nix-platform.h>
#include <obs.h>

#include <array>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/paths.h"
#include "platform/trace.h"
#include "platform/x_display.h"
#include "rtmp_custom_service.h"
#include "screencast/screencast_source.h"

#ifndef ZV_OBS_PLUGIN_DIR
#error "ZV_OBS_PLUGIN_DIR must name the folder of libobs's plug-in binaries"
#endif
#ifndef ZV_OBS_PLUGIN_DATA_DIR
#error "ZV_OBS_PLUGIN_DATA_DIR must name the folder of libobs's plug-in data"
#endif

namespace zv {
namespace {

// The plug-ins providing the sources, encoders, output and service the engine
// creates (see obs_ids.h); nothing else is loaded.
// The RTMP service and the portal captures of Wayland sessions are registered
// by the engine itself (rtmp_custom_service.h, screencast/).
constexpr std::array<const char*, 7> kModules{
    "image-source", "linux-capture", "linux-pulseaudio", "linux-v4l2",
    "obs-ffmpeg",   "obs-outputs",   "obs-x264",
};

void LogHandler(int /*level*/, const char* format, va_list args, void* /*param*/) {
    if (!TraceEnabled())
        return;
    // At most 4094 characters of a message; longer text is cut, never overrun.
    char buffer[4096];
    std::vsnprintf(buffer, 4095, format, args);
    TraceLine("%s", buffer);
}

}  // namespace

ObsRuntime::ObsRuntime() {
    // Installed for good: libobs may log after shut-down, and its default
    // handler would write to standard output.
    base_set_log_handler(LogHandler, nullptr);
    XInitThreads();
    display_ = zv::OpenXDisplay();
    if (!display_) {
        ZV_TRACE("engine: no X display; libobs not started");
        return;
    }
    obs_set_nix_platform(OBS_NIX_PLATFORM_X11_EGL);
    obs_set_nix_platform_display(display_);

    const std::string configFolder = JoinPath(JoinPath(DataFolder(), "Zelvio"), "obs-modules");
    EnsureFolder(configFolder);
    if (!obs_startup("zh-CN", configFolder.c_str(), nullptr)) {
        ZV_TRACE("engine: obs_startup failed");
        return;
    }
    started_ = true;
    // The client binds no libobs hotkeys; without this libobs's hotkey thread
    // asks the X server for the keyboard's state 40 times a second.
    obs_hotkey_enable_background_press(false);

    for (const char* name : kModules) {
        const std::string bin = std::string(ZV_OBS_PLUGIN_DIR) + "/" + name + ".so";
        const std::string data = std::string(ZV_OBS_PLUGIN_DATA_DIR) + "/" + name;
        obs_module_t* module = nullptr;
        const int rc = obs_open_module(&module, bin.c_str(), data.c_str());
        if (rc != MODULE_SUCCESS || !module) {
            ZV_TRACE("engine: module %s not opened (%d)", name, rc);
            continue;
        }
        if (!obs_init_module(module)) {
            ZV_TRACE("engine: module %s did not initialise", name);
            continue;
        }
        ++loadedModules_;
    }
    RegisterRtmpCustomService();
    screencast::RegisterScreencastSources();
    obs_post_load_modules();
}

ObsRuntime::~ObsRuntime() {
    if (started_)
        obs_shutdown();
    if (display_)
        XCloseDisplay(display_);
}

}  // namespace zv
