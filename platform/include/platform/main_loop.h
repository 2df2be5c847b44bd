#pragma once
// Runs a GLib main context until a condition holds: for tests, benchmarks and
// scripted tools that act as the UI thread without a GTK main loop of their own.
//
// Must be called on the thread that may own `context` (null = the default
// context); functions posted with zv::PostToUi run inside these calls.
#include <chrono>
#include <functional>

typedef struct _GMainContext GMainContext;

namespace zv {

// How the context is waited on while nothing is ready.
enum class LoopWait {
    // Non-blocking iterations with a 2 ms sleep whenever nothing was
    // dispatched: `done` is also checked while nothing happens on the loop.
    kPoll,
    // Blocks in the context's own poll, so a source that becomes ready is
    // dispatched at once; a 10 ms tick bounds each wait, so `done` is checked
    // at least that often and the time-out is honoured while idle.
    kBlock,
};

// Iterates `context` until `done()` holds or `timeout` has passed; true when
// `done()` held. `done` is checked before the first iteration and once more
// after the deadline, so a condition met by the last dispatch still counts.
bool RunLoopUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                  LoopWait wait = LoopWait::kPoll, GMainContext* context = nullptr);

// Iterates `context` for `duration` (to let pending work and stray events
// arrive).
void RunLoopFor(std::chrono::milliseconds duration, LoopWait wait = LoopWait::kPoll,
                GMainContext* context = nullptr);

}  // namespace zv
