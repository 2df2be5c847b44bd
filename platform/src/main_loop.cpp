#include "platform/main_loop.h"

#include <glib.h>

namespace zv {

namespace {

constexpr gulong kPollSleepMicroseconds = 2000;
constexpr guint kBlockTickMilliseconds = 10;

// A do-nothing timer on `context` that wakes a blocked iteration.
class Tick {
public:
    explicit Tick(GMainContext* context) : source_(g_timeout_source_new(kBlockTickMilliseconds)) {
        g_source_set_callback(
            source_, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr, nullptr);
        g_source_attach(source_, context);
    }
    ~Tick() {
        g_source_destroy(source_);
        g_source_unref(source_);
    }
    Tick(const Tick&) = delete;
    Tick& operator=(const Tick&) = delete;

private:
    GSource* source_;
};

}  // namespace

bool RunLoopUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                  LoopWait wait, GMainContext* context) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    if (done()) {
        return true;
    }
    if (wait == LoopWait::kBlock) {
        const Tick tick(context);
        while (std::chrono::steady_clock::now() < deadline) {
            g_main_context_iteration(context, TRUE);
            if (done()) {
                return true;
            }
        }
        return false;
    }
    while (std::chrono::steady_clock::now() < deadline) {
        if (!g_main_context_iteration(context, FALSE)) {
            g_usleep(kPollSleepMicroseconds);
        }
        if (done()) {
            return true;
        }
    }
    return false;
}

void RunLoopFor(std::chrono::milliseconds duration, LoopWait wait, GMainContext* context) {
    RunLoopUntil([] { return false; }, duration, wait, context);
}

}  // namespace zv
