#include "browser_harness.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/main_loop.h"
#include "support/process.h"

namespace zvtest_browser {

void RecordingCallback::OnJsUpdateRoster(int32_t count) {
    offThread |= std::this_thread::get_id() != uiThread_;
    counts.push_back(count);
}

void RecordingCallback::OnJsKickout(const char16_t* message) {
    offThread |= std::this_thread::get_id() != uiThread_;
    kickouts.emplace_back(message);
}

void RecordingCallback::OnBrowserCreated(GtkWidget* window) {
    offThread |= std::this_thread::get_id() != uiThread_;
    created.push_back(window);
}

bool RecordingCallback::HasCount(int32_t count) const {
    for (int32_t c : counts) {
        if (c == count) {
            return true;
        }
    }
    return false;
}

HostWindow::HostWindow() {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window_), 1000, 700);
    fixed_ = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(window_), fixed_);
    gtk_widget_show_all(window_);
    zv::RunLoopUntil([&] { return gtk_widget_get_mapped(window_); }, std::chrono::seconds(5),
                     zv::LoopWait::kBlock);
}

HostWindow::~HostWindow() {
    gtk_widget_destroy(window_);
}

GtkWidget* HostWindow::AddArea(int x, int y, int width, int height) {
    GtkWidget* area = gtk_fixed_new();
    gtk_widget_set_has_window(area, TRUE);
    gtk_widget_set_size_request(area, width, height);
    gtk_fixed_put(GTK_FIXED(fixed_), area, x, y);
    gtk_widget_show(area);
    zv::RunLoopUntil(
        [&] {
            return gtk_widget_get_realized(area) && gtk_widget_get_allocated_width(area) == width &&
                   gtk_widget_get_allocated_height(area) == height;
        },
        std::chrono::seconds(5), zv::LoopWait::kBlock);
    return area;
}

void HostWindow::ResizeArea(GtkWidget* area, int width, int height) {
    gtk_widget_set_size_request(area, width, height);
}

WebKitWebView* ViewIn(GtkWidget* area) {
    WebKitWebView* found = nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(area));
    for (GList* l = children; l; l = l->next) {
        if (WEBKIT_IS_WEB_VIEW(l->data)) {
            found = WEBKIT_WEB_VIEW(l->data);
        }
    }
    g_list_free(children);
    return found;
}

std::set<pid_t> ChildProcesses() {
    std::set<pid_t> children;
    const pid_t self = getpid();
    DIR* proc = opendir("/proc");
    if (!proc) {
        return children;
    }
    while (dirent* entry = readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid <= 0) {
            continue;
        }
        std::ifstream stat("/proc/" + std::string(entry->d_name) + "/stat");
        std::string line;
        if (!std::getline(stat, line)) {
            continue;
        }
        // Fields after the command (which may hold spaces) in parentheses.
        const size_t close = line.rfind(')');
        if (close == std::string::npos) {
            continue;
        }
        std::istringstream rest(line.substr(close + 2));
        char state = 0;
        pid_t ppid = 0;
        rest >> state >> ppid;
        if (ppid == self && state != 'Z' && state != 'X') {
            children.insert(pid);
        }
    }
    closedir(proc);
    return children;
}

std::string DataUrl(const std::string& html) {
    gchar* escaped = g_uri_escape_string(html.c_str(), nullptr, FALSE);
    std::string url = std::string("data:text/html;charset=utf-8,") + escaped;
    g_free(escaped);
    return url;
}

zv::browser::BrowserOptions TestOptions(const std::string& dataFolder) {
    zv::browser::BrowserOptions options;
    options.dataFolder = dataFolder;
    options.extensionFolder = std::string(ZV_DIST_DIR) + "/bin/webext";
    return options;
}

TempFolder::TempFolder() {
    std::string pattern = std::string(g_get_tmp_dir()) + "/zv-browser-XXXXXX";
    char* made = g_mkdtemp(pattern.data());
    path_ = made ? made : "";
}

TempFolder::~TempFolder() {
    if (!path_.empty() && !std::getenv("ZV_KEEP_TEST_FILES")) {
        zvtest::RemoveTree(path_);
    }
}

void RunScript(WebKitWebView* view, const std::string& script) {
    webkit_web_view_evaluate_javascript(view, script.c_str(), -1, nullptr, nullptr, nullptr,
                                        nullptr, nullptr);
}

}  // namespace zvtest_browser
