#include "browser_app.h"

#include <webkit2/webkit2.h>

#include <algorithm>
#include <cstdlib>

#include "platform/paths.h"
#include "platform/trace.h"
#include "view_host.h"

namespace zv::browser {

namespace {

constexpr char kCacheFolderName[] = "zv.cache";
constexpr char kLocale[] = "zh-CN";

// Shared by the signal connections of one view; the connection owns it.
struct ViewContext {
    BrowserApp* app;
    std::shared_ptr<WebViewHandler> handler;
};

void DeleteViewContext(gpointer data, GClosure*) {
    delete static_cast<ViewContext*>(data);
}

void ConfigureView(WebKitWebView* view) {
    WebKitSettings* settings = webkit_web_view_get_settings(view);
    // Pages may open windows from script, as they could in the client before.
    webkit_settings_set_javascript_can_open_windows_automatically(settings, TRUE);
    // Two small pages drawn by the web process's own rasteriser: WebKit's
    // GL compositor on a machine without a GPU costs the web process about
    // 60 MiB (software GL's code and buffers) and GDK its GL set-up.
    webkit_settings_set_hardware_acceleration_policy(settings,
                                                     WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
}

// The view reports its creation once, from the main loop, after it has its
// native window (the view is realized when its area is).
struct CreationReport {
    std::shared_ptr<WebViewHandler> handler;
    GtkWidget* view;  // weak; cleared if the view goes away first
};

gboolean RunCreationReport(gpointer data) {
    auto* report = static_cast<CreationReport*>(data);
    if (report->view) {
        report->handler->OnAfterCreated(report->view);
    }
    return G_SOURCE_REMOVE;
}

void DeleteCreationReport(gpointer data) {
    auto* report = static_cast<CreationReport*>(data);
    if (report->view) {
        g_object_remove_weak_pointer(G_OBJECT(report->view),
                                     reinterpret_cast<gpointer*>(&report->view));
    }
    delete report;
}

void ScheduleCreationReport(GtkWidget* view, const std::shared_ptr<WebViewHandler>& handler) {
    auto* report = new CreationReport{handler, view};
    g_object_add_weak_pointer(G_OBJECT(view), reinterpret_cast<gpointer*>(&report->view));
    g_idle_add_full(G_PRIORITY_DEFAULT, RunCreationReport, report, DeleteCreationReport);
}

void OnViewRealized(GtkWidget* view, gpointer data) {
    // `data` is freed by the disconnect, so the handler is copied first.
    std::shared_ptr<WebViewHandler> handler = static_cast<ViewContext*>(data)->handler;
    g_signal_handlers_disconnect_by_func(view, reinterpret_cast<gpointer>(&OnViewRealized), data);
    ScheduleCreationReport(view, handler);
}

GtkWidget* OnCreatePopup(WebKitWebView* opener, WebKitNavigationAction*, gpointer data);

void ConnectPopups(WebKitWebView* view, BrowserApp* app,
                   const std::shared_ptr<WebViewHandler>& handler) {
    g_signal_connect_data(view, "create", G_CALLBACK(OnCreatePopup), new ViewContext{app, handler},
                          DeleteViewContext, GConnectFlags(0));
}

}  // namespace

BrowserApp::BrowserApp(BrowserOptions options) : options_(std::move(options)) {}

BrowserApp::~BrowserApp() {
    Shutdown();
}

bool BrowserApp::Initialize() {
    if (ready_) {
        return true;
    }
    if (shutDown_) {
        return false;
    }
    const std::string dataFolder = options_.dataFolder.empty() ? DataFolder() : options_.dataFolder;
    const std::string cache = JoinPath(dataFolder, kCacheFolderName);
    cacheFolder_ = !dataFolder.empty() && EnsureFolder(cache) ? cache : std::string();
    if (!options_.extensionFolder.empty()) {
        extensionFolder_ = options_.extensionFolder;
    } else if (const char* env = std::getenv("ZELVIO_WEBEXT_DIR"); env && *env) {
        extensionFolder_ = env;
    } else {
        extensionFolder_ = JoinPath(ExecutableFolder(), "webext");
    }
    if (!g_file_test(extensionFolder_.c_str(), G_FILE_TEST_IS_DIR)) {
        ZV_TRACE(">>> WebView: no page extension folder %s; pages get no notify",
                 extensionFolder_.c_str());
    }
    ready_ = true;
    ZV_TRACE(">>> WebView::OnContextInitialized");
    return true;
}

WebKitWebContext* BrowserApp::Context() {
    if (context_ || !ready_ || shutDown_) {
        return context_.get();
    }
    // Made on first use: the data manager starts WebKit's network process,
    // which a room without pages has no use for.
    zv::GObjectPtr<WebKitWebsiteDataManager> manager;
    if (!cacheFolder_.empty()) {
        manager.reset(webkit_website_data_manager_new("base-data-directory", cacheFolder_.c_str(),
                                                      "base-cache-directory", cacheFolder_.c_str(),
                                                      nullptr));
        const std::string cookies = JoinPath(cacheFolder_, "cookies.sqlite");
        webkit_cookie_manager_set_persistent_storage(
            webkit_website_data_manager_get_cookie_manager(manager.get()), cookies.c_str(),
            WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);
    } else {
        manager.reset(webkit_website_data_manager_new_ephemeral());
    }
    // Pages never go through a proxy; an invalid certificate fails the load.
    webkit_website_data_manager_set_network_proxy_settings(
        manager.get(), WEBKIT_NETWORK_PROXY_MODE_NO_PROXY, nullptr);
    webkit_website_data_manager_set_tls_errors_policy(manager.get(), WEBKIT_TLS_ERRORS_POLICY_FAIL);

    context_.reset(webkit_web_context_new_with_website_data_manager(manager.get()));
    // Two small pages that are only looked at: no back-forward or page cache
    // to keep in memory.
    webkit_web_context_set_cache_model(context_.get(), WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
    const char* const languages[] = {kLocale, nullptr};
    webkit_web_context_set_preferred_languages(context_.get(), languages);
    // Must be set before the first web process starts, i.e. before any view.
    webkit_web_context_set_web_extensions_directory(context_.get(), extensionFolder_.c_str());
    return context_.get();
}

void BrowserApp::CreateView(GtkWidget* parent, const ViewRect& rect, const std::string& url,
                            WebViewCallback* callback) {
    if (!ready_ || shutDown_) {
        ZV_TRACE(">>> WebView::CreateView: runtime not running, url=%s", url.c_str());
        return;
    }
    if (!CanHostView(parent)) {
        ZV_TRACE(">>> WebView::CreateView: area %p cannot hold a view, url=%s",
                 static_cast<void*>(parent), url.c_str());
        return;
    }
    auto handler = std::make_shared<WebViewHandler>(callback);
    current_ = handler;

    // Every page view after the first joins the first one's web process: one
    // process for the client's pages instead of one each.
    GtkWidget* related = nullptr;
    for (GtkWidget* w : windows_) {
        if (WEBKIT_IS_WEB_VIEW(w)) {
            related = w;
            break;
        }
    }
    GtkWidget* widget = related ? webkit_web_view_new_with_related_view(WEBKIT_WEB_VIEW(related))
                                : webkit_web_view_new_with_context(Context());
    WebKitWebView* view = WEBKIT_WEB_VIEW(widget);
    ConfigureView(view);
    handler->AttachView(view);
    ConnectPopups(view, this, handler);
    PlaceInArea(parent, widget, rect);
    Track(widget);
    if (gtk_widget_get_realized(widget)) {
        ScheduleCreationReport(widget, handler);
    } else {
        g_signal_connect_data(widget, "realize", G_CALLBACK(OnViewRealized),
                              new ViewContext{this, handler}, DeleteViewContext, G_CONNECT_AFTER);
    }
    webkit_web_view_load_uri(view, url.c_str());
    ZV_TRACE(">>> WebView::CreateView >> client=%p, url=%s", static_cast<void*>(handler.get()),
             url.c_str());
}

void BrowserApp::Shutdown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    // Destroying a window removes it from the list through its destroy signal.
    while (!windows_.empty()) {
        GtkWidget* window = windows_.back();
        WebKitWebView* view = nullptr;
        if (WEBKIT_IS_WEB_VIEW(window)) {
            view = WEBKIT_WEB_VIEW(window);
        } else if (GtkWidget* child = gtk_bin_get_child(GTK_BIN(window));
                   child && WEBKIT_IS_WEB_VIEW(child)) {
            view = WEBKIT_WEB_VIEW(child);
        }
        // End the page's process now rather than whenever the view is freed.
        if (view) {
            webkit_web_view_terminate_web_process(view);
        }
        gtk_widget_destroy(window);
        if (!windows_.empty() && windows_.back() == window) {
            windows_.pop_back();
        }
    }
    current_.reset();
    context_.reset();
}

void BrowserApp::Track(GtkWidget* window) {
    windows_.push_back(window);
    g_signal_connect(window, "destroy", G_CALLBACK(&BrowserApp::OnWindowDestroyed), this);
}

void BrowserApp::OnWindowDestroyed(GtkWidget* window, void* self) {
    auto& windows = static_cast<BrowserApp*>(self)->windows_;
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

void BrowserApp::OpenPopupWindow(BrowserApp* app, GtkWidget* popup) {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
    gtk_container_add(GTK_CONTAINER(window), popup);
    app->Track(window);
    // The page decides when to appear and may close itself.
    g_signal_connect(popup, "ready-to-show", G_CALLBACK(+[](WebKitWebView* view, gpointer) {
                         GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(view));
                         gtk_widget_show_all(top);
                     }),
                     nullptr);
    g_signal_connect(popup, "close", G_CALLBACK(+[](WebKitWebView* view, gpointer) {
                         gtk_widget_destroy(gtk_widget_get_toplevel(GTK_WIDGET(view)));
                     }),
                     nullptr);
}

namespace {

GtkWidget* OnCreatePopup(WebKitWebView* opener, WebKitNavigationAction*, gpointer data) {
    auto* context = static_cast<ViewContext*>(data);
    GtkWidget* popup = webkit_web_view_new_with_related_view(opener);
    WebKitWebView* view = WEBKIT_WEB_VIEW(popup);
    ConfigureView(view);
    // Notices from a pop-up go to the client of the page that opened it.
    context->handler->AttachView(view);
    ConnectPopups(view, context->app, context->handler);
    BrowserApp::OpenPopupWindow(context->app, popup);
    return popup;
}

}  // namespace

}  // namespace zv::browser
