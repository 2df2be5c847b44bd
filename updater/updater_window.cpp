#include "updater_window.h"

#include <gdk/gdkx.h>

#include <cstdlib>

#include "platform/endpoints.h"
#include "platform/launch.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/root_marker.h"
#include "platform/trace.h"
#include "progress_paint.h"
#include "update_rules.h"

namespace zv::updater {

namespace {

// Tests shorten the stall limit of the download through the environment.
long StallSeconds() {
    if (const char* text = std::getenv("ZELVIO_UPDATER_STALL_SECONDS")) {
        const long value = std::strtol(text, nullptr, 10);
        if (value > 0) {
            return value;
        }
    }
    return Download::kDefaultStallSeconds;
}

}  // namespace

UpdaterWindow::UpdaterWindow() = default;

UpdaterWindow::~UpdaterWindow() {
    if (window_ != nullptr) {
        // Gone from the X server before the process ends, so an updater
        // started right after this one does not find it still alive.
        g_signal_handlers_disconnect_by_data(window_, this);
        GdkDisplay* display = gtk_widget_get_display(window_);
        gtk_widget_destroy(window_);
        gdk_display_sync(display);
    }
}

bool UpdaterWindow::Create() {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    if (window_ == nullptr) {
        return false;
    }
    gtk_window_set_title(GTK_WINDOW(window_), "Zelvio软件更新");
    // A small tool window above the others, not in the task bar, fixed size.
    gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_UTILITY);
    gtk_window_set_keep_above(GTK_WINDOW(window_), TRUE);
    gtk_window_set_skip_taskbar_hint(GTK_WINDOW(window_), TRUE);
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    area_ = gtk_drawing_area_new();
    gtk_widget_set_size_request(area_, kWidth, kHeight);
    gtk_container_add(GTK_CONTAINER(window_), area_);
    gtk_window_move(GTK_WINDOW(window_), kLeft, kTop);
    g_signal_connect(area_, "draw", G_CALLBACK(&UpdaterWindow::Draw), this);
    g_signal_connect(window_, "destroy", G_CALLBACK(&UpdaterWindow::Destroyed), this);

    // Realised but not shown: the marker needs the window's id.
    gtk_widget_realize(window_);
    GdkWindow* native = gtk_widget_get_window(window_);
    if (native == nullptr || !GDK_IS_X11_WINDOW(native)) {
        return false;
    }
    GdkDisplay* display = gtk_widget_get_display(window_);
    gdk_display_sync(display);
    SetRootMarker(kInstanceMarker, gdk_x11_window_get_xid(native),
                  gdk_x11_display_get_xdisplay(display));

    installedVersion_ = ReadInstalledVersion();
    AsyncTask::Start(new CheckVersion(this, RouteHost(), installedVersion_, DataFolder()));
    return true;
}

int UpdaterWindow::Run() {
    if (!ended_) {
        gtk_main();
    }
    // Closed in the middle of a download: stop it and let it remove its
    // partial file before the process ends.
    if (download_ && !download_->WaitFinished(0)) {
        download_->Cancel();
        if (!download_->WaitFinished(5000)) {
            ZV_TRACE("zvupdate: the download did not stop in time");
        }
    }
    return exitCode_;
}

void UpdaterWindow::End(int code) {
    if (ended_) {
        return;
    }
    ended_ = true;
    exitCode_ = code;
    ZV_TRACE("zvupdate: end with %d", code);
    if (gtk_main_level() > 0) {
        gtk_main_quit();
    }
}

void UpdaterWindow::OnCheckResult(const Offer& offer) {
    if (ended_) {
        return;
    }
    if (!offer.offered || SameVersion(offer.latestVersion, installedVersion_)) {
        End(1);
        return;
    }
    offer_ = offer;
    downloading_ = true;
    gtk_widget_show_all(window_);
    download_ = std::make_shared<DownloadControl>();
    AsyncTask::Start(new Download(this, offer_, download_, StallSeconds()));
}

void UpdaterWindow::OnProgress(int32_t totalBytes, int32_t receivedBytes) {
    if (ended_ || area_ == nullptr) {
        return;
    }
    totalBytes_ = totalBytes;
    receivedBytes_ = receivedBytes;
    // The lower half holds the bar and the percentage.
    const int width = gtk_widget_get_allocated_width(area_);
    const int height = gtk_widget_get_allocated_height(area_);
    gtk_widget_queue_draw_area(area_, 0, height / 2, width, height - height / 2);
}

void UpdaterWindow::OnDownloadResult(bool ok) {
    if (ended_) {
        return;
    }
    if (ok) {
        ShowBox(GTK_MESSAGE_INFO, "成功",
                "最新版本软件已经准备好了。\r\n\r\n***请退出正在运行的软件(否则很可能升级失败！)"
                "****\r\n\r\n然后点击确定按钮开始升级！",
                true);
    } else {
        ShowBox(GTK_MESSAGE_ERROR, "错误", "下载更新程序失败！请联系软件开发商。", false);
    }
}

void UpdaterWindow::ShowBox(GtkMessageType type, const char* caption, const char* text,
                            bool openInstaller) {
    openInstallerOnClose_ = openInstaller;
    GtkWidget* box = gtk_message_dialog_new(GTK_WINDOW(window_), GTK_DIALOG_MODAL, type,
                                            GTK_BUTTONS_NONE, "%s", text);
    // The texts name the button "确定".
    gtk_dialog_add_button(GTK_DIALOG(box), "确定", GTK_RESPONSE_OK);
    gtk_dialog_set_default_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
    gtk_window_set_title(GTK_WINDOW(box), caption);
    gtk_window_set_keep_above(GTK_WINDOW(box), TRUE);
    g_signal_connect(box, "response", G_CALLBACK(&UpdaterWindow::BoxAnswered), this);
    gtk_widget_show_all(box);
}

void UpdaterWindow::BoxAnswered(GtkDialog* dialog, gint, gpointer self) {
    auto* w = static_cast<UpdaterWindow*>(self);
    gtk_widget_destroy(GTK_WIDGET(dialog));
    if (w->openInstallerOnClose_ && !OpenFile(w->offer_.installerPath)) {
        ZV_TRACE("zvupdate: the installer could not be opened");
    }
    w->End(1);
}

gboolean UpdaterWindow::Draw(GtkWidget* widget, cairo_t* cr, gpointer self) {
    auto* w = static_cast<UpdaterWindow*>(self);
    if (!w->downloading_) {
        return TRUE;
    }
    ProgressView view;
    view.latestVersion = w->offer_.latestVersion;
    view.installedVersion = w->installedVersion_;
    view.totalBytes = w->totalBytes_;
    view.receivedBytes = w->receivedBytes_;
    PaintProgress(cr, gtk_widget_get_allocated_width(widget),
                  gtk_widget_get_allocated_height(widget), view);
    return TRUE;
}

void UpdaterWindow::Destroyed(GtkWidget*, gpointer self) {
    auto* w = static_cast<UpdaterWindow*>(self);
    w->window_ = nullptr;
    w->area_ = nullptr;
    w->End(0);
}

}  // namespace zv::updater
