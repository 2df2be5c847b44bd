#pragma once
// The first window: refuses a second running client, offers the remembered
// user name, signs in through the login task while a loading indicator turns,
// and on success opens the main window and hides itself for good.
#include <string>

#include "xf_window.h"

class LoginWin : public xfWindow {
public:
    void OnCreate() override;
    void OnTimer(unsigned id) override;
    void OnClick(xfWidget& control) override;

    // The loading indicator's next frame, 0 to 7; it runs on across attempts.
    static int LoadingFrame();
    // "登录失败！\r\n\r\n错误信息(<message>)。", whole however long.
    static std::u16string FailureText(const std::string& message);

    static constexpr const char* kInstanceMarker = "mutex.zelvio-main.40217755918.by.tovan.reel";
    static constexpr unsigned kLoginTimer = 1;

private:
    // False when another client runs (it has been said, and the loop ends).
    bool TakeInstanceMarker();
    void StartLogin();
};
