#pragma once
// The application object: the two windows, the browser runtime and the
// login record that the windows and the web tasks share. One per process,
// made on first use and destroyed by the entry point after the loop.
#include <memory>

#include "browser_app.h"
#include "login_record.h"
#include "login_win.h"
#include "main_win.h"
#include "web_event_inbox.h"
#include "xf_app.h"

class App : public xfApp {
public:
    static App& Instance();
    static void Destroy();

    ~App() override;

    // Registers "w.login" (the package's first window, which the toolkit
    // then shows) and "w.main", and starts the browser runtime.
    void OnInit() override;
    // Shuts the browser runtime down.
    void OnExit() override;
    // The runtime works on the same GLib loop as the toolkit: nothing to pump.
    void afterMessage(XuiMsg* msg) override { (void)msg; }
    // Keys keep the default filter: none is consumed.

    zv::LoginRecord& Record() { return record_; }
    // Where the web tasks report; it hands their results to the main window.
    WebEventInbox& Inbox() { return inbox_; }
    MainWin& Main() { return mainWin_; }
    LoginWin& Login() { return loginWin_; }
    // Null before OnInit.
    zv::browser::BrowserApp* Browser() { return browser_.get(); }

private:
    App();

    // Destroyed in reverse order: the windows, then the browser runtime.
    std::unique_ptr<zv::browser::BrowserApp> browser_;
    MainWin mainWin_;
    LoginWin loginWin_;
    // The record and the inbox outlive the App: a download may still be
    // running on the worker, which ends only with the process, and writes
    // into them.
    zv::LoginRecord& record_;
    WebEventInbox& inbox_;
};
