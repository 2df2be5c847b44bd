#pragma once
// The client's side of the toolkit's application callbacks: start and end,
// the key filter and the after-message hook, as virtual operations.
#include <cstdint>
#include <string>

#include "zudoz.h"

namespace xf {

struct Modifiers {
    bool alt = false;
    bool shift = false;
    bool control = false;
};

// The state of Alt, Shift and Control while `msg` is being filtered: the
// event's own state, the keyboard's state now, and the key itself when it is
// one of the three (down while pressed, up once released).
Modifiers ModifiersOf(const XuiMsg& msg);

// Ends the toolkit's loop once the current event has been handled (the quit
// message; the loop's result stays 0).
void PostQuit();

}  // namespace xf

class xfApp : public AppHandler {
public:
    xfApp() = default;
    virtual ~xfApp() = default;
    xfApp(const xfApp&) = delete;
    xfApp& operator=(const xfApp&) = delete;

    void onRun(int starting) override;
    // Key down and up reach OnKey; nonzero consumes the key.
    int preTranslate(XuiMsg* msg) override;
    void afterMessage(XuiMsg* msg) override { (void)msg; }

    virtual void OnInit() {}
    virtual void OnExit() {}
    virtual int OnKey(bool keyUp, bool control, bool shift, bool alt, uint32_t virtualKey);

    // Loads the package and runs the loop (XUI_LOAD): 0 after a run, -1 when
    // the package or the first window could not be made.
    int Run(const std::string& packagePath, const char* language);
};
