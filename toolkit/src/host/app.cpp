#include "host/app.h"

#include <gtk/gtk.h>

#include <memory>

#include "draw/text_draw.h"
#include "host/gdk_translate.h"
#include "host/inspector.h"
#include "host/ms_window.h"
#include "host/screen.h"
#include "platform/gtk_init.h"
#include "platform/trace.h"
#include "res/resource_manager.h"
#include "window/window_manager.h"

namespace HostWin {

namespace {

struct LoopState {
    AppHandler* app = nullptr;
    bool running = false;
};

LoopState g_loop;

bool MainWindowGone() {
    Vcl::Window* main = Vcl::xWindowManager::Instance().mainWindow();
    return !main || !main->native || !main->native->exists();
}

// Every GDK event passes here while XUI_LOAD runs: key events are offered to
// the host's filter first, the rest goes to GTK, and the host hears of every
// event afterwards.
void EventHook(GdkEvent* event, gpointer) {
    XuiMsg msg = MessageFromEvent(event);
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

xApp& xApp::Instance() {
    static std::unique_ptr<xApp> instance(new xApp());
    return *instance;
}

xApp::xApp() {
    display_ = zv::InitGtk();
    if (!display_) {
        ZV_TRACE("xui: no display; windows cannot be created");
    } else if (GtkSettings* settings = gtk_settings_get_default()) {
        // The few native parts (edits, menus, message boxes) sit among
        // dark drawn controls; the light theme would glare out of them.
        g_object_set(settings, "gtk-application-prefer-dark-theme", TRUE, nullptr);
        // The desktop's text scaling reaches drawn text as it reaches
        // GTK's own (the settings object has applied it to the screen).
        Vcl::SetTextResolution(TextDpi());
    }
    MsWindow::SetDestroyedHook([](Vcl::Window& w) {
        if (g_loop.running && &w == Vcl::xWindowManager::Instance().mainWindow()) {
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
    Res::SetLanguage(language);
    auto& registry = Res::xResourceManager::Instance();
    registry.setScreenDpi(ScreenDpi());
    const std::string lang = Res::Language();
    if (!registry.loadMain(packagePath, lang)) {
        Res::xResourceManager::Destroy();
        return -1;
    }
    registry.loadOverlay(packagePath + ".cust", lang);
    auto& windows = Vcl::xWindowManager::Instance();
    if (windows.buildAll(registry.windowXml(), registry) == 0) {
        Vcl::xWindowManager::Destroy();
        Res::xResourceManager::Destroy();
        return -1;
    }
    auto finish = [&](int result) {
        gdk_event_handler_set(PlainHandler, nullptr, nullptr);
        g_loop = LoopState{};
        Vcl::xWindowManager::Destroy();
        Res::xResourceManager::Destroy();
        return result;
    };
    Inspector inspector;  // the state file of ZUDOZ_INSPECT, outlives the windows
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

}  // namespace HostWin
