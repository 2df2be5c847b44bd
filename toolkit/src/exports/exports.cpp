// The flat exported interface. Every entry point checks its handles first and
// returns a neutral value for null; nothing may throw across this boundary.
#include <algorithm>
#include <cstring>
#include <set>

#include "host/app.h"
#include "host/ms_window.h"
#include "platform/utf.h"
#include "res/resource_manager.h"
#include "window/window_manager.h"
#include "zudoz.h"

namespace {

Vcl::Window* AsWindow(XuiWindow* w) {
    return reinterpret_cast<Vcl::Window*>(w);
}
XuiWindow* ToHandle(Vcl::Window* w) {
    return reinterpret_cast<XuiWindow*>(w);
}
Vcl::Layer* AsControl(XuiControl* c) {
    return reinterpret_cast<Vcl::Layer*>(c);
}

// Resources handed to the host; only these may be freed through
// XUI_RESOURCE_FREE (a registry object passed by mistake is left alone).
std::set<Res::xResource*>& HostOwned() {
    static std::set<Res::xResource*> owned;
    return owned;
}

void CopyCut(char* out, int size, const std::string& text) {
    if (!out || size <= 0) {
        return;
    }
    size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

template <typename R, typename Fn>
R Guarded(R fallback, Fn&& fn) {
    try {
        return fn();
    } catch (...) {
        return fallback;
    }
}

}  // namespace

extern "C" {

int XUI_LOAD(AppHandler* app, const char16_t* packagePath, const char* language) {
    if (!packagePath) {
        return -1;
    }
    return Guarded(-1, [&] {
        return xApp::Instance().load(app, zv::Utf16ToUtf8(packagePath), language ? language : "");
    });
}

XuiWindow* XUI_WIN_REGISTER(const char* name, WinHandler* handler) {
    xApp::Instance();
    if (!name) {
        return nullptr;
    }
    Vcl::Window* w = xWindowManager::Instance().find(name);
    if (w) {
        w->handler = handler;
    }
    return ToHandle(w);
}

XuiWindow* XUI_WIN_REGISTER_NEWINSTANCE(const char* name, WinHandler* handler) {
    xApp::Instance();
    if (!name) {
        return nullptr;
    }
    return Guarded<XuiWindow*>(nullptr, [&]() -> XuiWindow* {
        auto& manager = xWindowManager::Instance();
        Vcl::Window* source = manager.find(name);
        const tinyxml2::XMLElement* description =
            source ? source->description.FirstChildElement() : nullptr;
        if (!description) {
            return nullptr;
        }
        auto w = std::make_unique<Vcl::Window>();
        if (!w->load(description)) {
            return nullptr;
        }
        w->handler = handler;
        return ToHandle(manager.add(std::move(w)));
    });
}

int XUI_WIN_CREATE(XuiWindow* window, XuiWindow* parent) {
    Vcl::Window* w = AsWindow(window);
    if (!w || !w->native) {
        return 0;
    }
    Vcl::Window* p = AsWindow(parent);
    return w->native->create(p && p->native ? p->native.get() : nullptr) ? 1 : 0;
}

int XUI_WIN_MODAL(XuiWindow* window, XuiWindow* parent) {
    Vcl::Window* w = AsWindow(window);
    if (!w || !w->native) {
        return 0;
    }
    Vcl::Window* p = AsWindow(parent);
    return w->native->runModal(p && p->native ? p->native.get() : nullptr);
}

void XUI_WIN_ENDMODAL(XuiWindow* window, int code) {
    if (Vcl::Window* w = AsWindow(window)) {
        w->command(code);
    }
}

void XUI_WIN_DESTROY(XuiWindow* window) {
    Vcl::Window* w = AsWindow(window);
    if (w && w->native) {
        w->native->destroy();
    }
}

GtkWidget* XUI_WIN_RAW(XuiWindow* window) {
    Vcl::Window* w = AsWindow(window);
    return w ? w->nativeHandle() : nullptr;
}

int XUI_WIN_SETTIMER(XuiWindow* window, unsigned id, unsigned milliseconds) {
    Vcl::Window* w = AsWindow(window);
    return w && w->native && w->native->setTimer(id, milliseconds) ? 1 : 0;
}

void XUI_WIN_KILLTIMER(XuiWindow* window, unsigned id) {
    Vcl::Window* w = AsWindow(window);
    if (w && w->native) {
        w->native->killTimer(id);
    }
}

XuiControl* XUI_VCL_QUERY(XuiWindow* window, const char* name) {
    Vcl::Window* w = AsWindow(window);
    if (!w || !name) {
        return nullptr;
    }
    return reinterpret_cast<XuiControl*>(w->query(name));
}

int XUI_COMMON_GET(XuiControl* control, char* name, int nameSize, char* kind, int kindSize,
                   char* tag, int tagSize, int* rowId) {
    Vcl::Layer* c = AsControl(control);
    if (!c) {
        return 0;
    }
    CopyCut(name, nameSize, c->name);
    CopyCut(kind, kindSize, c->element);
    CopyCut(tag, tagSize, c->tag);
    if (rowId) {
        *rowId = c->itemIndex;
    }
    return 1;
}

const char16_t* XUI_STRING_GET(const char* id) {
    static std::u16string buffer;
    buffer.clear();
    if (id && xResourceManager::Exists()) {
        if (auto* t = xResourceManager::Instance().findAs<Res::xText>(id)) {
            buffer = t->text;
        }
    }
    return buffer.c_str();
}

int XUI_COLOR_GET(const char* id) {
    if (!id || !xResourceManager::Exists()) {
        return 0;
    }
    auto* c = xResourceManager::Instance().findAs<Res::xColor>(id);
    return c ? static_cast<int>(c->native()) : 0;
}

PangoFontDescription* XUI_FONT_GET(const char* id) {
    if (!id || !xResourceManager::Exists()) {
        return nullptr;
    }
    auto* f = xResourceManager::Instance().findAs<Res::xFont>(id);
    return f ? f->nativeFont : nullptr;
}

const unsigned char* XUI_DATAFILE_GET(const char* id) {
    if (!id || !xResourceManager::Exists()) {
        return nullptr;
    }
    auto* d = xResourceManager::Instance().findAs<Res::xData>(id);
    return d ? d->content.data() : nullptr;
}

int XUI_DATAFILE_GET_LENTH(const char* id) {
    if (!id || !xResourceManager::Exists()) {
        return 0;
    }
    auto* d = xResourceManager::Instance().findAs<Res::xData>(id);
    return d ? static_cast<int>(d->content.size()) : 0;
}

const char* XUI_GET_LANGUAGE(void) {
    return Language();
}

XuiMenu* XUI_MENU_QUERY(const char* id) {
    if (!id || !xResourceManager::Exists()) {
        return nullptr;
    }
    auto* m = xResourceManager::Instance().findAs<Res::xMenu>(id);
    if (!m) {
        return nullptr;
    }
    Res::xMenu* copy = m->duplicate().release();
    HostOwned().insert(copy);
    return reinterpret_cast<XuiMenu*>(static_cast<Res::xResource*>(copy));
}

void XUI_RESOURCE_FREE(XuiResource* resource) {
    auto* r = reinterpret_cast<Res::xResource*>(resource);
    if (r && HostOwned().erase(r) != 0) {
        delete r;
    }
}

}  // extern "C"
