#include "platform/x_display.h"

#include <X11/Xlib.h>

#include <chrono>
#include <thread>

#include "platform/trace.h"

namespace zv {

bool RetryDisplayConnection(bool (*attempt)(void* context), void* context) {
    for (int i = 0; i < kDisplayAttempts; ++i) {
        if (attempt(context)) {
            return true;
        }
        ZV_TRACE("display connection failed (attempt %d of %d)", i + 1, kDisplayAttempts);
        if (i + 1 < kDisplayAttempts) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kDisplayRetryMs));
        }
    }
    return false;
}

Display* OpenXDisplay(const char* name) {
    struct Attempt {
        const char* name;
        Display* display;
    } state{name, nullptr};
    RetryDisplayConnection(
        [](void* context) {
            auto* s = static_cast<Attempt*>(context);
            s->display = XOpenDisplay(s->name);
            return s->display != nullptr;
        },
        &state);
    return state.display;
}

}  // namespace zv
