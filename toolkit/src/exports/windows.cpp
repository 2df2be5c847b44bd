// Exports of windows: loading and running, registration, creation, modal
// runs, timers.
#include "exports/guard.h"
#include "host/app.h"
#include "platform/utf.h"
#include "res/resource_manager.h"
#include "window/window_manager.h"

using namespace Vcl::exports;

namespace {

// The native window of a parent given to create or modal runs (may be null).
Vcl::NativeWindow* NativeOf(XuiWindow* parent) {
    Vcl::Window* p = AsWindow(parent);
    return p ? p->native.get() : nullptr;
}

}  // namespace

extern "C" {

int XUI_LOAD(AppHandler* app, const char16_t* packagePath, const char* language) {
    return Guard(packagePath, -1, [&](const char16_t&) {
        return HostWin::xApp::Instance().load(app, zv::Utf16ToUtf8(packagePath),
                                              language ? language : "");
    });
}

XuiWindow* XUI_WIN_REGISTER(const char* name, WinHandler* handler) {
    HostWin::xApp::Instance();
    return Guard(name, static_cast<XuiWindow*>(nullptr), [&](const char&) {
        Vcl::Window* w = Vcl::xWindowManager::Instance().find(name);
        if (w) {
            w->handler = handler;
        }
        return ToHandle(w);
    });
}

XuiWindow* XUI_WIN_REGISTER_NEWINSTANCE(const char* name, WinHandler* handler) {
    HostWin::xApp::Instance();
    return Guard(name, static_cast<XuiWindow*>(nullptr), [&](const char&) -> XuiWindow* {
        auto& manager = Vcl::xWindowManager::Instance();
        Vcl::Window* source = manager.find(name);
        const tinyxml2::XMLElement* description =
            source ? source->description.FirstChildElement() : nullptr;
        if (!description) {
            return nullptr;
        }
        auto w = std::make_unique<Vcl::Window>();
        if (!w->load(description, Vcl::LoadScope{Res::xResourceManager::Instance()})) {
            return nullptr;
        }
        w->handler = handler;
        return ToHandle(manager.add(std::move(w)));
    });
}

int XUI_WIN_CREATE(XuiWindow* window, XuiWindow* parent) {
    return Guard(AsWindow(window), 0, [&](Vcl::Window& w) {
        return w.native && w.native->create(NativeOf(parent)) ? 1 : 0;
    });
}

int XUI_WIN_MODAL(XuiWindow* window, XuiWindow* parent) {
    return Guard(AsWindow(window), 0, [&](Vcl::Window& w) {
        return w.native ? w.native->runModal(NativeOf(parent)) : 0;
    });
}

void XUI_WIN_ENDMODAL(XuiWindow* window, int code) {
    Guard(AsWindow(window), [&](Vcl::Window& w) { w.command(code); });
}

void XUI_WIN_DESTROY(XuiWindow* window) {
    Guard(AsWindow(window), [](Vcl::Window& w) {
        if (w.native) {
            w.native->destroy();
        }
    });
}

GtkWidget* XUI_WIN_RAW(XuiWindow* window) {
    return Guard(AsWindow(window), static_cast<GtkWidget*>(nullptr),
                 [](Vcl::Window& w) { return w.nativeHandle(); });
}

int XUI_WIN_SETTIMER(XuiWindow* window, unsigned id, unsigned milliseconds) {
    return Guard(AsWindow(window), 0, [&](Vcl::Window& w) {
        return w.native && w.native->setTimer(id, milliseconds) ? 1 : 0;
    });
}

void XUI_WIN_KILLTIMER(XuiWindow* window, unsigned id) {
    Guard(AsWindow(window), [&](Vcl::Window& w) {
        if (w.native) {
            w.native->killTimer(id);
        }
    });
}

void XUI_SET_DRAGDROP(XuiWindow* window, DragDropHandler* handler) {
    Guard(AsWindow(window), [&](Vcl::Window& w) { w.dropHandler = handler; });
}

}  // extern "C"
