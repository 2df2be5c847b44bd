#pragma once
// The client's side of the toolkit's application callbacks: start and end
// and the after-message hook, as virtual operations.
#include <string>

#include "zudoz.h"

namespace xf {

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
    // The client consumes no key: every key goes on to the toolkit.
    int preTranslate(XuiMsg* msg) override {
        (void)msg;
        return 0;
    }
    void afterMessage(XuiMsg* msg) override { (void)msg; }

    virtual void OnInit() {}
    virtual void OnExit() {}

    // Loads the package and runs the loop (XUI_LOAD): 0 after a run, -1 when
    // the package or the first window could not be made.
    int Run(const std::string& packagePath, const char* language);
};
