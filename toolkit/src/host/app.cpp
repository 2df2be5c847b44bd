#include "host/app.h"

#include <gtk/gtk.h>

#include <memory>

#include "host/keymap.h"
#include "host/ms_window.h"
#include "platform/gtk_init.h"
#include "platform/trace.h"
#include "res/resource_manager.h"
#include "window/window_manager.h"

namespace {

struct LoopState {
    AppHandler* app = nullptr;
    bool running = false;
};

LoopState g_loop;

bool MainWindowGone() {
    Vcl::Window* main = xWindowManager::Instance().mainWindow();
    return !main || !main->native || !main->native->exists();
}

// Every GDK event passes here while XUI_LOAD runs: key events are offered to
// the host's filter first, the rest goes to GTK, and the host hears of every
// event afterwards.
void EventHook(GdkEvent* event, gpointer) {
    XuiMsg msg = xui::MessageFromEvent(event);
    bool consumed = false;
    AppHandler* app = g_loop.app;
    // Host code runs beneath GDK's C frames: nothing may unwind through them.
    if (app && (event->type == GDK_KEY_PRESS || event->type == GDK_KEY_RELEASE)) {
        try {
            consumed = app->preTranslate(&msg) != 0;
        } catch (...) {
            ZV_TRACE("xui: preTranslate threw; message passed on");
        }
    }
    if (!consumed) {
        gtk_main_do_event(event);
    }
    if (app) {
        try {
            app->afterMessage(&msg);
        } catch (...) {
            ZV_TRACE("xui: afterMessage threw; ignored");
        }
    }
    if (g_loop.running && MainWindowGone()) {
        g_loop.running = false;
        gtk_main_quit();
    }
}

void PlainHandler(GdkEvent* event, gpointer) {
    gtk_main_do_event(event);
}

}  // namespace

namespace xui {

XuiMsg MessageFromEvent(void* gdkEvent) {
    auto* event = static_cast<GdkEvent*>(gdkEvent);
    XuiMsg msg{};
    msg.nativeEvent = event;
    if (!event) {
        return msg;
    }
    GtkWidget* widget = gtk_get_event_widget(event);
    msg.widget = widget ? gtk_widget_get_toplevel(widget) : nullptr;
    auto point = [](double x, double y) {
        return static_cast<intptr_t>((static_cast<int>(x) & 0xFFFF) |
                                     ((static_cast<int>(y) & 0xFFFF) << 16));
    };
    switch (event->type) {
        case GDK_KEY_PRESS:
        case GDK_KEY_RELEASE:
            msg.message = event->type == GDK_KEY_PRESS ? XUI_MSG_KEYDOWN : XUI_MSG_KEYUP;
            msg.wParam = VirtualKeyFromKeyval(event->key.keyval);
            msg.lParam = event->key.hardware_keycode;
            break;
        case GDK_MOTION_NOTIFY:
            msg.message = XUI_MSG_MOUSEMOVE;
            msg.lParam = point(event->motion.x, event->motion.y);
            break;
        case GDK_BUTTON_PRESS:
            msg.message = event->button.button == 3 ? XUI_MSG_RBUTTONDOWN : XUI_MSG_LBUTTONDOWN;
            msg.lParam = point(event->button.x, event->button.y);
            break;
        case GDK_2BUTTON_PRESS:
            msg.message = event->button.button == 3 ? XUI_MSG_RBUTTONDBLCLK : XUI_MSG_LBUTTONDBLCLK;
            msg.lParam = point(event->button.x, event->button.y);
            break;
        case GDK_BUTTON_RELEASE:
            msg.message = event->button.button == 3 ? XUI_MSG_RBUTTONUP : XUI_MSG_LBUTTONUP;
            msg.lParam = point(event->button.x, event->button.y);
            break;
        case GDK_SCROLL: {
            int steps = event->scroll.direction == GDK_SCROLL_UP     ? 1
                        : event->scroll.direction == GDK_SCROLL_DOWN ? -1
                                                                     : 0;
            msg.message = XUI_MSG_MOUSEWHEEL;
            msg.wParam = static_cast<uintptr_t>(static_cast<uint16_t>(steps * 120)) << 16;
            msg.lParam = point(event->scroll.x, event->scroll.y);
            break;
        }
        default:
            break;
    }
    return msg;
}

}  // namespace xui

xApp& xApp::Instance() {
    static std::unique_ptr<xApp> instance(new xApp());
    return *instance;
}

xApp::xApp() {
    display_ = zv::InitGtk();
    if (!display_) {
        ZV_TRACE("xui: no display; windows cannot be created");
    }
    HostWin::MsWindow::SetDestroyedHook([](Vcl::Window& w) {
        if (g_loop.running && &w == xWindowManager::Instance().mainWindow()) {
            g_loop.running = false;
            gtk_main_quit();
        }
    });
}

namespace {

void RunHook(AppHandler* app, int starting) {
    if (!app) {
        return;
    }
    try {
        app->onRun(starting);
    } catch (...) {
        ZV_TRACE("xui: onRun(%d) threw; ignored", starting);
    }
}

}  // namespace

int xApp::load(AppHandler* app, const std::string& packagePath, const char* language) {
    SetLanguage(language);
    auto& registry = xResourceManager::Instance();
    const std::string lang = Language();
    if (!registry.loadMain(packagePath, lang)) {
        xResourceManager::Destroy();
        return -1;
    }
    registry.loadOverlay(packagePath + ".cust", lang);
    auto& windows = xWindowManager::Instance();
    if (windows.buildAll(registry.windowXml()) == 0) {
        xWindowManager::Destroy();
        xResourceManager::Destroy();
        return -1;
    }
    auto finish = [&](int result) {
        gdk_event_handler_set(PlainHandler, nullptr, nullptr);
        g_loop = LoopState{};
        xWindowManager::Destroy();
        xResourceManager::Destroy();
        return result;
    };
    g_loop.app = app;
    RunHook(app, 1);
    Vcl::Window* main = windows.mainWindow();
    if (!main || !main->native || !main->native->create(nullptr)) {
        return finish(-1);
    }
    if (display_) {
        gdk_event_handler_set(EventHook, nullptr, nullptr);
        if (!MainWindowGone()) {
            g_loop.running = true;
            gtk_main();
        }
    }
    g_loop.running = false;
    RunHook(app, 0);
    return finish(0);
}
