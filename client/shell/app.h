#pragma once
// The application object: the two windows, the browser runtime and the
// login record that the windows and the web tasks share. One per process,
// made on first use and destroyed by the entry point after the loop. It
// gives the windows what they use: the record, the inbox, the platform's
// requests, the page runtime and the media engine.
#include <memory>

#include "browser_module.h"
#include "login_record.h"
#include "login_win.h"
#include "main_win.h"
#include "web_event_inbox.h"
#include "window_services.h"
#include "xf_app.h"

class App : public xfApp,
            private zv::EngineHost,
            private zv::PageRuntime,
            private zv::PlatformRequests {
public:
    static App& Instance();
    static void Destroy();

    ~App() override;

    // Registers "w.login" (the package's first window, which the toolkit
    // then shows) and "w.main". The browser runtime starts with the first
    // page view.
    void OnInit() override;
    // Shuts the browser runtime down.
    void OnExit() override;
    // The runtime works on the same GLib loop as the toolkit: nothing to pump.
    void afterMessage(XuiMsg* msg) override { (void)msg; }

private:
    App();

    // EngineHost: the process-wide engine (AVCore's own lifetime).
    zv::MediaEngine& Engine() override;
    void Release() override;
    void ReleaseForExit(std::chrono::milliseconds budget) override;
    float MixedLevel() override;
    // PageRuntime: the browser module is loaded and its runtime started on
    // the first call; false when that failed.
    bool CreateView(GtkWidget* area, int width, int height, const std::string& url,
                    zv::browser::WebViewCallback* receiver) override;
    // PlatformRequests: the web tasks on the worker.
    void Login() override;
    void Room(zv::RoomAction action) override;

    // The record and the inbox outlive the App: a download may still be
    // running on the worker, which ends only with the process, and writes
    // into them.
    zv::LoginRecord& record_;
    WebEventInbox& inbox_;
    // Destroyed in reverse order: the windows, then the browser runtime.
    std::unique_ptr<zv::browser::BrowserRuntime> browser_;
    bool browserFailed_ = false;
    bool exiting_ = false;
    MainWin mainWin_;
    LoginWin loginWin_;
};
