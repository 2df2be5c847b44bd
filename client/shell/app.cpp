#include "app.h"

#include "platform/trace.h"

namespace {

std::unique_ptr<App> g_app;

zv::LoginRecord& ProcessRecord() {
    static auto* record = new zv::LoginRecord();  // lives as long as the worker
    return *record;
}

WebEventInbox& ProcessInbox() {
    static auto* inbox = new WebEventInbox();
    return *inbox;
}

}  // namespace

App& App::Instance() {
    if (!g_app) {
        g_app.reset(new App());  // the constructor is private
    }
    return *g_app;
}

void App::Destroy() {
    g_app.reset();
}

App::App() : record_(ProcessRecord()), inbox_(ProcessInbox()) {}

App::~App() {
    // No result may reach the main window once it is gone.
    inbox_.Attach(nullptr);
}

void App::OnInit() {
    loginWin_.Register("w.login");
    mainWin_.Register("w.main");
    browser_ = std::make_unique<zv::browser::BrowserApp>();
    if (!browser_->Initialize()) {
        ZV_TRACE("App::OnInit: the browser runtime did not start; pages stay empty");
    }
}

void App::OnExit() {
    if (browser_) {
        browser_->Shutdown();
    }
}
