#include "host/inspector.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include "platform/trace.h"
#include "res/menu.h"
#include "res/resource_manager.h"
#include "window/inspect_file.h"
#include "window/window_manager.h"

namespace HostWin {

namespace inspect = Vcl::inspect;

namespace {

constexpr unsigned kPeriodMs = 50;

std::string Utf8Or(const char* s) {
    return s ? std::string(s) : std::string();
}

// Device pixels per logical pixel of the widget's screen.
int ScaleOf(GtkWidget* widget) {
    const int scale = widget ? gtk_widget_get_scale_factor(widget) : 1;
    return scale > 0 ? scale : 1;
}

// The widget's area on the screen (of its toplevel's client area when it
// has no window of its own), in X pixels: GDK gives logical ones.
Vcl::Rect ScreenRect(GtkWidget* widget) {
    GtkWidget* top = gtk_widget_get_toplevel(widget);
    GdkWindow* topWindow = top ? gtk_widget_get_window(top) : nullptr;
    if (!topWindow) {
        return {};
    }
    int ox = 0, oy = 0, wx = 0, wy = 0;
    gdk_window_get_origin(topWindow, &ox, &oy);
    if (widget != top) {
        gtk_widget_translate_coordinates(widget, top, 0, 0, &wx, &wy);
    }
    const int k = ScaleOf(widget);
    return Vcl::Rect{(ox + wx) * k, (oy + wy) * k, gtk_widget_get_allocated_width(widget) * k,
                     gtk_widget_get_allocated_height(widget) * k};
}

uint64_t XidOf(GtkWidget* widget) {
    GdkWindow* w = widget ? gtk_widget_get_window(widget) : nullptr;
    return w && GDK_IS_X11_WINDOW(w) ? gdk_x11_window_get_xid(w) : 0;
}

inspect::WindowState WindowOf(const Vcl::Window& w, bool isMain) {
    inspect::WindowState s;
    s.id = w.name;
    s.main = isMain;
    GtkWidget* top = w.native->handle();
    GtkWidget* client = w.native->clientArea();
    s.xid = XidOf(gtk_widget_get_toplevel(top));
    GdkWindow* gw = gtk_widget_get_window(top);
    s.visible = gtk_widget_get_visible(top) && gw && gdk_window_is_viewable(gw);
    s.screen = ScreenRect(client ? client : top);
    s.scale = ScaleOf(client ? client : top);
    if (w.root) {
        s.controls = inspect::CollectControls(*w.root, s.screen.x, s.screen.y, s.scale);
    }
    return s;
}

const char* MessageTypeName(GtkMessageType type) {
    switch (type) {
        case GTK_MESSAGE_INFO:
            return "info";
        case GTK_MESSAGE_WARNING:
            return "warning";
        case GTK_MESSAGE_QUESTION:
            return "question";
        case GTK_MESSAGE_ERROR:
            return "error";
        default:
            return "other";
    }
}

inspect::MessageBoxState MessageBoxOf(GtkMessageDialog* dialog) {
    inspect::MessageBoxState s;
    s.caption = Utf8Or(gtk_window_get_title(GTK_WINDOW(dialog)));
    gchar *text = nullptr, *secondary = nullptr;
    GtkMessageType type = GTK_MESSAGE_OTHER;
    g_object_get(dialog, "text", &text, "secondary-text", &secondary, "message-type", &type,
                 nullptr);
    s.text = Utf8Or(text);
    s.secondary = Utf8Or(secondary);
    g_free(text);
    g_free(secondary);
    s.type = MessageTypeName(type);
    // The "buttons" property cannot be read back; the responses tell.
    static const std::pair<int, const char*> kButtons[] = {{GTK_RESPONSE_OK, "ok"},
                                                           {GTK_RESPONSE_CANCEL, "cancel"},
                                                           {GTK_RESPONSE_YES, "yes"},
                                                           {GTK_RESPONSE_NO, "no"},
                                                           {GTK_RESPONSE_CLOSE, "close"}};
    for (const auto& [response, name] : kButtons) {
        if (gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), response)) {
            s.buttons.emplace_back(name);
        }
    }
    s.flags = inspect::MessageBoxFlags(s.type, s.buttons);
    s.screen = ScreenRect(GTK_WIDGET(dialog));
    return s;
}

// Command numbers are unique across every menu of the process, so the
// registry's menus name any item, also of the host's copies.
std::string CommandId(int command) {
    std::string id;
    if (command <= 0 || !Res::xResourceManager::Exists()) {
        return id;
    }
    Res::xResourceManager::Instance().forEach([&](const Res::xResource& r) {
        if (!id.empty()) {
            return;
        }
        if (const auto* menu = dynamic_cast<const Res::xMenu*>(&r)) {
            auto it = menu->commandToId.find(command);
            if (it != menu->commandToId.end()) {
                id = it->second;
            }
        }
    });
    return id;
}

inspect::MenuState MenuOf(GtkWidget* popup, GtkMenu* menu) {
    inspect::MenuState s;
    s.screen = ScreenRect(popup);
    GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
    for (GList* l = children; l; l = l->next) {
        auto* w = static_cast<GtkWidget*>(l->data);
        if (!GTK_IS_MENU_ITEM(w) || !gtk_widget_get_visible(w)) {
            continue;
        }
        inspect::MenuItemState item;
        item.separator = GTK_IS_SEPARATOR_MENU_ITEM(w);
        item.text = Utf8Or(item.separator ? nullptr : gtk_menu_item_get_label(GTK_MENU_ITEM(w)));
        item.command = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(w), "xui-command"));
        item.id = CommandId(item.command);
        item.submenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(w)) != nullptr;
        item.enabled = gtk_widget_get_sensitive(w);
        item.checked =
            GTK_IS_CHECK_MENU_ITEM(w) && gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(w));
        int x = 0, y = 0;
        if (gtk_widget_translate_coordinates(w, popup, 0, 0, &x, &y)) {
            const int k = ScaleOf(w);
            item.screen = Vcl::Rect{s.screen.x + x * k, s.screen.y + y * k,
                                    gtk_widget_get_allocated_width(w) * k,
                                    gtk_widget_get_allocated_height(w) * k};
        }
        s.items.push_back(std::move(item));
    }
    g_list_free(children);
    return s;
}

}  // namespace

inspect::Snapshot Inspector::Take() {
    inspect::Snapshot snapshot;
    auto& manager = Vcl::xWindowManager::Instance();
    for (const auto& w : manager.windows()) {
        if (w && w->native && w->native->exists()) {
            snapshot.windows.push_back(WindowOf(*w, w.get() == manager.mainWindow()));
        }
    }
    GList* tops = gtk_window_list_toplevels();
    for (GList* l = tops; l; l = l->next) {
        auto* top = static_cast<GtkWidget*>(l->data);
        if (!gtk_widget_get_visible(top)) {
            continue;
        }
        if (GTK_IS_MESSAGE_DIALOG(top)) {
            snapshot.messageBoxes.push_back(MessageBoxOf(GTK_MESSAGE_DIALOG(top)));
        } else if (GtkWidget* child = gtk_bin_get_child(GTK_BIN(top));
                   child && GTK_IS_MENU(child)) {
            snapshot.menus.push_back(MenuOf(top, GTK_MENU(child)));
        }
    }
    g_list_free(tops);
    return snapshot;
}

Inspector::Inspector() {
    const char* path = g_getenv("ZUDOZ_INSPECT");
    if (!path || !*path) {
        return;
    }
    writer_ = std::make_unique<inspect::ChangeWriter>(path);
    timer_ = g_timeout_add(kPeriodMs, reinterpret_cast<GSourceFunc>(&Inspector::Tick), this);
}

Inspector::~Inspector() {
    if (timer_) {
        g_source_remove(timer_);
    }
    if (writer_) {
        // The run is over and its windows are gone; written even when that
        // was already the record, so a reader that removed the file sees it.
        inspect::ReplaceFile(writer_->path(), inspect::ToJson(inspect::Snapshot{}));
    }
}

int Inspector::Tick(void* self) {
    auto* me = static_cast<Inspector*>(self);
    // A timer callback runs beneath GLib's C frames: nothing may unwind.
    try {
        const bool written = me->writer_->update(inspect::ToJson(Take()));
        // One line per failing streak, not one every tick.
        if (!written && !me->failing_) {
            ZV_TRACE("xui: inspection file %s not written", me->writer_->path().c_str());
        }
        me->failing_ = !written;
    } catch (...) {
        ZV_TRACE("xui: inspection failed; tried again on the next tick");
    }
    return G_SOURCE_CONTINUE;
}

}  // namespace HostWin
