// The client's entry point: find the package and the updater beside the
// executable, run the application, then start the updater whatever the
// outcome, so that it can replace the client once it no longer runs.
#include <stdlib.h>
#include <unistd.h>

#include "app.h"
#include "platform/launch.h"
#include "platform/paths.h"
#include "platform/trace.h"
#include "rasteriser_settings.h"
#include "startup_paths.h"

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    // Toolkit, single-instance marker and inspector are X11-only: Wayland desktops get XWayland.
    setenv("GDK_BACKEND", "x11", 1);
    // Nothing here draws through GDK's GL (the preview has libobs's own
    // context, the pages their own rasteriser): its probe of the GL visuals
    // would only delay the first window.
    setenv("GDK_GL", "disable", 0);
    zv::ChooseRasteriserSettings();
    // The web engine starts its helper processes from executables of its own;
    // this program is never run again as one of them.
    ZV_TRACE(">>>>>>>>>>  main, pid=%d", static_cast<int>(getpid()));
    const StartupPaths paths = StartupPaths::For(zv::ExecutablePath());

    const int result = App::Instance().Run(paths.packagePath, "zh_CN");
    App::Destroy();

    if (!paths.updaterPath.empty() && !zv::SpawnProgram(paths.updaterPath)) {
        ZV_TRACE("main: the updater %s could not be started", paths.updaterPath.c_str());
    }
    return result;
}
