#include "main_win.h"

#include <gtk/gtk.h>

#include "app.h"
#include "platform/registry.h"
#include "platform/trace.h"
#include "platform/utf.h"
#include "xf_app.h"

void MainWin::OnCreate() {
    created_ = true;
    userImage_ = Query("p.user.image");
    userName_ = Query("l.user.name");
    userMemo_ = Query("l.user.memo");
    onlineCount_ = Query("l.online.count");

    Query("l.version").SetText(zv::Utf8ToUtf16("V" + zv::ReadInstalledVersion()));
    const zv::LoginReply reply = App::Instance().Record().Reply();
    Query("l.record").SetVisible(reply.allowRecord);
    Query("l.recordonly").SetVisible(reply.allowRecord);
    if (GtkWidget* native = NativeWindow(); native && GTK_IS_WINDOW(native)) {
        gtk_window_set_title(GTK_WINDOW(native), zv::Utf16ToUtf8(Text("s.title")).c_str());
    }
    nickname_ = reply.nickname;
    signature_ = reply.signature;
    Query("c.mute").SetCheck(true);
    onlineCount_.SetText(u"1");

    SetHeadIcon(avatarPath_);
    SetLogo(logoPath_, logoPosition_, logoWidth_, logoHeight_);
    SetOnlineCount(onlineCountValue_);
}

void MainWin::OnClose(int* allow) {
    *allow = 1;
    xf::PostQuit();
}

void MainWin::OnWebapiEvent(const std::string& action, bool ok, const std::string& message) {
    ZV_TRACE("MainWin::OnWebapiEvent: action=%s, ok=%d, msg=%s", action.c_str(), ok ? 1 : 0,
             message.c_str());
}

void MainWin::ShowProfile() {
    userName_.SetText(zv::Utf8ToUtf16(nickname_));
    userMemo_.SetText(zv::Utf8ToUtf16(signature_));
    if (!avatarPath_.empty()) {
        userImage_.SetImagePath(avatarPath_);
    }
}

void MainWin::SetHeadIcon(const std::string& path) {
    avatarPath_ = path;
    if (created_) {
        ShowProfile();
    }
}

void MainWin::SetLogo(const std::string& path, int32_t position, int32_t width, int32_t height) {
    logoPath_ = path;
    logoPosition_ = position;
    logoWidth_ = width;
    logoHeight_ = height;
}

void MainWin::SetOnlineCount(uint32_t count) {
    onlineCountValue_ = count;
    if (created_) {
        onlineCount_.SetText(zv::Utf8ToUtf16(std::to_string(count)));
    }
}
