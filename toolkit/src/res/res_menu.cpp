#include <gtk/gtk.h>

#include <cstring>

#include "platform/utf.h"
#include "res/resource.h"
#include "res/resource_manager.h"
#include "res/xml_attr.h"

namespace Res {

namespace {

// Menus nest only a few levels in practice; deeper descriptions are cut
// instead of recursing without bound.
constexpr int kMaxMenuDepth = 32;

bool HasMenuChild(const tinyxml2::XMLElement* e) {
    return e->FirstChildElement("menu") != nullptr;
}

GtkWidget* BuildNative(const std::vector<xMenu::Item>& items) {
    GtkWidget* menu = gtk_menu_new();
    for (const auto& item : items) {
        GtkWidget* w = nullptr;
        if (item.kind == xMenu::Item::Separator) {
            w = gtk_separator_menu_item_new();
        } else {
            std::string label = zv::Utf16ToUtf8(item.text);
            if (item.kind == xMenu::Item::Command) {
                w = gtk_check_menu_item_new_with_label(label.c_str());
                gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(w), item.checked);
                g_object_set_data(G_OBJECT(w), "xui-command", GINT_TO_POINTER(item.command));
            } else {
                w = gtk_menu_item_new_with_label(label.c_str());
                gtk_menu_item_set_submenu(GTK_MENU_ITEM(w), BuildNative(item.children));
            }
            gtk_widget_set_sensitive(w, item.enabled);
        }
        gtk_widget_show(w);
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), w);
    }
    return menu;
}

}  // namespace

xMenu::~xMenu() {
    if (native_) {
        gtk_widget_destroy(native_);
        g_object_unref(native_);
    }
}

void xMenu::buildLevel(const tinyxml2::XMLElement* first, std::vector<Item>& out, int depth) {
    for (const auto* e = first; e; e = e->NextSiblingElement("menu")) {
        Item item;
        item.id = xml::Text(e, "id");
        item.text = zv::Utf8ToUtf16(xml::ElementText(e));
        if (xml::Text(e, "type") == "separator") {
            item.kind = Item::Separator;
            item.text.clear();
        } else if (HasMenuChild(e)) {
            item.kind = Item::Popup;
            if (depth < kMaxMenuDepth) {
                buildLevel(e->FirstChildElement("menu"), item.children, depth + 1);
            }
            if (!item.id.empty()) {
                idToText[item.id] = item.text;
            }
        } else {
            item.kind = Item::Command;
            item.command = xResourceManager::Instance().nextMenuCommand();
            if (!item.id.empty()) {
                commandToId[item.command] = item.id;
                idToCommand[item.id] = item.command;
                idToText[item.id] = item.text;
            }
        }
        out.push_back(std::move(item));
    }
}

bool xMenu::load(const tinyxml2::XMLElement* element) {
    id = xml::Text(element, "id");
    type = xml::Text(element, "type");
    buildLevel(element->FirstChildElement("menu"), items, 0);
    return true;
}

std::unique_ptr<xMenu> xMenu::duplicate() const {
    auto copy = std::make_unique<xMenu>();
    copy->id = id;
    copy->type = type;
    copy->items = items;
    copy->commandToId = commandToId;
    copy->idToCommand = idToCommand;
    copy->idToText = idToText;
    return copy;
}

GtkWidget* xMenu::nativeMenu() {
    if (!native_) {
        native_ = BuildNative(items);
        g_object_ref_sink(native_);
    }
    return native_;
}

}  // namespace Res
