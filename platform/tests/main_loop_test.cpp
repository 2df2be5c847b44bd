#include "platform/main_loop.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A private context pushed as this thread's default for the test's length,
// so a source left behind cannot reach other tests.
class PrivateContext {
public:
    PrivateContext() : context_(g_main_context_new()) {}
    ~PrivateContext() { g_main_context_unref(context_); }
    PrivateContext(const PrivateContext&) = delete;
    PrivateContext& operator=(const PrivateContext&) = delete;
    GMainContext* get() const { return context_; }

    // A one-shot timer on this context that sets `flag`.
    void SetAfter(guint milliseconds, bool* flag) const {
        GSource* source = g_timeout_source_new(milliseconds);
        g_source_set_callback(
            source,
            [](gpointer data) -> gboolean {
                *static_cast<bool*>(data) = true;
                return G_SOURCE_REMOVE;
            },
            flag, nullptr);
        g_source_attach(source, context_);
        g_source_unref(source);
    }

private:
    GMainContext* context_;
};

class MainLoop : public ::testing::TestWithParam<zv::LoopWait> {};

INSTANTIATE_TEST_SUITE_P(BothWaits, MainLoop,
                         ::testing::Values(zv::LoopWait::kPoll, zv::LoopWait::kBlock),
                         [](const ::testing::TestParamInfo<zv::LoopWait>& param) {
                             return param.param == zv::LoopWait::kPoll ? "Poll" : "Block";
                         });

TEST_P(MainLoop, ConditionAlreadyTrueReturnsWithoutDispatching) {
    PrivateContext context;
    bool fired = false;
    context.SetAfter(0, &fired);
    EXPECT_TRUE(zv::RunLoopUntil([] { return true; }, 1s, GetParam(), context.get()));
    EXPECT_FALSE(fired);
}

TEST_P(MainLoop, ConditionMetByADispatchedSource) {
    PrivateContext context;
    bool fired = false;
    context.SetAfter(50, &fired);
    EXPECT_TRUE(zv::RunLoopUntil([&] { return fired; }, 10s, GetParam(), context.get()));
}

TEST_P(MainLoop, TimesOutWhenTheConditionNeverHolds) {
    PrivateContext context;
    int checks = 0;
    const auto start = Clock::now();
    EXPECT_FALSE(zv::RunLoopUntil(
        [&] {
            ++checks;
            return false;
        },
        100ms, GetParam(), context.get()));
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, 100ms);
    EXPECT_LT(elapsed, 5s);  // an idle blocking wait must not outlive the deadline
    // Checked repeatedly while nothing was dispatched, not once per event.
    EXPECT_GT(checks, 3);
}

TEST_P(MainLoop, NoticesAConditionSetOnAnotherThreadWithoutAnyEvent) {
    PrivateContext context;
    std::atomic<bool> set{false};
    std::thread setter([&] {
        std::this_thread::sleep_for(50ms);
        set = true;
    });
    EXPECT_TRUE(zv::RunLoopUntil([&] { return set.load(); }, 10s, GetParam(), context.get()));
    setter.join();
}

TEST_P(MainLoop, PumpsOnlyTheGivenContext) {
    PrivateContext pumped, other;
    bool pumpedFired = false, otherFired = false;
    pumped.SetAfter(0, &pumpedFired);
    other.SetAfter(0, &otherFired);
    EXPECT_TRUE(zv::RunLoopUntil([&] { return pumpedFired; }, 10s, GetParam(), pumped.get()));
    zv::RunLoopFor(50ms, GetParam(), pumped.get());
    EXPECT_FALSE(otherFired);
}

TEST_P(MainLoop, NullMeansTheGlobalDefaultContextNotTheThreadDefault) {
    PrivateContext context;
    g_main_context_push_thread_default(context.get());
    bool fired = false;
    context.SetAfter(10, &fired);
    const bool held = zv::RunLoopUntil([&] { return fired; }, 200ms, GetParam(), nullptr);
    g_main_context_pop_thread_default(context.get());
    // Null is the context zv::PostToUi dispatches on, whatever the thread
    // pushed: the private context's source must not have run.
    EXPECT_FALSE(held);
    EXPECT_FALSE(fired);
}

TEST_P(MainLoop, LeavesNoSourceBehind) {
    PrivateContext context;
    zv::RunLoopFor(30ms, GetParam(), context.get());
    std::this_thread::sleep_for(30ms);
    // A wake-up timer left attached would be ready by now.
    EXPECT_FALSE(g_main_context_pending(context.get()));
}

TEST_P(MainLoop, RunForDispatchesWhatBecomesReadyAndLastsItsDuration) {
    PrivateContext context;
    bool fired = false;
    context.SetAfter(20, &fired);
    const auto start = Clock::now();
    zv::RunLoopFor(150ms, GetParam(), context.get());
    EXPECT_GE(Clock::now() - start, 150ms);
    EXPECT_TRUE(fired);
}

}  // namespace
