#include "platform/ui_queue.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/main_loop.h"

namespace {

// A private main context, iterated by the test thread acting as UI thread.
class Loop {
public:
    Loop() : context_(g_main_context_new()) {}
    ~Loop() { g_main_context_unref(context_); }
    GMainContext* get() const { return context_; }

    // Iterates until `done` or ten seconds pass; true when done.
    bool RunUntil(const std::function<bool()>& done) {
        return zv::RunLoopUntil(done, std::chrono::seconds(10), zv::LoopWait::kPoll, context_);
    }

private:
    GMainContext* context_;
};

}  // namespace

TEST(UiQueue, RunsOnTheLoopThreadInPostedOrder) {
    Loop loop;
    zv::UiQueue queue(loop.get());
    std::vector<int> order;
    const auto uiThread = std::this_thread::get_id();
    std::thread producer([&] {
        for (int i = 0; i < 100; ++i) {
            queue.Post([&, i] {
                EXPECT_EQ(std::this_thread::get_id(), uiThread);
                order.push_back(i);
            });
        }
    });
    producer.join();
    ASSERT_TRUE(loop.RunUntil([&] { return order.size() == 100; }));
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(order[i], i);
    }
}

TEST(UiQueue, PostFromTheLoopThreadNeverRunsInline) {
    Loop loop;
    zv::UiQueue queue(loop.get());
    std::vector<std::string> events;
    queue.Post([&] {
        events.push_back("outer-begin");
        queue.Post([&] { events.push_back("inner"); });
        events.push_back("outer-end");
    });
    queue.Post([&] { events.push_back("second"); });
    ASSERT_TRUE(loop.RunUntil([&] { return events.size() == 4; }));
    EXPECT_EQ(events, (std::vector<std::string>{"outer-begin", "outer-end", "second", "inner"}));
}

TEST(UiQueue, ManyProducersKeepPerProducerOrderAndLoseNothing) {
    Loop loop;
    zv::UiQueue queue(loop.get());
    constexpr int kProducers = 8;
    constexpr int kEach = 500;
    std::map<int, std::vector<int>> seen;
    std::atomic<int> total{0};
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p) {
        producers.emplace_back([&, p] {
            for (int i = 0; i < kEach; ++i) {
                queue.Post([&, p, i] {
                    seen[p].push_back(i);
                    ++total;
                });
            }
        });
    }
    // Dispatch while the producers are still posting.
    ASSERT_TRUE(loop.RunUntil([&] { return total == kProducers * kEach; }));
    for (auto& t : producers) {
        t.join();
    }
    for (int p = 0; p < kProducers; ++p) {
        ASSERT_EQ(seen[p].size(), static_cast<size_t>(kEach));
        for (int i = 0; i < kEach; ++i) {
            ASSERT_EQ(seen[p][i], i);
        }
    }
    EXPECT_EQ(queue.Pending(), 0u);
}

TEST(UiQueue, ThrowingFunctionDoesNotStopTheQueue) {
    Loop loop;
    zv::UiQueue queue(loop.get());
    bool after = false;
    queue.Post([] { throw std::runtime_error("boom"); });
    queue.Post([&] { after = true; });
    EXPECT_TRUE(loop.RunUntil([&] { return after; }));
}

TEST(UiQueue, DestroyingTheQueueDropsPendingFunctionsUnrun) {
    Loop loop;
    auto ran = std::make_shared<int>(0);
    std::weak_ptr<int> watch = ran;
    {
        zv::UiQueue queue(loop.get());
        queue.Post([ran] { ++*ran; });
        EXPECT_EQ(queue.Pending(), 1u);
    }
    int observed = *ran;
    ran.reset();
    // The captured copy was destroyed with the queue, not leaked.
    EXPECT_TRUE(watch.expired());
    // Iterating afterwards must not touch the dropped function.
    zv::RunLoopFor(std::chrono::milliseconds(20), zv::LoopWait::kPoll, loop.get());
    EXPECT_EQ(observed, 0);
}

TEST(UiQueue, MainQueueDispatchesOnDefaultContext) {
    bool ran = false;
    zv::PostToUi([&] { ran = true; });
    EXPECT_TRUE(zv::RunLoopUntil([&] { return ran; }, std::chrono::seconds(5)));
}
