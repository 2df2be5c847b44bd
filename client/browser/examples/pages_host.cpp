// A small host for the two page views: the room's chat page and gift page
// side by side in one window, as the main window shows them. The chat view
// reports to this program (audience count in the title, kick-out printed);
// the gift view has no callback.
//
//   zv_pages_host [--room ID] [--chat URL] [--gift URL] [--screenshot FILE]
//
// Addresses default to the route host (ZELVIO_ROUTE_HOST or the built-in one).
// With --screenshot the window is saved as PNG once both pages have loaded,
// and the program ends.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "browser_app.h"
#include "platform/endpoints.h"
#include "platform/gtk_init.h"
#include "platform/utf.h"

namespace {

using zv::browser::BrowserApp;
using zv::browser::ViewRect;

class TitleCallback : public zv::browser::WebViewCallback {
public:
    explicit TitleCallback(GtkWidget* window) : window_(window) {}
    void OnJsUpdateRoster(int32_t count) override {
        const std::string title =
            "直播间 — 在线人数：" + std::to_string(static_cast<uint32_t>(count));
        gtk_window_set_title(GTK_WINDOW(window_), title.c_str());
        std::printf("online %u\n", static_cast<unsigned>(count));
        std::fflush(stdout);
    }
    void OnJsKickout(const char16_t* message) override {
        std::printf("kickout %s\n", zv::Utf16ToUtf8(message).c_str());
        std::fflush(stdout);
    }
    void OnBrowserCreated(GtkWidget* view) override {
        std::printf("chat view created %p\n", static_cast<void*>(view));
        std::fflush(stdout);
    }

private:
    GtkWidget* window_;
};

// A hosted area as the toolkit makes them: a container with its own window,
// stretched by the box it lives in.
GtkWidget* NewArea(GtkWidget* box, int width) {
    GtkWidget* area = gtk_fixed_new();
    gtk_widget_set_has_window(area, TRUE);
    gtk_widget_set_size_request(area, width, 200);
    gtk_widget_set_hexpand(area, TRUE);
    gtk_widget_set_vexpand(area, TRUE);
    gtk_box_pack_start(GTK_BOX(box), area, TRUE, TRUE, 0);
    return area;
}

struct Host {
    BrowserApp* app;
    GtkWidget* window;
    GtkWidget* chatArea;
    GtkWidget* giftArea;
    TitleCallback* callback;
    std::string chatUrl;
    std::string giftUrl;
    std::string screenshot;
    bool created = false;
};

bool Loaded(GtkWidget* area) {
    GList* children = gtk_container_get_children(GTK_CONTAINER(area));
    bool loaded =
        children && WEBKIT_IS_WEB_VIEW(children->data) &&
        !webkit_web_view_is_loading(WEBKIT_WEB_VIEW(children->data)) &&
        webkit_web_view_get_estimated_load_progress(WEBKIT_WEB_VIEW(children->data)) >= 1.0;
    g_list_free(children);
    return loaded;
}

gboolean SaveWhenLoaded(gpointer data) {
    static int settled = 0;
    auto* host = static_cast<Host*>(data);
    // A second of quiet after both loads, so fonts and layout have settled.
    settled = Loaded(host->chatArea) && Loaded(host->giftArea) ? settled + 1 : 0;
    if (settled < 10) {
        return G_SOURCE_CONTINUE;
    }
    GdkWindow* window = gtk_widget_get_window(host->window);
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(window, 0, 0, gdk_window_get_width(window),
                                                 gdk_window_get_height(window));
    GError* error = nullptr;
    if (!shot || !gdk_pixbuf_save(shot, host->screenshot.c_str(), "png", &error, nullptr)) {
        std::fprintf(stderr, "screenshot failed: %s\n", error ? error->message : "no picture");
        g_clear_error(&error);
    } else {
        std::printf("screenshot %s\n", host->screenshot.c_str());
    }
    if (shot) {
        g_object_unref(shot);
    }
    gtk_widget_destroy(host->window);
    return G_SOURCE_REMOVE;
}

// The views are created once the areas are laid out, as the main window does.
void OnAreaAllocated(GtkWidget*, GdkRectangle*, gpointer data) {
    auto* host = static_cast<Host*>(data);
    if (host->created) {
        return;
    }
    host->created = true;
    const int cw = gtk_widget_get_allocated_width(host->chatArea);
    const int ch = gtk_widget_get_allocated_height(host->chatArea);
    const int gw = gtk_widget_get_allocated_width(host->giftArea);
    const int gh = gtk_widget_get_allocated_height(host->giftArea);
    host->app->CreateView(host->chatArea, ViewRect{0, 0, cw, ch}, host->chatUrl, host->callback);
    host->app->CreateView(host->giftArea, ViewRect{0, 0, gw, gh}, host->giftUrl, nullptr);
    if (!host->screenshot.empty()) {
        g_timeout_add(100, SaveWhenLoaded, host);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (!zv::InitGtk(&argc, &argv)) {
        std::fprintf(stderr, "pages_host: cannot open the display\n");
        return 1;
    }
    std::string room = "8801";
    std::string chat;
    std::string gift;
    std::string screenshot;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--room")) {
            room = argv[i + 1];
        } else if (!std::strcmp(argv[i], "--chat")) {
            chat = argv[i + 1];
        } else if (!std::strcmp(argv[i], "--gift")) {
            gift = argv[i + 1];
        } else if (!std::strcmp(argv[i], "--screenshot")) {
            screenshot = argv[i + 1];
        } else {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (chat.empty()) {
        chat = zv::RouteHost() + "/chat?roomid=" + room;
    }
    if (gift.empty()) {
        gift = zv::RouteHost() + "/gift?roomid=" + room;
    }

    zv::browser::BrowserOptions options;
#ifdef ZV_EXAMPLE_WEBEXT_DIR
    options.extensionFolder = ZV_EXAMPLE_WEBEXT_DIR;
#endif
    BrowserApp app(options);
    if (!app.Initialize()) {
        std::fprintf(stderr, "browser runtime could not start\n");
        return 1;
    }

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "直播间");
    gtk_window_set_default_size(GTK_WINDOW(window), 1000, 640);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    gtk_container_add(GTK_CONTAINER(window), box);
    TitleCallback callback(window);
    Host host{&app, window, NewArea(box, 600), NewArea(box, 360), &callback,
              chat, gift,   screenshot};
    g_signal_connect(host.giftArea, "size-allocate", G_CALLBACK(OnAreaAllocated), &host);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(window);
    gtk_main();
    app.Shutdown();
    return 0;
}
