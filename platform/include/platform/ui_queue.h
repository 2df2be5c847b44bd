#pragma once
// The one hand-over from any thread to the UI thread: functions posted here
// run on the GLib main context of the UI thread, one at a time, in the order
// they were posted (also when posted from the UI thread itself: they never run
// inside the Post call).
#include <functional>
#include <memory>

typedef struct _GMainContext GMainContext;

namespace zv {

class UiQueue {
public:
    // Queue that dispatches on `context` (null = the default main context).
    explicit UiQueue(GMainContext* context = nullptr);
    // Pending functions that have not run are dropped (destroyed unrun).
    ~UiQueue();
    UiQueue(const UiQueue&) = delete;
    UiQueue& operator=(const UiQueue&) = delete;

    // Thread-safe. Exceptions escaping `fn` are caught and traced.
    void Post(std::function<void()> fn);

    // Number of functions posted but not yet run (for tests and diagnostics).
    size_t Pending() const;

    // The process-wide queue on the default main context.
    static UiQueue& Main();

    struct State;  // shared with the dispatching source; opaque

private:
    std::shared_ptr<State> state_;
};

// Shorthand for UiQueue::Main().Post(fn).
inline void PostToUi(std::function<void()> fn) {
    UiQueue::Main().Post(std::move(fn));
}

}  // namespace zv
