// A minimal host of the toolkit: loads a package, registers its window,
// shows it, resizes it once and closes it, printing every event it receives.
// Exits 0 when the events arrived in the expected order.
//
//   zudoz_hello <package>
#include <gtk/gtk.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "zudoz.h"

namespace {

const char* EventName(int code) {
    static const char* const kNames[] = {"?",       "CREATED",  "TIMER", "CLOSE", "CLICK",
                                         "RCLICK",  "KEYDOWN",  "KEYUP", "VALUE", "RAW_CREATED",
                                         "RESIZED", "DBLCLICK", "SHOW",  "MOVED"};
    return code >= 1 && code <= 13 ? kNames[code] : kNames[0];
}

class HelloWindow : public WinHandler {
public:
    XuiWindow* window = nullptr;
    std::vector<int> windowEvents;
    bool resizeAsked = false;

    int onEvent(XuiControl* control, int code, void* param) override {
        char name[64] = {};
        XUI_COMMON_GET(control, name, sizeof(name), nullptr, 0, nullptr, 0, nullptr);
        std::printf("event %-11s from %s\n", EventName(code), name);
        const bool fromWindow = control == reinterpret_cast<XuiControl*>(window);
        if (fromWindow) {
            windowEvents.push_back(code);
        }
        if (code == XUI_EVENT_CREATED) {
            // Once the window is on screen, make it larger.
            g_timeout_add(200, &HelloWindow::Resize, this);
        } else if (code == XUI_EVENT_RESIZED && fromWindow && resizeAsked) {
            int width = 0, height = 0;
            gtk_window_get_size(GTK_WINDOW(XUI_WIN_RAW(window)), &width, &height);
            std::printf("window is now %dx%d; closing it\n", width, height);
            resizeAsked = false;
            g_timeout_add(100, &HelloWindow::Close, this);
        } else if (code == XUI_EVENT_CLOSE) {
            std::printf("close allowed: %d\n", *static_cast<int*>(param));
        }
        return 0;
    }

    static gboolean Resize(gpointer self) {
        auto* me = static_cast<HelloWindow*>(self);
        me->resizeAsked = true;
        gtk_window_resize(GTK_WINDOW(XUI_WIN_RAW(me->window)), 480, 320);
        return G_SOURCE_REMOVE;
    }
    static gboolean Close(gpointer self) {
        // The same request the window manager's close button makes.
        gtk_window_close(GTK_WINDOW(XUI_WIN_RAW(static_cast<HelloWindow*>(self)->window)));
        return G_SOURCE_REMOVE;
    }
};

class HelloApp : public AppHandler {
public:
    HelloWindow hello;
    std::vector<int> runs;

    void onRun(int starting) override {
        std::printf("onRun(%d)\n", starting);
        runs.push_back(starting);
        if (starting) {
            hello.window = XUI_WIN_REGISTER("w.hello", &hello);
        }
    }
    int preTranslate(XuiMsg*) override { return 0; }
    void afterMessage(XuiMsg*) override {}
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zudoz_hello <package>\n");
        return 2;
    }
    std::string path = argv[1];
    std::u16string widePath(path.begin(), path.end());  // ASCII paths are enough here
    HelloApp app;
    int result = XUI_LOAD(&app, widePath.c_str(), "en");
    std::printf("XUI_LOAD returned %d\n", result);

    // Expected: created, laid out, shown, resized by us, then closed.
    const auto& ev = app.hello.windowEvents;
    std::vector<int> order;
    for (int code : ev) {
        if (code == XUI_EVENT_CREATED || code == XUI_EVENT_RESIZED || code == XUI_EVENT_SHOW ||
            code == XUI_EVENT_CLOSE) {
            if (order.empty() || order.back() != code) {
                order.push_back(code);
            }
        }
    }
    const std::vector<int> expected = {XUI_EVENT_CREATED, XUI_EVENT_RESIZED, XUI_EVENT_SHOW,
                                       XUI_EVENT_RESIZED, XUI_EVENT_CLOSE};
    const bool ok = result == 0 && app.runs == std::vector<int>{1, 0} && order == expected &&
                    std::count(ev.begin(), ev.end(), XUI_EVENT_SHOW) == 1;
    std::printf("%s\n", ok ? "events in order" : "UNEXPECTED EVENTS");
    return ok ? 0 : 1;
}
