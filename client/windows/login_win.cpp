#include "login_win.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include "app.h"
#include "async_task.h"
#include "platform/endpoints.h"
#include "platform/launch.h"
#include "platform/root_marker.h"
#include "platform/trace.h"
#include "platform/utf.h"
#include "session_file.h"
#include "web_login.h"

namespace {

int g_loadingFrame = 0;  // process-wide: a new attempt goes on from here

constexpr int kLastLoadingFrame = 7;

Display* GdkXDisplay() {
    GdkDisplay* display = gdk_display_get_default();
    return display && GDK_IS_X11_DISPLAY(display) ? gdk_x11_display_get_xdisplay(display) : nullptr;
}

zv::XWindowId XidOf(GtkWidget* toplevel) {
    if (toplevel == nullptr) {
        return 0;
    }
    gtk_widget_realize(toplevel);
    GdkWindow* window = gtk_widget_get_window(toplevel);
    return window && GDK_IS_X11_WINDOW(window) ? gdk_x11_window_get_xid(window) : 0;
}

}  // namespace

int LoginWin::LoadingFrame() {
    return g_loadingFrame;
}

std::u16string LoginWin::FailureText(const std::string& message) {
    return u"登录失败！\r\n\r\n错误信息(" + zv::Utf8ToUtf16(message) + u")。";
}

bool LoginWin::TakeInstanceMarker() {
    Display* display = GdkXDisplay();
    if (zv::FindLiveRootMarker(kInstanceMarker, display)) {
        Message(u"您已经有一个程序在运行了！", u"提醒信息", xf::kBoxWarning);
        xf::PostQuit();
        return false;
    }
    if (const zv::XWindowId xid = XidOf(NativeWindow())) {
        zv::SetRootMarker(kInstanceMarker, xid, display);
    }
    return true;
}

void LoginWin::OnCreate() {
    if (!TakeInstanceMarker()) {
        return;
    }
    Query("l.loading").SetVisible(false);
    Query("r.name").SetText(zv::Utf8ToUtf16(zv::ReadSessionName()));
}

void LoginWin::StartLogin() {
    const std::string user = zv::Utf16ToUtf8(Query("r.name").GetText());
    const std::string password = zv::Utf16ToUtf8(Query("r.pass").GetText());
    if (user.empty() || password.empty()) {
        MessageRes("s.login.error.empty", "s.msg.title", xf::kBoxWarning);
        return;
    }
    App& app = App::Instance();
    app.Record().BeginAttempt(zv::LoginEndpoints::FromHosts(zv::ApiHost(), zv::RouteHost()), user,
                              password);
    AsyncTask::Start(new WebLogin(app.Record(), &app.Inbox()));
    StartTimer(kLoginTimer, 100);
}

void LoginWin::OnClick(xfWidget& control) {
    const std::string& name = control.Name();
    if (name == "b.login") {
        StartLogin();
    } else if (name == "b.login.forgot") {
        if (!zv::OpenUri(zv::AccountHost() + "/forgetpwd")) {
            ZV_TRACE("LoginWin: the password page could not be opened");
        }
    }
}

void LoginWin::OnTimer(unsigned id) {
    xfWidget loading = Query("l.loading");
    loading.SetVisible(true);
    loading.SetImage(1, g_loadingFrame);
    if (++g_loadingFrame > kLastLoadingFrame) {
        g_loadingFrame = 0;
    }

    App& app = App::Instance();
    zv::LoginRecord& record = app.Record();
    if (record.LoggedIn()) {
        // The main window takes the picture results kept since the login.
        app.Inbox().Attach(&app.Main());
        app.Main().Create();
        StopTimer(id);
        if (!zv::WriteSessionName(zv::Utf16ToUtf8(Query("r.name").GetText()))) {
            ZV_TRACE("LoginWin: .session could not be written");
        }
        loading.SetVisible(false);
        SetVisible(false);
        return;
    }
    const std::string error = record.ErrorMessage();
    if (!error.empty()) {
        StopTimer(id);
        loading.SetVisible(false);
        Message(FailureText(error), u"提醒信息", xf::kBoxWarning);
    }
}
