// zvupdate: started by the client after it ended; checks for a newer client,
// offers and downloads it, and opens its installer. The command line is not
// read.
#include <gdk/gdk.h>
#include <gtk/gtk.h>

#include "platform/root_marker.h"
#include "update_rules.h"
#include "updater_window.h"

int main() {
    // Another updater is alive: leave it alone.
    if (zv::FindLiveRootMarker(zv::updater::kInstanceMarker)) {
        return 0;
    }
    gdk_set_program_class("ZVUPDATE");
    if (!gtk_init_check(nullptr, nullptr)) {
        return 0;
    }
    zv::updater::UpdaterWindow window;
    if (!window.Create()) {
        return 0;
    }
    return window.Run();
}
