// zvupdate: started by the client after it ended; checks for a newer client,
// offers and downloads it, and opens its installer. The command line is not
// read.
#include <gdk/gdkx.h>
#include <glib.h>
#include <gtk/gtk.h>

#include "platform/gtk_init.h"
#include "platform/trace.h"
#include "single_instance.h"
#include "updater_window.h"

int main() {
    if (!zv::InitGtk()) {
        ZV_TRACE("zvupdate: no display");
        return 0;
    }
    // After the initialisation, which sets a class of its own; before any window.
    gdk_set_program_class(zv::updater::kWindowClass);
    GdkDisplay* display = gdk_display_get_default();
    // Another updater is alive: leave it alone.
    if (GDK_IS_X11_DISPLAY(display) &&
        zv::updater::AnotherUpdaterRuns(gdk_x11_display_get_xdisplay(display))) {
        ZV_TRACE("zvupdate: another updater runs");
        return 0;
    }
    zv::updater::UpdaterWindow window;
    if (!window.Create()) {
        ZV_TRACE("zvupdate: the window could not be created");
        return 0;
    }
    return window.Run();
}
