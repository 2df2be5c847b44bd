#pragma once
// The broadcaster's working window: the preview and the sources, the sound,
// the profile, the live, record and record-only switches with the status
// line, and the chat and gift pages. What the switches do is decided by the
// broadcast state machine (broadcast.h); the window turns toolkit, engine,
// page and platform events into its events and applies its effects.
#include <cstdint>
#include <string>

#include "av_core_event.h"
#include "broadcast.h"
#include "web_event_receiver.h"
#include "web_view_callback.h"
#include "window_services.h"
#include "xf_window.h"

class MainWin : public xfWindow,
                public zv::AVCoreEvent,
                public zv::browser::WebViewCallback,
                public zv::WebEventReceiver {
public:
    explicit MainWin(const zv::WindowServices& services);

    void OnCreate() override;
    bool OnClose() override;
    void OnTimer(unsigned id) override;
    void OnClick(xfWidget& control) override;
    void OnRawCreate(xfWidget& control, GtkWidget* native) override;
    void OnValueChange(xfWidget& control) override;
    void OnRawSize(xfWidget& control) override;

    // The web tasks' reports, on the UI thread (the inbox hands them over).
    void OnWebapiEvent(const zv::RoomResult& result) override;
    void SetHeadIcon(const std::string& path) override;
    void SetLogo(const std::string& path, int32_t position, int32_t width, int32_t height) override;
    void SetOnlineCount(uint32_t count);

    // The engine.
    void OnAudioLevel(float level) override;
    void OnStreamStatus(const zv::StreamStatus& status) override;
    void OnCaptureProblem(zv::CaptureKind kind, zv::CaptureProblem problem) override;

    // The chat page.
    void OnJsUpdateRoster(int32_t count) override;
    void OnJsKickout(const char16_t* message) override;
    void OnBrowserCreated(GtkWidget* window) override;

    bool Created() const { return created_; }
    const zv::broadcast::State& Broadcast() const { return broadcast_; }

    static constexpr unsigned kLevelTimer = 1111;
    static constexpr unsigned kSwitchLockTimer = 321;

private:
    // Broadcast state: one event in, its effects applied in order.
    void Dispatch(const zv::broadcast::Event& event);
    void Apply(const zv::broadcast::Effect& effect);
    void ApplyLooks(const zv::broadcast::Looks& looks);
    void StartStream(const std::string& address);
    void CloseNow(bool destroy);
    void ShowHealth();
    void Notice(const std::string& key, const std::string& caption, const std::u16string& detail);
    // The engine once it started, else null.
    zv::MediaEngine* Engine();

    // Media controls.
    bool OnMediaClick(xfWidget& control);
    void StartEngine(GtkWidget* preview);
    void SelectSource(const char* button);
    void ChooseVideoFile();
    void WindowMenu();
    void CameraMenu();
    void MergeMenu();
    void MicrophoneMenu();
    void ShowTab(bool preview);
    void ToggleSplit();
    void ShowProfile();
    // The whole-desktop entry of the window menu, in the package's words.
    std::string DesktopEntry();

    zv::WindowServices services_;
    std::string microphoneDevice_;
    std::string cameraDevice_;
    std::string captureWindow_;  // empty: the whole desktop
    int32_t mergeCorner_ = 1;
    xfWidget sliderMic_, mute_, userImage_, userName_, userMemo_, onlineCount_, online_, record_,
        recordOnly_;
    bool created_ = false;
    std::string nickname_, signature_, avatarPath_;
    uint32_t onlineCountValue_ = 1;
    bool expanded_ = true;
    std::string logoPath_;
    int32_t logoPosition_ = 0, logoWidth_ = 0, logoHeight_ = 0;

    GtkWidget* chatArea_ = nullptr;
    GtkWidget* giftArea_ = nullptr;
    bool engineReady_ = false;
    zv::broadcast::State broadcast_;
    int levelTicks_ = 0;
    uint64_t lastBytes_ = 0;
};
