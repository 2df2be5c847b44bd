#pragma once
// The updater's one window: hidden while the version is checked, shown with
// the two versions and the progress bar while the installer downloads, then
// a message box. Runs the GTK main loop and yields the process's exit code.
#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "update_tasks.h"

namespace zv::updater {

class UpdaterWindow : public UpdateSink {
public:
    UpdaterWindow();
    ~UpdaterWindow() override;
    UpdaterWindow(const UpdaterWindow&) = delete;
    UpdaterWindow& operator=(const UpdaterWindow&) = delete;

    // Creates the hidden window, sets the single-instance marker and starts
    // the version check. False when the window cannot be created.
    bool Create();

    // Runs the loop until the updater ends; returns the exit code: 1 after a
    // check or download (whatever the outcome), 0 when the window was closed.
    int Run();

    void OnCheckResult(const Offer& offer) override;
    void OnDownloadResult(bool ok) override;
    void OnProgress(int32_t totalBytes, int32_t receivedBytes) override;

    static constexpr int kWidth = 320;
    static constexpr int kHeight = 200;
    static constexpr int kLeft = 400;
    static constexpr int kTop = 400;

private:
    void End(int code);
    void ShowBox(GtkMessageType type, const char* caption, const char* text, bool openInstaller);
    static gboolean Draw(GtkWidget* widget, cairo_t* cr, gpointer self);
    static void Destroyed(GtkWidget* widget, gpointer self);
    static void BoxAnswered(GtkDialog* dialog, gint response, gpointer self);

    GtkWidget* window_ = nullptr;
    GtkWidget* area_ = nullptr;
    std::string installedVersion_;
    Offer offer_;
    bool downloading_ = false;
    bool openInstallerOnClose_ = false;
    int32_t totalBytes_ = 0;
    int32_t receivedBytes_ = 0;
    bool ended_ = false;
    int exitCode_ = 0;
    std::shared_ptr<DownloadControl> download_;
};

}  // namespace zv::updater
