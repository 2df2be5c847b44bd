#pragma once
// The browser runtime of the client: one web context for all page views,
// set up once (cache folder or memory only, no proxy, language zh-CN, the
// bridge extension) and shut down once, on the UI thread's GLib loop.
#include <memory>
#include <string>
#include <vector>

#include "platform/gobject_ptr.h"
#include "view_rect.h"
#include "web_view_callback.h"
#include "web_view_handler.h"

typedef struct _GtkWidget GtkWidget;
typedef struct _WebKitWebContext WebKitWebContext;

namespace zv::browser {

struct BrowserOptions {
    // Folder that holds "zv.cache"; empty: the user's data folder.
    std::string dataFolder;
    // Folder with the bridge extension; empty: $ZELVIO_WEBEXT_DIR when set,
    // else "webext" beside the executable.
    std::string extensionFolder;
};

class BrowserApp {
public:
    explicit BrowserApp(BrowserOptions options = {});
    // Shuts down when that has not happened yet.
    ~BrowserApp();
    BrowserApp(const BrowserApp&) = delete;
    BrowserApp& operator=(const BrowserApp&) = delete;

    // Sets the runtime up; true once it is ready (also on later calls).
    // Without a usable cache folder the runtime keeps its data in memory.
    // Starts no process: the web context is made for the first view.
    bool Initialize();

    // Creates a page view as a child of the hosted area `parent` (a GTK
    // container) at `rect` in the area's coordinates, loading `url` (UTF-8).
    // The view follows the area when it is resized. A new WebViewHandler with
    // `callback` (may be null) becomes the current client; earlier views keep
    // theirs. OnBrowserCreated arrives later, from the main loop. Does nothing
    // before Initialize, after Shutdown, or without a container.
    void CreateView(GtkWidget* parent, const ViewRect& rect, const std::string& url,
                    WebViewCallback* callback);

    // Destroys every view and pop-up window and releases the runtime, so that
    // its helper processes end. Must run on the UI thread; idempotent.
    void Shutdown();

    std::shared_ptr<WebViewHandler> CurrentClient() const { return current_; }
    // The cache folder in use; empty when the runtime keeps its data in memory.
    const std::string& CacheFolder() const { return cacheFolder_; }
    // The folder the bridge extension is loaded from.
    const std::string& ExtensionFolder() const { return extensionFolder_; }
    // The web context, made on first use; null before Initialize and after
    // Shutdown.
    WebKitWebContext* Context();
    // Page views and pop-up windows alive now.
    size_t LiveWindows() const { return windows_.size(); }

    // Puts a pop-up view into a top-level window of its own (internal).
    static void OpenPopupWindow(BrowserApp* app, GtkWidget* popup);

private:
    void Track(GtkWidget* window);
    static void OnWindowDestroyed(GtkWidget* window, void* self);

    BrowserOptions options_;
    zv::GObjectPtr<WebKitWebContext> context_;
    std::string cacheFolder_;
    std::string extensionFolder_;
    std::shared_ptr<WebViewHandler> current_;
    std::vector<GtkWidget*> windows_;
    bool ready_ = false;
    bool shutDown_ = false;
};

}  // namespace zv::browser
