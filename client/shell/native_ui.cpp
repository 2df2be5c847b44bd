#include "native_ui.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include "platform/root_marker.h"

namespace xf {

namespace {

struct MenuRun {
    GMainLoop* loop = nullptr;
    int chosen = 0;
};

void ItemActivated(GtkMenuItem* item, gpointer data) {
    static_cast<MenuRun*>(data)->chosen =
        GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), "xf-command"));
}

void MenuClosed(GtkMenuShell*, gpointer data) {
    // "deactivate" comes before the chosen item's "activate": end the run
    // once both have been delivered.
    g_idle_add_full(
        G_PRIORITY_HIGH_IDLE,
        [](gpointer loop) -> gboolean {
            g_main_loop_quit(static_cast<GMainLoop*>(loop));
            return G_SOURCE_REMOVE;
        },
        static_cast<MenuRun*>(data)->loop, nullptr);
}

}  // namespace

int PopupCommandMenu(GtkWidget* owner, const std::vector<MenuEntry>& entries, int x, int y) {
    GtkWidget* menu = gtk_menu_new();
    g_object_ref_sink(menu);
    MenuRun run;
    for (const MenuEntry& e : entries) {
        GtkWidget* item = nullptr;
        if (e.command == 0) {
            item = gtk_separator_menu_item_new();
        } else if (e.checked) {
            item = gtk_check_menu_item_new_with_label(e.label.c_str());
            gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), TRUE);
        } else {
            item = gtk_menu_item_new_with_label(e.label.c_str());
        }
        g_object_set_data(G_OBJECT(item), "xf-command", GINT_TO_POINTER(e.command));
        g_signal_connect(item, "activate", G_CALLBACK(ItemActivated), &run);
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    }
    gtk_widget_show_all(menu);
    if (owner && GTK_IS_WIDGET(owner)) {
        gtk_menu_attach_to_widget(GTK_MENU(menu), owner, nullptr);
    }
    run.loop = g_main_loop_new(nullptr, FALSE);
    g_signal_connect(menu, "deactivate", G_CALLBACK(MenuClosed), &run);

    GdkWindow* root = gdk_get_default_root_window();
    GdkRectangle at{x, y, 1, 1};
    gtk_menu_popup_at_rect(GTK_MENU(menu), root, &at, GDK_GRAVITY_NORTH_WEST,
                           GDK_GRAVITY_NORTH_WEST, nullptr);
    if (gtk_widget_get_visible(menu)) {
        g_main_loop_run(run.loop);
    }
    g_main_loop_unref(run.loop);
    gtk_widget_destroy(menu);
    g_object_unref(menu);
    return run.chosen;
}

void CursorPosition(int* x, int* y) {
    *x = 0;
    *y = 0;
    GdkDisplay* display = gdk_display_get_default();
    GdkSeat* seat = display ? gdk_display_get_default_seat(display) : nullptr;
    GdkDevice* pointer = seat ? gdk_seat_get_pointer(seat) : nullptr;
    if (pointer) {
        gdk_device_get_position(pointer, nullptr, x, y);
    }
}

std::optional<std::string> AskVideoFile(GtkWidget* owner, const std::string& filterName) {
    GtkWindow* parent = owner && GTK_IS_WINDOW(owner) ? GTK_WINDOW(owner) : nullptr;
    GtkFileChooserNative* dialog = gtk_file_chooser_native_new(
        nullptr, parent, GTK_FILE_CHOOSER_ACTION_OPEN, nullptr, nullptr);
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, filterName.c_str());
    gtk_file_filter_add_pattern(filter, "*.mp4");
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dialog), filter);  // takes the filter
    std::optional<std::string> chosen;
    if (gtk_native_dialog_run(GTK_NATIVE_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        if (gchar* path = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog))) {
            chosen = path;
            g_free(path);
        }
    }
    g_object_unref(dialog);
    return chosen;
}

WindowRect GetWindowRect(GtkWidget* toplevel) {
    WindowRect r;
    if (toplevel == nullptr || !GTK_IS_WINDOW(toplevel)) {
        return r;
    }
    int x = 0, y = 0, width = 0, height = 0;
    gtk_window_get_position(GTK_WINDOW(toplevel), &x, &y);
    gtk_window_get_size(GTK_WINDOW(toplevel), &width, &height);
    return {x, y, x + width, y + height};
}

void SetWindowRect(GtkWidget* toplevel, const WindowRect& rect) {
    if (toplevel == nullptr || !GTK_IS_WINDOW(toplevel)) {
        return;
    }
    gtk_window_move(GTK_WINDOW(toplevel), rect.left, rect.top);
    gtk_window_resize(GTK_WINDOW(toplevel), rect.right - rect.left, rect.bottom - rect.top);
}

namespace {

Display* GdkXDisplay() {
    GdkDisplay* display = gdk_display_get_default();
    return display && GDK_IS_X11_DISPLAY(display) ? gdk_x11_display_get_xdisplay(display) : nullptr;
}

}  // namespace

bool InstanceMarkerHeld(const char* marker) {
    return zv::FindLiveRootMarker(marker, GdkXDisplay()).has_value();
}

void HoldInstanceMarker(const char* marker, GtkWidget* toplevel) {
    if (toplevel == nullptr) {
        return;
    }
    gtk_widget_realize(toplevel);
    GdkWindow* window = gtk_widget_get_window(toplevel);
    if (window && GDK_IS_X11_WINDOW(window)) {
        zv::SetRootMarker(marker, gdk_x11_window_get_xid(window), GdkXDisplay());
    }
}

}  // namespace xf
