#pragma once
// The broadcaster's working window. For now it shows the profile of the
// signed-in broadcaster and the installed version; closing it ends the
// program.
#include <cstdint>
#include <string>

#include "web_event_receiver.h"
#include "xf_window.h"

class MainWin : public xfWindow, public zv::WebEventReceiver {
public:
    void OnCreate() override;
    void OnClose(int* allow) override;

    // UI thread (the inbox hands the web tasks' reports over).
    void OnWebapiEvent(const std::string& action, bool ok, const std::string& message) override;
    void SetHeadIcon(const std::string& path) override;
    void SetLogo(const std::string& path, int32_t position, int32_t width, int32_t height) override;
    void SetOnlineCount(uint32_t count);

    bool Created() const { return created_; }

private:
    void ShowProfile();

    bool created_ = false;
    xfWidget userImage_, userName_, userMemo_, onlineCount_;
    std::string nickname_, signature_, avatarPath_;
    uint32_t onlineCountValue_ = 1;
    std::string logoPath_;
    int32_t logoPosition_ = 0, logoWidth_ = 0, logoHeight_ = 0;
};
