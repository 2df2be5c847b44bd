#include "main_win.h"

#include "main_rules.h"
#include "platform/registry.h"
#include "platform/trace.h"
#include "platform/utf.h"
#include "xf_app.h"

namespace {

namespace bc = zv::broadcast;

// Each page view is asked for once per process.
bool g_chatViewRequested = false;
bool g_giftViewRequested = false;

// The process ends within 3 s of the close, also while an output is stuck in
// a connect to a silent ingest.
constexpr std::chrono::milliseconds kExitBudget{1000};

}  // namespace

MainWin::MainWin(const zv::WindowServices& services) : services_(services) {}

zv::MediaEngine* MainWin::Engine() {
    return engineReady_ ? &services_.engine.Engine() : nullptr;
}

void MainWin::Notice(const std::string& key, const std::string& caption,
                     const std::u16string& detail) {
    Message(zv::mainwin::WithMessage(Text(key.c_str()), detail), Text(caption.c_str()),
            xf::Box::kWarning);
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
    const zv::LoginReply reply = services_.record.Reply();
    broadcast_.allowRecord = reply.allowRecord;
    ApplyLooks(bc::LooksOf(broadcast_));
    Query("l.health").SetVisible(false);
    SetTitle(Text("s.title"));
    nickname_ = reply.nickname;
    signature_ = reply.signature;
    mute_.SetCheck(true);
    onlineCount_.SetText(u"1");

    SetHeadIcon(avatarPath_);
    SetLogo(logoPath_, logoPosition_, logoWidth_, logoHeight_);
    SetOnlineCount(onlineCountValue_);
    StartTimer(kLevelTimer, 100);
}

bool MainWin::OnClose() {
    Dispatch(bc::Event::Close());
    return broadcast_.closed;
}

void MainWin::OnTimer(unsigned id) {
    if (id == kSwitchLockTimer) {
        Dispatch(bc::Event::Tick());
        return;
    }
    if (id != kLevelTimer) {
        return;
    }
    sliderMic_.SetImage(5, zv::mainwin::LevelFrame(services_.engine.MixedLevel()));
    if (broadcast_.locked) {
        Dispatch(bc::Event::Tick());  // in case the lock's own timer was late
    }
    if (++levelTicks_ % 10 == 0) {
        ShowHealth();
    }
}

void MainWin::OnClick(xfWidget& control) {
    if (OnMediaClick(control)) {
        return;
    }
    if (control.IsSame(online_)) {
        Dispatch(bc::Event::Clicked(bc::Switch::kOnline, online_.GetCheck()));
    } else if (control.IsSame(record_)) {
        Dispatch(bc::Event::Clicked(bc::Switch::kRecord, record_.GetCheck()));
    } else if (control.IsSame(recordOnly_)) {
        Dispatch(bc::Event::Clicked(bc::Switch::kRecordOnly, recordOnly_.GetCheck()));
    } else if (control.Name() == "b.split") {
        ToggleSplit();
    }
}

void MainWin::Dispatch(const bc::Event& event) {
    // A box of an effect runs a nested loop that may dispatch further events;
    // the machine puts such effects last, so nothing of this step is stale.
    bc::Step step = bc::Next(broadcast_, event, bc::Clock::now());
    broadcast_ = step.state;
    if (!broadcast_.closed && broadcast_.phase != bc::Phase::kLive) {
        Query("l.health").SetVisible(false);
        lastBytes_ = 0;
    }
    for (const bc::Effect& effect : step.effects) {
        Apply(effect);
    }
}

void MainWin::Apply(const bc::Effect& effect) {
    using Kind = bc::Effect::Kind;
    switch (effect.kind) {
        case Kind::kRequestAddress:
            services_.requests.Room(zv::RoomAction::kGetUrl);
            break;
        case Kind::kStartStream:
            StartStream(effect.address);
            break;
        case Kind::kStopStream:
            if (zv::MediaEngine* engine = Engine()) {
                engine->StopStreaming();
            }
            break;
        case Kind::kStartRecord:
            services_.requests.Room(zv::RoomAction::kStartRecord);
            break;
        case Kind::kStopRecord:
            services_.requests.Room(zv::RoomAction::kStopRecord);
            break;
        case Kind::kShowStatus:
            Query("l.status")
                .SetText(effect.key.empty()
                             ? std::u16string()
                             : zv::mainwin::WithNumber(Text(effect.key.c_str()), effect.number));
            break;
        case Kind::kNotice:
            Notice(effect.key, effect.caption, effect.detail);
            break;
        case Kind::kLockSwitches:
            StartTimer(kSwitchLockTimer, static_cast<unsigned>(bc::kSwitchLock.count()));
            break;
        case Kind::kUnlockSwitches:
            StopTimer(kSwitchLockTimer);
            break;
        case Kind::kSwitchLooks:
            ApplyLooks(effect.looks);
            break;
        case Kind::kAskExit:
            Dispatch(bc::Event::CloseAnswer(
                MessageRes("s.exit", "s.msg.title", xf::Box::kQuestion) == xf::Answer::kOk));
            break;
        case Kind::kClose:
            CloseNow(effect.destroy);
            break;
    }
}

void MainWin::ApplyLooks(const bc::Looks& looks) {
    online_.SetCheck(looks.onlineChecked);
    record_.SetCheck(looks.recordChecked);
    recordOnly_.SetCheck(looks.recordOnlyChecked);
    Query("l.online").SetVisible(looks.onlineShown);
    Query("l.record").SetVisible(looks.recordShown);
    Query("l.recordonly").SetVisible(looks.recordOnlyShown);
    online_.SetEnabled(looks.enabled);
    record_.SetEnabled(looks.enabled);
    recordOnly_.SetEnabled(looks.enabled);
}

void MainWin::StartStream(const std::string& address) {
    zv::MediaEngine* engine = Engine();
    if (engine == nullptr) {
        Dispatch(bc::Event::Started(bc::StartOutcome::kNoEngine));
    } else if (engine->StartStreaming(address, false, "", "")) {
        Dispatch(bc::Event::Started(bc::StartOutcome::kStarted));
    } else {
        Dispatch(bc::Event::Started(bc::StartOutcome::kRefused, engine->LastStartFailureKey()));
    }
}

void MainWin::CloseNow(bool destroy) {
    StopTimer(kLevelTimer);
    StopTimer(kSwitchLockTimer);
    services_.engine.ReleaseForExit(kExitBudget);
    engineReady_ = false;
    if (destroy) {
        Destroy();
    }
    xf::PostQuit();
}

void MainWin::ShowHealth() {
    xfWidget health = Query("l.health");
    zv::MediaEngine* engine = Engine();
    if (broadcast_.phase != bc::Phase::kLive || engine == nullptr) {
        health.SetVisible(false);
        lastBytes_ = 0;
        return;
    }
    const zv::MediaEngine::OutputStats stats = engine->GetOutputStats();
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
    Dispatch(bc::Event::Stream(status));
}

void MainWin::OnCaptureProblem(zv::CaptureKind kind, zv::CaptureProblem problem) {
    ZV_TRACE("MainWin::OnCaptureProblem: %s",
             std::string(zv::CaptureProblemKey(kind, problem)).c_str());
    Dispatch(bc::Event::Capture(kind, problem));
}

void MainWin::OnWebapiEvent(const zv::RoomResult& result) {
    ZV_TRACE("MainWin::OnWebapiEvent: action=%s, ok=%d, msg=%s", zv::RoomActionName(result.action),
             result.ok() ? 1 : 0, result.text.c_str());
    Dispatch(bc::Event::Room(result));
}

void MainWin::OnJsUpdateRoster(int32_t count) {
    ZV_TRACE("MainWin::OnJsUpdateRoster: count=%u", static_cast<unsigned>(count));
    onlineCount_.SetText(zv::Utf8ToUtf16(std::to_string(static_cast<uint32_t>(count))));
}

void MainWin::OnJsKickout(const char16_t* message) {
    const std::u16string reason = message ? message : u"";
    ZV_TRACE("MainWin::OnJsKickout: msg=%s", zv::Utf16ToUtf8(reason).c_str());
    Dispatch(bc::Event::KickOut(reason));
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
    const zv::LoginReply reply = services_.record.Reply();
    const std::string& url = chat ? reply.chatUrl : reply.giftUrl;
    if (url.empty()) {
        // No page for this room: no view, and no web process kept for it.
        requested = true;
        ZV_TRACE("MainWin: no %s page address; no view", chat ? "chat" : "gift");
        return;
    }
    const xf::Rect r = control.GetRect();
    // Only the chat page reports to the window.
    requested = services_.pages.CreateView(area, r.Width(), r.Height(), url, chat ? this : nullptr);
}

void MainWin::OnBrowserCreated(GtkWidget* window) {
    // The views follow their areas by themselves: nothing to keep.
    (void)window;
}
