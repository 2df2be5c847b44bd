#include "main_win.h"

#include <gtk/gtk.h>

#include <chrono>

#include "app.h"
#include "async_task.h"
#include "av_core.h"
#include "levels.h"
#include "main_rules.h"
#include "platform/registry.h"
#include "platform/trace.h"
#include "platform/ui_queue.h"
#include "platform/utf.h"
#include "web_room.h"
#include "xf_app.h"

namespace {

// Each page view is asked for once per process.
bool g_chatViewRequested = false;
bool g_giftViewRequested = false;

constexpr const char* kLiveText = "正在直播中...";
constexpr const char* kLiveRecordingText = "正在直播、录制中...";
constexpr const char* kRecordOnlyText = "正在录制中(不直播!)...";
constexpr const char16_t* kNoticeCaption = u"提示信息";
// The process ends within 3 s of the close, also while an output is stuck in
// a connect to a silent ingest.
constexpr std::chrono::milliseconds kExitBudget{1000};

}  // namespace

MainWin::MainWin() : captureWindow_(zv::mainwin::kWholeDesktopEntry) {}

bool MainWin::AllowRecord() const {
    return App::Instance().Record().Reply().allowRecord;
}

void MainWin::Notice(const std::u16string& text) {
    Message(text, kNoticeCaption, xf::kBoxWarning);
}

void MainWin::OnCreate() {
    created_ = true;
    sliderMic_ = Query("slider.mic");
    mute_ = Query("c.mute");
    userImage_ = Query("p.user.image");
    userName_ = Query("l.user.name");
    userMemo_ = Query("l.user.memo");
    onlineCount_ = Query("l.online.count");
    online_ = Query("c.online");
    record_ = Query("c.record");
    recordOnly_ = Query("c.recordonly");

    // A copy that was never installed by the updater has no version to show.
    const std::string version = zv::ReadInstalledVersion();
    Query("l.version").SetText(version.empty() ? u"" : zv::Utf8ToUtf16("V" + version));
    const bool allowRecord = AllowRecord();
    Query("l.record").SetVisible(allowRecord);
    Query("l.recordonly").SetVisible(allowRecord);
    Query("l.health").SetVisible(false);
    if (GtkWidget* native = NativeWindow(); native && GTK_IS_WINDOW(native)) {
        gtk_window_set_title(GTK_WINDOW(native), zv::Utf16ToUtf8(Text("s.title")).c_str());
    }
    const zv::LoginReply reply = App::Instance().Record().Reply();
    nickname_ = reply.nickname;
    signature_ = reply.signature;
    mute_.SetCheck(true);
    onlineCount_.SetText(u"1");

    SetHeadIcon(avatarPath_);
    SetLogo(logoPath_, logoPosition_, logoWidth_, logoHeight_);
    SetOnlineCount(onlineCountValue_);
    StartTimer(kLevelTimer, 100);
}

void MainWin::OnClose(int* allow) {
    *allow = 1;
    if (online_.GetCheck() &&
        MessageRes("s.exit", "s.msg.title", xf::kBoxQuestion) == xf::kAnswerCancel) {
        *allow = 0;
        return;
    }
    StopTimer(kLevelTimer);
    zv::AVCore::ReleaseForExit(kExitBudget);
    engineReady_ = false;
    xf::PostQuit();
}

void MainWin::OnTimer(unsigned id) {
    if (id == kSwitchLockTimer) {
        StopTimer(id);
        online_.SetEnabled(true);
        record_.SetEnabled(true);
        recordOnly_.SetEnabled(true);
        return;
    }
    if (id != kLevelTimer) {
        return;
    }
    sliderMic_.SetImage(5, zv::mainwin::LevelFrame(zv::MixedLevel()));
    if (++levelTicks_ % 10 == 0) {
        ShowHealth();
    }
}

void MainWin::OnClick(xfWidget& control) {
    if (OnMediaClick(control)) {
        return;
    }
    if (control.IsSame(online_) || control.IsSame(record_) || control.IsSame(recordOnly_)) {
        OnSwitchClicked(control);
        return;
    }
    if (control.Name() == "b.split") {
        ToggleSplit();
    }
}

void MainWin::LockSwitches() {
    StartTimer(kSwitchLockTimer, 300);
    online_.SetEnabled(false);
    record_.SetEnabled(false);
    recordOnly_.SetEnabled(false);
}

void MainWin::OnSwitchClicked(xfWidget& control) {
    App& app = App::Instance();
    zv::LoginRecord& rec = app.Record();
    WebEventInbox& inbox = app.Inbox();
    if (control.IsSame(online_)) {
        if (online_.GetCheck()) {
            recordOnlyRequest_ = false;
            AsyncTask::Start(new WebGetURL(rec, inbox));
        } else {
            mode_ = Mode::kIdle;
            if (engineReady_) {
                zv::AVCore::Instance()->StopStreaming();
            }
            if (record_.GetCheck()) {
                AsyncTask::Start(new WebStopRecord(rec, inbox));
            }
            Query("l.recordonly").SetVisible(AllowRecord());
            Query("l.status").SetText(u"");
        }
    } else if (control.IsSame(recordOnly_)) {
        if (recordOnly_.GetCheck()) {
            recordOnlyRequest_ = true;
            AsyncTask::Start(new WebGetURL(rec, inbox));
        } else {
            mode_ = Mode::kIdle;
            if (engineReady_) {
                zv::AVCore::Instance()->StopStreaming();
            }
            Query("l.online").SetVisible(true);
            Query("l.record").SetVisible(true);
            Query("l.status").SetText(u"");
        }
    } else if (record_.GetCheck()) {
        AsyncTask::Start(new WebStartRecord(rec, inbox));
    } else {
        AsyncTask::Start(new WebStopRecord(rec, inbox));
    }
    LockSwitches();
}

void MainWin::StartStream(const std::string& pushAddress) {
    const bool recordOnly = recordOnlyRequest_;
    const std::string address = recordOnly ? zv::mainwin::RecordAddress(pushAddress) : pushAddress;
    const bool started =
        engineReady_ && zv::AVCore::Instance()->StartStreaming(address, false, "", "");
    (recordOnly ? recordOnly_ : online_).SetCheck(started);
    if (started) {
        mode_ = recordOnly ? Mode::kRecordOnly : Mode::kLive;
        Query("l.online").SetVisible(!recordOnly);
        Query("l.record").SetVisible(!recordOnly && AllowRecord());
        Query("l.recordonly").SetVisible(recordOnly);
        ShowStatus();
        return;
    }
    BackToIdle();
    Notice(Text(engineReady_ ? "s.stream.error.start" : "s.stream.error.engine"));
}

void MainWin::BackToIdle() {
    mode_ = Mode::kIdle;
    online_.SetCheck(false);
    recordOnly_.SetCheck(false);
    Query("l.online").SetVisible(true);
    Query("l.record").SetVisible(AllowRecord());
    Query("l.recordonly").SetVisible(AllowRecord());
    Query("l.health").SetVisible(false);
}

void MainWin::ShowStatus() {
    xfWidget status = Query("l.status");
    if (mode_ == Mode::kIdle) {
        return;
    }
    switch (stream_.state) {
        case zv::StreamState::Live:
            if (mode_ == Mode::kRecordOnly) {
                status.SetText(zv::Utf8ToUtf16(kRecordOnlyText));
            } else {
                status.SetText(
                    zv::Utf8ToUtf16(record_.GetCheck() ? kLiveRecordingText : kLiveText));
            }
            break;
        case zv::StreamState::Reconnecting:
            status.SetText(
                zv::mainwin::WithNumber(Text("s.stream.reconnecting"), stream_.retryDelaySec));
            break;
        default:
            status.SetText(Text("s.stream.connecting"));
            break;
    }
}

void MainWin::ShowHealth() {
    xfWidget health = Query("l.health");
    if (mode_ == Mode::kIdle || !engineReady_ || stream_.state != zv::StreamState::Live) {
        health.SetVisible(false);
        lastBytes_ = 0;
        return;
    }
    const zv::AVCore::OutputStats stats = zv::AVCore::Instance()->GetOutputStats();
    const uint64_t sent = stats.totalBytes >= lastBytes_ ? stats.totalBytes - lastBytes_ : 0;
    const bool first = lastBytes_ == 0;
    lastBytes_ = stats.totalBytes;
    if (first) {
        return;  // a rate needs two readings a second apart
    }
    health.SetText(zv::mainwin::HealthText(Text("s.health"), sent * 8 / 1000, stats.droppedFrames));
    health.SetVisible(true);
}

void MainWin::OnStreamStatus(const zv::StreamStatus& status) {
    stream_ = status;
    if (mode_ == Mode::kIdle) {
        return;  // a stop the user asked for, or an output already given up
    }
    if (status.state == zv::StreamState::Failed) {
        const bool wasRecording = record_.GetCheck();
        BackToIdle();
        const std::u16string reason = Text(zv::StreamFailureKey(status.code));
        Query("l.status").SetText(reason);
        if (wasRecording) {
            App& app = App::Instance();
            AsyncTask::Start(new WebStopRecord(app.Record(), app.Inbox()));
        }
        Notice(reason);
        return;
    }
    ShowStatus();
}

void MainWin::OnWebapiEvent(const std::string& action, bool ok, const std::string& message) {
    ZV_TRACE("MainWin::OnWebapiEvent: action=%s, ok=%d, msg=%s", action.c_str(), ok ? 1 : 0,
             message.c_str());
    if (action == "geturl") {
        // The switch may have been turned off while the platform answered:
        // the answer acts on the switches as they are now.
        if (!(recordOnlyRequest_ ? recordOnly_ : online_).GetCheck()) {
            ZV_TRACE("MainWin: push address for a switch that is off; not started");
            return;
        }
        if (ok) {
            StartStream(message);
        } else {
            BackToIdle();
            Notice(zv::Utf8ToUtf16(message));
        }
    } else if (action == "startrecord") {
        record_.SetCheck(ok);
        if (ok && online_.GetCheck()) {
            ShowStatus();
        }
        if (!ok) {
            Notice(zv::Utf8ToUtf16(message));
        }
    } else if (action == "stoprecord") {
        record_.SetCheck(!ok);
        if (ok && online_.GetCheck()) {
            ShowStatus();
        }
        if (!ok) {
            Notice(zv::Utf8ToUtf16(message));
        }
    }
}

void MainWin::OnJsUpdateRoster(int32_t count) {
    ZV_TRACE("MainWin::OnJsUpdateRoster: count=%u", static_cast<unsigned>(count));
    onlineCount_.SetText(zv::Utf8ToUtf16(std::to_string(static_cast<uint32_t>(count))));
}

void MainWin::OnJsKickout(const char16_t* message) {
    const std::u16string reason = message ? message : u"";
    ZV_TRACE("MainWin::OnJsKickout: msg=%s", zv::Utf16ToUtf8(reason).c_str());
    mode_ = Mode::kIdle;
    if (engineReady_) {
        zv::AVCore::Instance()->StopStreaming();
    }
    Message(u"您已被踢出！\r\n" + reason.substr(0, 1024), u"提醒信息", xf::kBoxWarning);
    StopTimer(kLevelTimer);
    zv::AVCore::ReleaseForExit(kExitBudget);
    engineReady_ = false;
    Destroy();
    xf::PostQuit();
}

void MainWin::OnRawSize(xfWidget& control) {
    const std::string& name = control.Name();
    const bool chat = name == "r.chat";
    if (!chat && name != "r.gift") {
        return;
    }
    bool& requested = chat ? g_chatViewRequested : g_giftViewRequested;
    GtkWidget* area = chat ? chatArea_ : giftArea_;
    // Once made, a view follows its area by itself (the browser keeps its
    // distances to the area's edges).
    if (requested || area == nullptr) {
        return;
    }
    zv::browser::BrowserApp* browser = App::Instance().Browser();
    if (browser == nullptr) {
        return;
    }
    requested = true;
    const zv::LoginReply reply = App::Instance().Record().Reply();
    const std::string& url = chat ? reply.chatUrl : reply.giftUrl;
    if (url.empty()) {
        // No page for this room: no view, and no web process kept for it.
        ZV_TRACE("MainWin: no %s page address; no view", chat ? "chat" : "gift");
        return;
    }
    const xf::Rect r = control.GetRect();
    // Only the chat page reports to the window.
    browser->CreateView(area, {0, 0, r.Width(), r.Height()}, url, chat ? this : nullptr);
}

void MainWin::OnBrowserCreated(GtkWidget* window) {
    GtkWidget* parent = window ? gtk_widget_get_parent(window) : nullptr;
    if (parent != nullptr && parent == chatArea_) {
        chatView_ = window;
    } else if (parent != nullptr && parent == giftArea_) {
        giftView_ = window;
    }
}
