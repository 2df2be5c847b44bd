#pragma once
// A host for the integration tests: records the events of its windows and
// runs scripted steps on the toolkit's loop.
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

#include "zudoz.h"

namespace host {

// Steps of one test, run on the loop; steps still pending when the test
// ends are dropped with it (they refer to the test's locals).
class Script {
public:
    ~Script() {
        for (guint id : ids_) {
            if (GSource* s = g_main_context_find_source_by_id(nullptr, id)) {
                g_source_destroy(s);
            }
        }
    }
    // Runs `fn` once after `ms` milliseconds.
    void after(unsigned ms, std::function<void()> fn) {
        auto* boxed = new std::function<void()>(std::move(fn));
        ids_.push_back(g_timeout_add_full(
            G_PRIORITY_DEFAULT, ms,
            [](gpointer p) -> gboolean {
                (*static_cast<std::function<void()>*>(p))();
                return G_SOURCE_REMOVE;
            },
            boxed, [](gpointer p) { delete static_cast<std::function<void()>*>(p); }));
    }

    // Runs `fn` once `ready` holds (checked every 20 ms), or after
    // `timeoutMs` in any case, so a late X server slows a test down instead
    // of failing it, and a broken one fails it instead of hanging.
    void until(std::function<bool()> ready, std::function<void()> fn, unsigned timeoutMs = 5000) {
        auto start = g_get_monotonic_time();
        poll(std::move(ready), std::move(fn), start + gint64(timeoutMs) * 1000);
    }

private:
    void poll(std::function<bool()> ready, std::function<void()> fn, gint64 deadline) {
        after(20, [this, ready, fn, deadline] {
            if (ready() || g_get_monotonic_time() > deadline) {
                fn();
            } else {
                poll(ready, fn, deadline);
            }
        });
    }

    std::vector<guint> ids_;
};

inline std::string NameOf(XuiControl* c) {
    char name[128] = {};
    XUI_COMMON_GET(c, name, sizeof(name), nullptr, 0, nullptr, 0, nullptr);
    return name;
}

struct Event {
    std::string control;
    int code;
};

class Recorder : public WinHandler {
public:
    std::vector<Event> events;
    std::function<void(XuiControl*, int, void*)> react;

    int onEvent(XuiControl* control, int code, void* param) override {
        events.push_back({NameOf(control), code});
        if (react) {
            react(control, code, param);
        }
        return 0;
    }
    // Codes sent for the control named `name`, in order.
    std::vector<int> codesOf(const std::string& name) const {
        std::vector<int> out;
        for (const auto& e : events) {
            if (e.control == name) {
                out.push_back(e.code);
            }
        }
        return out;
    }
};

class App : public AppHandler {
public:
    std::function<void()> start;
    std::vector<int> runs;
    int keyDowns = 0;
    int afterMessages = 0;
    uint32_t consumeKey = 0;

    void onRun(int starting) override {
        runs.push_back(starting);
        if (starting && start) {
            start();
        }
    }
    int preTranslate(XuiMsg* msg) override {
        if (msg->message == XUI_MSG_KEYDOWN) {
            ++keyDowns;
            return msg->wParam == consumeKey ? 1 : 0;
        }
        return 0;
    }
    void afterMessage(XuiMsg*) override { ++afterMessages; }
};

// True once the window is on screen (clicks and keys can reach it).
inline bool Viewable(XuiWindow* window) {
    GtkWidget* w = XUI_WIN_RAW(window);
    return w && gtk_widget_get_window(w) && gdk_window_is_viewable(gtk_widget_get_window(w));
}

// Real input through the X server (XTest): the pointer moves to client
// point (x, y) of a toolkit window and the left button is clicked there.
inline Display* XDisplayOf(XuiWindow* window) {
    return GDK_WINDOW_XDISPLAY(gtk_widget_get_window(XUI_WIN_RAW(window)));
}

inline void MoveTo(XuiWindow* window, int x, int y) {
    GdkWindow* w = gtk_widget_get_window(XUI_WIN_RAW(window));
    int ox = 0, oy = 0;
    gdk_window_get_origin(w, &ox, &oy);
    XTestFakeMotionEvent(XDisplayOf(window), -1, ox + x, oy + y, CurrentTime);
    XFlush(XDisplayOf(window));
}

inline void Click(XuiWindow* window, int x, int y) {
    MoveTo(window, x, y);
    XTestFakeButtonEvent(XDisplayOf(window), 1, True, CurrentTime);
    XTestFakeButtonEvent(XDisplayOf(window), 1, False, CurrentTime);
    XFlush(XDisplayOf(window));
}

// Presses and releases the key of `keysym` (X input focus follows the pointer).
inline void Key(XuiWindow* window, unsigned keysym) {
    Display* d = XDisplayOf(window);
    KeyCode code = XKeysymToKeycode(d, keysym);
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
    XFlush(d);
}

}  // namespace host
