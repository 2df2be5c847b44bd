#pragma once
// gtk_init_check with the display retries of x_display.h. Header-only so the
// platform library itself needs no GTK; include it where GTK is linked.
#include <gtk/gtk.h>

#include "platform/x_display.h"

namespace zv {

struct GtkArgs {
    int* argc;
    char*** argv;
};

inline bool InitGtk(int* argc = nullptr, char*** argv = nullptr) {
    GtkArgs args{argc, argv};
    return RetryDisplayConnection(
        [](void* context) {
            auto* a = static_cast<GtkArgs*>(context);
            return gtk_init_check(a->argc, a->argv) != FALSE;
        },
        &args);
}

}  // namespace zv
