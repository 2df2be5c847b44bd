#include "login_win.h"

#include "main_rules.h"
#include "main_win.h"
#include "native_ui.h"
#include "platform/endpoints.h"
#include "platform/launch.h"
#include "platform/trace.h"
#include "platform/utf.h"
#include "session_file.h"
#include "xf_app.h"

namespace {

int g_loadingFrame = 0;  // process-wide: a new attempt goes on from here

constexpr int kLastLoadingFrame = 7;

}  // namespace

LoginWin::LoginWin(const zv::WindowServices& services, MainWin& main)
    : services_(services), main_(main) {}

bool LoginWin::TakeInstanceMarker() {
    if (xf::InstanceMarkerHeld(kInstanceMarker)) {
        MessageRes("s.login.running", "s.msg.title", xf::Box::kWarning);
        xf::PostQuit();
        return false;
    }
    xf::HoldInstanceMarker(kInstanceMarker, NativeWindow());
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
        MessageRes("s.login.error.empty", "s.msg.title", xf::Box::kWarning);
        return;
    }
    services_.record.BeginAttempt(zv::LoginEndpoints::FromHosts(zv::ApiHost(), zv::RouteHost()),
                                  user, password);
    services_.requests.Login();
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

std::u16string LoginWin::FailureText() const {
    const std::string message = services_.record.ErrorMessage();
    std::u16string reason;
    switch (services_.record.Failure()) {
        case zv::LoginFailure::kNoReason:
            reason = Text("s.login.noreason");
            break;
        case zv::LoginFailure::kUnreadable:
            reason = zv::mainwin::WithMessage(Text("s.login.unreadable"), zv::Utf8ToUtf16(message));
            break;
        default:
            reason = zv::Utf8ToUtf16(message);
            break;
    }
    // Shown whole, however long.
    return zv::mainwin::WithMessage(Text("s.login.failed"), reason);
}

void LoginWin::OnTimer(unsigned id) {
    xfWidget loading = Query("l.loading");
    loading.SetVisible(true);
    loading.SetImage(1, g_loadingFrame);
    if (++g_loadingFrame > kLastLoadingFrame) {
        g_loadingFrame = 0;
    }

    zv::LoginRecord& record = services_.record;
    if (record.LoggedIn()) {
        // The main window takes the picture results kept since the login.
        services_.inbox.Attach(&main_);
        main_.Create();
        StopTimer(id);
        if (!zv::WriteSessionName(zv::Utf16ToUtf8(Query("r.name").GetText()))) {
            ZV_TRACE("LoginWin: .session could not be written");
        }
        loading.SetVisible(false);
        SetVisible(false);
        return;
    }
    if (record.Failure() != zv::LoginFailure::kNone) {
        StopTimer(id);
        loading.SetVisible(false);
        Message(FailureText(), Text("s.msg.title"), xf::Box::kWarning);
    }
}
