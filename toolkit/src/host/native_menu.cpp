#include "host/native_menu.h"

#include <gtk/gtk.h>

#include "platform/utf.h"

namespace HostWin {

namespace {

GtkWidget* BuildLevel(const std::vector<Res::xMenu::Item>& items) {
    GtkWidget* menu = gtk_menu_new();
    for (const auto& item : items) {
        GtkWidget* w = nullptr;
        if (item.kind == Res::xMenu::Item::Separator) {
            w = gtk_separator_menu_item_new();
        } else {
            std::string label = zv::Utf16ToUtf8(item.text);
            if (item.kind == Res::xMenu::Item::Command) {
                w = gtk_check_menu_item_new_with_label(label.c_str());
                gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(w), item.checked);
                g_object_set_data(G_OBJECT(w), "xui-command", GINT_TO_POINTER(item.command));
            } else {
                w = gtk_menu_item_new_with_label(label.c_str());
                gtk_menu_item_set_submenu(GTK_MENU_ITEM(w), BuildLevel(item.children));
            }
            gtk_widget_set_sensitive(w, item.enabled);
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

}  // namespace HostWin
