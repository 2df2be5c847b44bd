// The worker that takes an output's blocking calls off the UI thread: order,
// bounded waits, and nothing lost or run twice.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "output_worker.h"

namespace {

using namespace std::chrono_literals;
using zv::OutputWorker;

TEST(OutputWorker, RunsJobsInOrderOffTheCallingThread) {
    std::vector<int> order;
    std::vector<std::thread::id> threads;
    {
        OutputWorker worker;
        for (int i = 0; i < 50; ++i) {
            worker.Post([&, i] {
                order.push_back(i);
                threads.push_back(std::this_thread::get_id());
            });
        }
        EXPECT_TRUE(worker.Finish([&] { order.push_back(50); }, 5s));
        EXPECT_TRUE(worker.Done());
        // Nothing is accepted after the last job.
        worker.Post([&] { order.push_back(-1); });
    }
    ASSERT_EQ(order.size(), 51u);
    for (int i = 0; i <= 50; ++i)
        EXPECT_EQ(order[static_cast<size_t>(i)], i);
    for (const std::thread::id& id : threads)
        EXPECT_NE(id, std::this_thread::get_id());
}

TEST(OutputWorker, FinishReturnsInBoundedTimeWhileAJobBlocks) {
    std::promise<void> release;
    std::shared_future<void> gate = release.get_future().share();
    std::atomic<bool> lastRan{false};
    auto worker = std::make_unique<OutputWorker>();
    worker->Post([gate] { gate.wait(); });
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(worker->Finish([&] { lastRan = true; }, 100ms));
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
    EXPECT_FALSE(worker->Done());
    EXPECT_FALSE(lastRan);
    release.set_value();
    // Destruction waits for the queued jobs: the last one still runs.
    worker.reset();
    EXPECT_TRUE(lastRan);
}

TEST(OutputWorker, CapturedReferencesAreDroppedOnTheWorker) {
    // A job's captures stand for libobs references: their last release must
    // happen on the worker, not on the thread that queued them.
    struct Probe {
        std::atomic<std::thread::id>* where;
        ~Probe() { *where = std::this_thread::get_id(); }
    };
    std::atomic<std::thread::id> where{};
    {
        OutputWorker worker;
        auto probe = std::make_shared<Probe>(&where);
        EXPECT_TRUE(worker.Finish([probe = std::move(probe)] {}, 5s));
    }
    EXPECT_NE(where.load(), std::thread::id{});
    EXPECT_NE(where.load(), std::this_thread::get_id());
}

}  // namespace
