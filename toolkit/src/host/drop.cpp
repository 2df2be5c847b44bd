// Files dropped on a window that accepts them reach its drop handler as
// local paths.
#include <string>
#include <vector>

#include "host/drop_paths.h"
#include "host/ms_window_signals.h"
#include "platform/trace.h"
#include "window/window.h"
#include "zudoz.h"

namespace HostWin {

void MsWindow::Signals::Dropped(GtkWidget*, GdkDragContext* context, gint, gint,
                                GtkSelectionData* data, guint, guint time, gpointer self) {
    static_cast<MsWindow*>(self)->dropped(context, data, time);
}

void MsWindow::dropped(GdkDragContext* context, GtkSelectionData* data, unsigned time) {
    std::vector<std::string> uris;
    if (gchar** list = gtk_selection_data_get_uris(data)) {
        for (gchar** u = list; *u; ++u) {
            uris.emplace_back(*u);
        }
        g_strfreev(list);
    }
    std::vector<std::string> paths = DroppedPaths(uris);
    gtk_drag_finish(context, !paths.empty(), FALSE, time);
    if (!window_.dropHandler || paths.empty()) {
        return;
    }
    std::vector<const char*> pointers;
    for (const auto& p : paths) {
        pointers.push_back(p.c_str());
    }
    try {
        window_.dropHandler->dropped(pointers.data(), static_cast<int>(pointers.size()));
    } catch (...) {
        ZV_TRACE("xui: drop handler threw; ignored");
    }
}

}  // namespace HostWin
