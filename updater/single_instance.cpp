#include "single_instance.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>

#include "platform/root_marker.h"
#include "update_rules.h"

namespace zv::updater {

namespace {

int IgnoreErrors(Display*, XErrorEvent*) {
    return 0;
}

}  // namespace

bool AnotherUpdaterRuns(Display* display) {
    if (display == nullptr) {
        return false;
    }
    const auto window = FindLiveRootMarker(kInstanceMarker, display);
    if (!window) {
        return false;
    }
    // The window may vanish between the two requests: errors are ignored
    // and read as "not an updater".
    XSync(display, False);
    auto* previous = XSetErrorHandler(&IgnoreErrors);
    XClassHint hint{};
    const bool got = XGetClassHint(display, *window, &hint) != 0;
    XSync(display, False);
    XSetErrorHandler(previous);
    bool updater = false;
    if (got) {
        updater = hint.res_class != nullptr && std::strcmp(hint.res_class, kWindowClass) == 0;
        if (hint.res_name)
            XFree(hint.res_name);
        if (hint.res_class)
            XFree(hint.res_class);
    }
    return updater;
}

}  // namespace zv::updater
