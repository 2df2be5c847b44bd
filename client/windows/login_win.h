#pragma once
// The first window: refuses a second running client, offers the remembered
// user name, signs in through the login task while a loading indicator turns,
// and on success opens the main window and hides itself for good.
#include <string>

#include "window_services.h"
#include "xf_window.h"

class MainWin;

class LoginWin : public xfWindow {
public:
    // `main` is created once the login is accepted.
    LoginWin(const zv::WindowServices& services, MainWin& main);

    void OnCreate() override;
    void OnTimer(unsigned id) override;
    void OnClick(xfWidget& control) override;

    static constexpr const char* kInstanceMarker = "mutex.zelvio-main.40217755918.by.tovan.reel";
    static constexpr unsigned kLoginTimer = 1;

private:
    // False when another client runs (it has been said, and the loop ends).
    bool TakeInstanceMarker();
    void StartLogin();
    // The failure box's text for the record's failed attempt.
    std::u16string FailureText() const;

    zv::WindowServices services_;
    MainWin& main_;
};
