#pragma once
// The inspection file for tests and scripted sessions: while the variable
// ZUDOZ_INSPECT names a file, the state of every window, message box and
// popup menu on screen is kept in it as JSON (see window/inspect.h),
// rewritten at most every 50 ms and only when it changed. Without the
// variable nothing runs.
#include <memory>

#include "window/inspect.h"

namespace Vcl::inspect {
class ChangeWriter;
}

namespace HostWin {

class Inspector {
public:
    // Starts the 50 ms timer when ZUDOZ_INSPECT is set and not empty.
    Inspector();
    // Stops it and records that no window is left.
    ~Inspector();
    Inspector(const Inspector&) = delete;
    Inspector& operator=(const Inspector&) = delete;

    // What is on screen now: the windows of the window list whose native
    // window exists, then the open message dialogs and popup menus.
    static Vcl::inspect::Snapshot Take();

private:
    static int Tick(void* self);

    std::unique_ptr<Vcl::inspect::ChangeWriter> writer_;
    unsigned timer_ = 0;
    bool failing_ = false;
};

}  // namespace HostWin
