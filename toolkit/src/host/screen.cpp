#include "host/screen.h"

#include <gdk/gdk.h>

#include <cmath>

namespace HostWin {

int ScreenDpi() {
    static int dpi = [] {
        GdkScreen* screen = gdk_screen_get_default();
        double r = screen ? gdk_screen_get_resolution(screen) : -1.0;
        return r > 0 ? static_cast<int>(std::lround(r)) : 96;
    }();
    return dpi;
}

double TextDpi() {
    GdkScreen* screen = gdk_screen_get_default();
    const double r = screen ? gdk_screen_get_resolution(screen) : -1.0;
    return r > 0 ? r : 96.0;
}

}  // namespace HostWin
