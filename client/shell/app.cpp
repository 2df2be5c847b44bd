#include "app.h"

#include <glib.h>

#include "async_task.h"
#include "av_core.h"
#include "browser_loader.h"
#include "levels.h"
#include "platform/paths.h"
#include "platform/trace.h"
#include "web_login.h"
#include "web_room.h"

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

App::App()
    : record_(ProcessRecord()),
      inbox_(ProcessInbox()),
      mainWin_({record_, inbox_, *this, *this, *this}),
      loginWin_({record_, inbox_, *this, *this, *this}, mainWin_) {}

App::~App() {
    // No result may reach the main window once it is gone.
    inbox_.Attach(nullptr);
}

void App::OnInit() {
    loginWin_.Register("w.login");
    mainWin_.Register("w.main");
}

void App::OnExit() {
    exiting_ = true;
    if (browser_) {
        browser_->Shutdown();
    }
}

zv::MediaEngine& App::Engine() {
    return *zv::AVCore::Instance();
}

void App::Release() {
    zv::AVCore::Release();
}

void App::ReleaseForExit(std::chrono::milliseconds budget) {
    zv::AVCore::ReleaseForExit(budget);
}

float App::MixedLevel() {
    return zv::MixedLevel();
}

bool App::CreateView(GtkWidget* area, int width, int height, const std::string& url,
                     zv::browser::WebViewCallback* receiver) {
    if (browser_ == nullptr && !browserFailed_ && !exiting_) {
        const std::string file =
            zv::JoinPath(zv::ExecutableFolder(), zv::browser::kBrowserModuleFile);
        zv::LoadedBrowser loaded = zv::LoadBrowserModule(file);
        browser_ = std::move(loaded.runtime);
        // Tried once: a module that is missing or broken stays so.
        browserFailed_ = browser_ == nullptr;
        if (browserFailed_) {
            g_printerr("Zelvio: no page runtime (%s); the pages stay empty\n",
                       loaded.error.c_str());
        }
    }
    if (browser_ == nullptr) {
        return false;
    }
    browser_->CreateView(area, {0, 0, width, height}, url, receiver);
    return true;
}

void App::Login() {
    AsyncTask::Start(new WebLogin(record_, &inbox_));
}

void App::Room(zv::RoomAction action) {
    switch (action) {
        case zv::RoomAction::kGetUrl:
            AsyncTask::Start(new WebGetURL(record_, inbox_));
            break;
        case zv::RoomAction::kStartRecord:
            AsyncTask::Start(new WebStartRecord(record_, inbox_));
            break;
        case zv::RoomAction::kStopRecord:
            AsyncTask::Start(new WebStopRecord(record_, inbox_));
            break;
    }
}
