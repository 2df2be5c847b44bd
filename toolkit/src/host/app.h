#pragma once
// The process-wide application object: GTK start-up, the run loop of
// XUI_LOAD and the message hook that feeds the host's key filter.
#include <string>

#include "zudoz.h"

namespace HostWin {

class xApp {
public:
    // Created on the first XUI_LOAD or XUI_WIN_REGISTER*; starts GTK when a
    // display can be opened.
    static xApp& Instance();
    bool hasDisplay() const { return display_; }

    // XUI_LOAD: the whole sequence; 0 after a run, -1 when loading failed.
    int load(AppHandler* app, const std::string& packagePath, const char* language);

private:
    xApp();
    bool display_ = false;
};

}  // namespace HostWin
