// Host changes to a menu copy: checking, enabling and removing items by id,
// and tidying what removals leave behind.
#include <algorithm>

#include "res/menu.h"

namespace Res {

namespace {

using Item = xMenu::Item;

Item* FindCommand(std::vector<Item>& items, int command) {
    for (auto& item : items) {
        if (item.kind == Item::Command && item.command == command) {
            return &item;
        }
        if (Item* inner = FindCommand(item.children, command)) {
            return inner;
        }
    }
    return nullptr;
}

// Removes every item with that id (command items and submenus alike).
bool RemoveById(std::vector<Item>& items, const std::string& id) {
    const auto before = items.size();
    std::erase_if(items, [&](const Item& item) { return item.id == id; });
    bool removed = items.size() != before;
    for (auto& item : items) {
        removed = RemoveById(item.children, id) || removed;
    }
    return removed;
}

void TidyLevel(std::vector<Item>& items) {
    for (auto& item : items) {
        TidyLevel(item.children);
    }
    std::erase_if(
        items, [](const Item& item) { return item.kind == Item::Popup && item.children.empty(); });
    std::vector<Item> kept;
    kept.reserve(items.size());
    for (auto& item : items) {
        const bool separator = item.kind == Item::Separator;
        if (separator && (kept.empty() || kept.back().kind == Item::Separator)) {
            continue;
        }
        kept.push_back(std::move(item));
    }
    while (!kept.empty() && kept.back().kind == Item::Separator) {
        kept.pop_back();
    }
    items = std::move(kept);
}

// The command item with that id, found by its command number.
Item* CommandItem(xMenu& menu, const std::string& id) {
    auto it = menu.idToCommand.find(id);
    return it == menu.idToCommand.end() ? nullptr : FindCommand(menu.items, it->second);
}

}  // namespace

bool xMenu::setChecked(const std::string& itemId, bool checked) {
    Item* item = CommandItem(*this, itemId);
    if (item) {
        item->checked = checked;
        native.reset();
    }
    return item != nullptr;
}

bool xMenu::setEnabled(const std::string& itemId, bool enabled) {
    Item* item = CommandItem(*this, itemId);
    if (item) {
        item->enabled = enabled;
        native.reset();
    }
    return item != nullptr;
}

bool xMenu::remove(const std::string& itemId) {
    if (itemId.empty() || !RemoveById(items, itemId)) {
        return false;
    }
    if (auto it = idToCommand.find(itemId); it != idToCommand.end()) {
        commandToId.erase(it->second);
        idToCommand.erase(it);
    }
    idToText.erase(itemId);
    native.reset();
    return true;
}

void xMenu::tidy() {
    TidyLevel(items);
    native.reset();
}

std::string xMenu::idOfCommand(int command) const {
    auto it = commandToId.find(command);
    return it == commandToId.end() ? std::string() : it->second;
}

}  // namespace Res
