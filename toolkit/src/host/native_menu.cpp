#include "host/native_menu.h"

#include <gtk/gtk.h>

#include <optional>

#include "platform/utf.h"

namespace HostWin {

namespace {

// The popup being run (popups do not nest: a popup grabs the pointer).
struct PopupRun {
    GMainLoop* loop = nullptr;
    std::optional<int> chosen;
};
PopupRun* g_run = nullptr;

void OnActivate(GtkMenuItem* item, gpointer) {
    if (g_run) {
        g_run->chosen = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), "xui-command"));
    }
}

void OnDeactivate(GtkMenuShell*, gpointer run) {
    // The chosen item's "activate" follows in the same dispatch, before the
    // loop returns.
    g_main_loop_quit(static_cast<PopupRun*>(run)->loop);
}

GtkWidget* BuildLevel(const std::vector<Res::xMenu::Item>& items) {
    GtkWidget* menu = gtk_menu_new();
    for (const auto& item : items) {
        GtkWidget* w = nullptr;
        if (item.kind == Res::xMenu::Item::Separator) {
            w = gtk_separator_menu_item_new();
        } else {
            std::string label = zv::Utf16ToUtf8(item.text);
            if (item.kind == Res::xMenu::Item::Command) {
                // Only checked items show a check box: a column of empty
                // boxes beside plain commands reads as unticked options.
                if (item.checked) {
                    w = gtk_check_menu_item_new_with_label(label.c_str());
                    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(w), TRUE);
                } else {
                    w = gtk_menu_item_new_with_label(label.c_str());
                }
                g_object_set_data(G_OBJECT(w), "xui-command", GINT_TO_POINTER(item.command));
                g_signal_connect(w, "activate", G_CALLBACK(OnActivate), nullptr);
            } else {
                w = gtk_menu_item_new_with_label(label.c_str());
                gtk_menu_item_set_submenu(GTK_MENU_ITEM(w), BuildLevel(item.children));
            }
            gtk_widget_set_sensitive(w, item.enabled);
            if (!item.id.empty()) {
                g_object_set_data_full(G_OBJECT(w), "xui-id", g_strdup(item.id.c_str()), g_free);
            }
        }
        gtk_widget_show(w);
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), w);
    }
    return menu;
}

class GtkNativeMenu : public Res::NativeMenu {
public:
    explicit GtkNativeMenu(GtkWidget* menu) : menu_(menu) { g_object_ref_sink(menu_); }
    ~GtkNativeMenu() override {
        gtk_widget_destroy(menu_);
        g_object_unref(menu_);
    }
    GtkNativeMenu(const GtkNativeMenu&) = delete;
    GtkNativeMenu& operator=(const GtkNativeMenu&) = delete;
    GtkWidget* widget() const override { return menu_; }

private:
    GtkWidget* menu_;
};

}  // namespace

GtkWidget* NativeMenuOf(Res::xMenu& menu) {
    if (!menu.native) {
        menu.native = std::make_unique<GtkNativeMenu>(BuildLevel(menu.items));
    }
    return menu.native->widget();
}

std::optional<int> PopupMenu(Res::xMenu& menu, GtkWidget* over, int x, int y, bool alignLeft) {
    GtkWidget* top = over ? gtk_widget_get_toplevel(over) : nullptr;
    GdkWindow* anchor = top ? gtk_widget_get_window(top) : nullptr;
    if (!anchor || g_run) {
        return std::nullopt;
    }
    GtkWidget* native = NativeMenuOf(menu);
    int ox = 0, oy = 0;
    gdk_window_get_origin(anchor, &ox, &oy);
    const GdkRectangle point{x - ox, y - oy, 1, 1};

    PopupRun run;
    run.loop = g_main_loop_new(nullptr, FALSE);
    const gulong handler = g_signal_connect(native, "deactivate", G_CALLBACK(OnDeactivate), &run);
    gtk_menu_popup_at_rect(GTK_MENU(native), anchor, &point, GDK_GRAVITY_NORTH_WEST,
                           alignLeft ? GDK_GRAVITY_NORTH_WEST : GDK_GRAVITY_NORTH_EAST, nullptr);
    // Without a pointer grab the menu does not open and would never close.
    if (gtk_widget_get_visible(native)) {
        g_run = &run;
        g_main_loop_run(run.loop);
        g_run = nullptr;
    }
    g_signal_handler_disconnect(native, handler);
    g_main_loop_unref(run.loop);
    // Check items flip themselves when chosen; the host decides what is
    // checked, so the next popup is built from the menu's own state.
    menu.native.reset();
    return run.chosen;
}

}  // namespace HostWin
