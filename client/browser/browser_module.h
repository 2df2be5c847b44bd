#pragma once
// The browser runtime as the client loads it: a module of its own
// (libzvbrowser.so beside the program), opened on the first page view, so a
// room without pages never maps WebKit's libraries. The module and the
// program are built together; the version guards against a stale module
// left beside a newer program.
#include <string>

#include "view_rect.h"
#include "web_view_callback.h"

namespace zv::browser {

// What the program asks of the runtime; every call on the UI thread.
class BrowserRuntime {
public:
    virtual ~BrowserRuntime() = default;
    // A page view of `url` as a child of the area `parent` at `rect`,
    // reporting to `callback` (may be null).
    virtual void CreateView(GtkWidget* parent, const ViewRect& rect, const std::string& url,
                            WebViewCallback* callback) = 0;
    // Destroys every view and releases the runtime; idempotent.
    virtual void Shutdown() = 0;
};

inline constexpr char kBrowserModuleFile[] = "libzvbrowser.so";
// Raise with every change of BrowserRuntime or of the entry points.
inline constexpr int kBrowserModuleVersion = 1;

}  // namespace zv::browser

// The module's entry points, looked up by name.
extern "C" {
// kBrowserModuleVersion as the module was built.
typedef int (*ZvBrowserModuleVersionFn)();
// A started runtime owned by the caller, or null when it could not start.
typedef zv::browser::BrowserRuntime* (*ZvBrowserRuntimeCreateFn)();
}
inline constexpr char kZvBrowserModuleVersionSymbol[] = "zv_browser_module_version";
inline constexpr char kZvBrowserRuntimeCreateSymbol[] = "zv_browser_runtime_create";
