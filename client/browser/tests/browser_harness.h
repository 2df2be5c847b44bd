#pragma once
// Shared pieces of the browser tests: a real GTK window with hosted areas,
// a recording WebViewCallback and the process's children. The tests run the
// loop with zv::RunLoopUntil in its blocking mode: WebKit's sources wake it.
#include <gtk/gtk.h>
#include <sys/types.h>
#include <webkit2/webkit2.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "browser_app.h"
#include "web_view_callback.h"

namespace zvtest_browser {

// Records every notice and the thread it arrived on.
class RecordingCallback : public zv::browser::WebViewCallback {
public:
    void OnJsUpdateRoster(int32_t count) override;
    void OnJsKickout(const char16_t* message) override;
    void OnBrowserCreated(GtkWidget* window) override;

    // True once `count` arrived (the pages end with a marker count).
    bool HasCount(int32_t count) const;

    std::vector<int32_t> counts;
    std::vector<std::u16string> kickouts;
    std::vector<GtkWidget*> created;
    bool offThread = false;  // a notice arrived on another thread than the UI's

private:
    std::thread::id uiThread_ = std::this_thread::get_id();
};

// A top-level window holding a GtkFixed with one hosted area per call of
// AddArea: a GtkFixed with a native window of its own, as the toolkit's raw
// areas have.
class HostWindow {
public:
    HostWindow();
    ~HostWindow();
    GtkWidget* AddArea(int x, int y, int width, int height);
    void ResizeArea(GtkWidget* area, int width, int height);
    GtkWidget* Window() const { return window_; }

private:
    GtkWidget* window_;
    GtkWidget* fixed_;
};

// The single WebKitWebView child of `area`, or null.
WebKitWebView* ViewIn(GtkWidget* area);

// The live (non-zombie) children of this process.
std::set<pid_t> ChildProcesses();

// A data: URL of `html` (UTF-8), percent-encoded.
std::string DataUrl(const std::string& html);

// Browser options for tests: the extension from the build tree and a fresh
// data folder under `root`.
zv::browser::BrowserOptions TestOptions(const std::string& dataFolder);

// A fresh temporary folder, removed with its contents by the destructor.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Evaluates a script in `view` (fire and forget).
void RunScript(WebKitWebView* view, const std::string& script);

}  // namespace zvtest_browser
