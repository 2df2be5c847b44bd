#pragma once
// The broadcaster's working window: the preview and the sources, the sound,
// the profile, the live, record and record-only switches with the status
// line, and the chat and gift pages.
#include <cstdint>
#include <string>

#include "av_core_event.h"
#include "web_event_receiver.h"
#include "web_view_callback.h"
#include "xf_window.h"

class MainWin : public xfWindow,
                public zv::AVCoreEvent,
                public zv::browser::WebViewCallback,
                public zv::WebEventReceiver {
public:
    MainWin();

    void OnCreate() override;
    void OnClose(int* allow) override;
    void OnTimer(unsigned id) override;
    void OnClick(xfWidget& control) override;
    void OnRawCreate(xfWidget& control, GtkWidget* native) override;
    void OnValueChange(xfWidget& control) override;
    void OnRawSize(xfWidget& control) override;

    // The web tasks' reports, on the UI thread (the inbox hands them over).
    void OnWebapiEvent(const std::string& action, bool ok, const std::string& message) override;
    void SetHeadIcon(const std::string& path) override;
    void SetLogo(const std::string& path, int32_t position, int32_t width, int32_t height) override;
    void SetOnlineCount(uint32_t count);

    // The engine.
    void OnAudioLevel(float level) override;
    void OnStreamStatus(const zv::StreamStatus& status) override;

    // The chat page.
    void OnJsUpdateRoster(int32_t count) override;
    void OnJsKickout(const char16_t* message) override;
    void OnBrowserCreated(GtkWidget* window) override;

    bool Created() const { return created_; }

    static constexpr unsigned kLevelTimer = 1111;
    static constexpr unsigned kSwitchLockTimer = 321;

private:
    enum class Mode { kIdle, kLive, kRecordOnly };

    // Broadcast state.
    void OnSwitchClicked(xfWidget& control);
    void LockSwitches();
    void StartStream(const std::string& pushAddress);
    void BackToIdle();
    void ShowStatus();
    void ShowHealth();
    bool AllowRecord() const;
    void Notice(const std::u16string& text);

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

    std::string microphoneDevice_;
    std::string cameraDevice_;
    std::string captureWindow_;
    int32_t mergeCorner_ = 1;
    xfWidget sliderMic_, mute_, userImage_, userName_, userMemo_, onlineCount_, online_, record_,
        recordOnly_;
    bool created_ = false;
    std::string nickname_, signature_, avatarPath_;
    uint32_t onlineCountValue_ = 1;
    bool expanded_ = true;
    std::string logoPath_;
    int32_t logoPosition_ = 0, logoWidth_ = 0, logoHeight_ = 0;
    GtkWidget* chatView_ = nullptr;
    GtkWidget* giftView_ = nullptr;
    bool recordOnlyRequest_ = false;

    GtkWidget* chatArea_ = nullptr;
    GtkWidget* giftArea_ = nullptr;
    bool engineReady_ = false;
    Mode mode_ = Mode::kIdle;
    zv::StreamStatus stream_;
    int levelTicks_ = 0;
    uint64_t lastBytes_ = 0;
};
