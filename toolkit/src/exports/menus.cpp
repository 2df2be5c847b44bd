// Exports of menus: copies handed to the host, changes to their items, the
// modal popup, and their release.
#include <set>
#include <string>

#include "exports/guard.h"
#include "host/native_menu.h"
#include "res/resource_manager.h"

using namespace Vcl::exports;

namespace {

// Resources handed to the host; only these may be freed through
// XUI_RESOURCE_FREE (a registry object passed by mistake is left alone).
std::set<Res::xResource*>& HostOwned() {
    static std::set<Res::xResource*> owned;
    return owned;
}

// Menus reach the host as resources; only menus are menus.
Res::xMenu* AsMenu(XuiMenu* menu) {
    return dynamic_cast<Res::xMenu*>(reinterpret_cast<Res::xResource*>(menu));
}

}  // namespace

extern "C" {

XuiMenu* XUI_MENU_QUERY(const char* id) {
    if (!id || !Res::xResourceManager::Exists()) {
        return nullptr;
    }
    return Guard(Res::xResourceManager::Instance().findAs<Res::xMenu>(id),
                 static_cast<XuiMenu*>(nullptr), [](Res::xMenu& m) {
                     Res::xMenu* copy = m.duplicate().release();  // owned by the host now
                     HostOwned().insert(copy);
                     return reinterpret_cast<XuiMenu*>(static_cast<Res::xResource*>(copy));
                 });
}

void XUI_MENU_CHECKITEM(XuiMenu* menu, const char* itemId, int checked) {
    Guard(AsMenu(menu), [&](Res::xMenu& m) {
        if (itemId) {
            m.setChecked(itemId, checked != 0);
        }
    });
}

void XUI_MENU_ENABLEITEM(XuiMenu* menu, const char* itemId, int enable) {
    Guard(AsMenu(menu), [&](Res::xMenu& m) {
        if (itemId) {
            m.setEnabled(itemId, enable != 0);
        }
    });
}

int XUI_MENU_REMOVEITEM(XuiMenu* menu, const char* itemId) {
    Guard(AsMenu(menu), [&](Res::xMenu& m) {
        if (itemId) {
            m.remove(itemId);
        }
    });
    return 0;
}

const char16_t* XUI_MENU_GETITEMTEXT(XuiMenu* menu, const char* itemId) {
    static ResultBuffer<char16_t> buffer;
    return buffer.set(Guard(AsMenu(menu), std::u16string(), [&](Res::xMenu& m) {
        auto it = itemId ? m.idToText.find(itemId) : m.idToText.end();
        return it == m.idToText.end() ? std::u16string() : it->second;
    }));
}

void XUI_MENU_FIX(XuiMenu* menu) {
    Guard(AsMenu(menu), [](Res::xMenu& m) { m.tidy(); });
}

const char* XUI_MENU_POPUP(XuiMenu* menu, XuiWindow* window, int x, int y, int alignLeft) {
    static ResultBuffer<char> buffer;
    Vcl::Window* w = AsWindow(window);
    GtkWidget* over = w ? w->nativeHandle() : nullptr;
    return buffer.set(Guard(AsMenu(menu), std::string(), [&](Res::xMenu& m) {
        auto command = HostWin::PopupMenu(m, over, x, y, alignLeft != 0);
        return command ? m.idOfCommand(*command) : std::string();
    }));
}

void XUI_RESOURCE_FREE(XuiResource* resource) {
    Guard(reinterpret_cast<Res::xResource*>(resource), [](Res::xResource& r) {
        if (HostOwned().erase(&r) != 0) {
            delete &r;
        }
    });
}

}  // extern "C"
