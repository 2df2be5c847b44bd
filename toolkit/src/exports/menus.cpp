// Exports of menus: copies handed to the host, and their release.
#include <set>

#include "exports/guard.h"
#include "res/resource_manager.h"

using namespace Vcl::exports;

namespace {

// Resources handed to the host; only these may be freed through
// XUI_RESOURCE_FREE (a registry object passed by mistake is left alone).
std::set<Res::xResource*>& HostOwned() {
    static std::set<Res::xResource*> owned;
    return owned;
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

void XUI_RESOURCE_FREE(XuiResource* resource) {
    Guard(reinterpret_cast<Res::xResource*>(resource), [](Res::xResource& r) {
        if (HostOwned().erase(&r) != 0) {
            delete &r;
        }
    });
}

}  // extern "C"
