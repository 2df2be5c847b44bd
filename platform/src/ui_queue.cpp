#include "platform/ui_queue.h"

#include <glib.h>

#include <deque>
#include <exception>
#include <mutex>

#include "platform/trace.h"

namespace zv {

// Shared with the idle source that drains the queue, so a source still
// attached after the queue object is gone finds the state alive and empty.
struct UiQueue::State {
    GMainContext* context = nullptr;
    mutable std::mutex mutex;
    std::deque<std::function<void()>> pending;
    bool scheduled = false;
    bool closed = false;
};

namespace {

using StatePtr = std::shared_ptr<UiQueue::State>;

void RunGuarded(std::function<void()>& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        ZV_TRACE("UiQueue: posted function threw: %s", e.what());
    } catch (...) {
        ZV_TRACE("UiQueue: posted function threw");
    }
}

// Runs the functions that were pending when the dispatch began; later ones
// wait for the next dispatch so a busy producer cannot starve the loop.
gboolean Drain(gpointer data) {
    auto& state = *static_cast<StatePtr*>(data);
    size_t batch;
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        batch = state->pending.size();
    }
    for (size_t i = 0; i < batch; ++i) {
        std::function<void()> fn;
        {
            std::lock_guard<std::mutex> lock(state->mutex);
            if (state->pending.empty()) {
                break;
            }
            fn = std::move(state->pending.front());
            state->pending.pop_front();
        }
        RunGuarded(fn);
    }
    std::lock_guard<std::mutex> lock(state->mutex);
    if (state->pending.empty() || state->closed) {
        state->scheduled = false;
        return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
}

void ReleaseState(gpointer data) {
    delete static_cast<StatePtr*>(data);
}

}  // namespace

UiQueue::UiQueue(GMainContext* context) : state_(std::make_shared<State>()) {
    state_->context = context != nullptr ? g_main_context_ref(context)
                                         : g_main_context_ref(g_main_context_default());
}

UiQueue::~UiQueue() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->closed = true;
        dropped.swap(state_->pending);
    }
    // `dropped` is destroyed here, outside the lock.
    g_main_context_unref(state_->context);
    state_->context = nullptr;
}

void UiQueue::Post(std::function<void()> fn) {
    if (!fn) {
        return;
    }
    GMainContext* context;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        if (state_->closed) {
            return;
        }
        state_->pending.push_back(std::move(fn));
        if (state_->scheduled) {
            return;
        }
        state_->scheduled = true;
        context = g_main_context_ref(state_->context);
    }
    GSource* source = g_idle_source_new();
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_callback(source, Drain, new StatePtr(state_), ReleaseState);
    g_source_attach(source, context);  // also wakes the context
    g_source_unref(source);
    g_main_context_unref(context);
}

size_t UiQueue::Pending() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->pending.size();
}

UiQueue& UiQueue::Main() {
    // Never destroyed: workers may still post while static destructors run.
    static UiQueue* queue = new UiQueue(nullptr);
    return *queue;
}

}  // namespace zv
