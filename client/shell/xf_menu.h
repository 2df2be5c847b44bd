#pragma once
// A menu of the package, as the host's own copy: freed when dropped.
#include <string>

#include "zudoz.h"

class xfWindow;

class xfMenu {
public:
    explicit xfMenu(const char* id) : menu_(XUI_MENU_QUERY(id)) {}
    ~xfMenu() { XUI_RESOURCE_FREE(menu_); }
    xfMenu(const xfMenu&) = delete;
    xfMenu& operator=(const xfMenu&) = delete;

    bool IsNull() const { return menu_ == nullptr; }
    void CheckItem(const std::string& itemId) { XUI_MENU_CHECKITEM(menu_, itemId.c_str(), 1); }
    // Shows the menu at the screen point over `owner` and waits: the chosen
    // item's id, empty when dismissed.
    std::string Popup(xfWindow& owner, int x, int y);

private:
    XuiMenu* menu_;
};
