#include "xf_menu.h"

#include "xf_window.h"

std::string xfMenu::Popup(xfWindow& owner, int x, int y) {
    const char* chosen = XUI_MENU_POPUP(menu_, owner.WindowHandle(), x, y, 1);
    return chosen ? std::string(chosen) : std::string();
}
