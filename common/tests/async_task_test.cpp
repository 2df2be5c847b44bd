#include "async_task.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// Journal shared by the tasks of one test; tests wait on it.
class Journal {
public:
    void Add(std::string entry) {
        std::lock_guard<std::mutex> lock(mutex_);
        entries_.push_back(std::move(entry));
        changed_.notify_all();
    }
    bool WaitFor(size_t count, std::chrono::seconds limit = std::chrono::seconds(10)) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return entries_.size() >= count; });
    }
    std::vector<std::string> Entries() {
        std::lock_guard<std::mutex> lock(mutex_);
        return entries_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> entries_;
};

class FnTask : public AsyncTask {
public:
    FnTask(Journal& journal, std::string name, std::function<void()> body = {})
        : journal_(journal), name_(std::move(name)), body_(std::move(body)) {}
    ~FnTask() override { journal_.Add(name_ + ":deleted"); }
    void Run() override {
        journal_.Add(name_ + ":run");
        if (body_) {
            body_();
        }
    }
    void OnComplete() override { journal_.Add(name_ + ":complete"); }

private:
    Journal& journal_;
    std::string name_;
    std::function<void()> body_;
};

}  // namespace

// Ids count per process, so this test must be the first to start a task.
TEST(AsyncTask, FirstTaskOfTheProcessGetsIdOneThenConsecutive) {
    Journal journal;
    EXPECT_EQ(AsyncTask::Start(new FnTask(journal, "a")), 1u);
    EXPECT_EQ(AsyncTask::Start(new FnTask(journal, "b")), 2u);
    EXPECT_EQ(AsyncTask::Start(new FnTask(journal, "c")), 3u);
    ASSERT_TRUE(journal.WaitFor(9));
}

TEST(AsyncTask, TasksRunInStartOrderEachFinishedBeforeTheNext) {
    Journal journal;
    AsyncTask::Start(new FnTask(
        journal, "slow", [] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }));
    AsyncTask::Start(new FnTask(journal, "fast"));
    ASSERT_TRUE(journal.WaitFor(6));
    EXPECT_EQ(journal.Entries(),
              (std::vector<std::string>{"slow:run", "slow:complete", "slow:deleted", "fast:run",
                                        "fast:complete", "fast:deleted"}));
}

TEST(AsyncTask, TaskStartedInsideRunRunsAfterTheCurrentOneIsDeleted) {
    Journal journal;
    uint32_t innerId = 0;
    uint32_t outerId = AsyncTask::Start(new FnTask(journal, "outer", [&] {
        innerId = AsyncTask::Start(new FnTask(journal, "inner"));
        journal.Add("outer:started-inner");
    }));
    ASSERT_TRUE(journal.WaitFor(7));
    EXPECT_EQ(journal.Entries(),
              (std::vector<std::string>{"outer:run", "outer:started-inner", "outer:complete",
                                        "outer:deleted", "inner:run", "inner:complete",
                                        "inner:deleted"}));
    EXPECT_EQ(innerId, outerId + 1);
}

TEST(AsyncTask, ThrowingTaskIsDeletedAndTheWorkerGoesOn) {
    Journal journal;
    AsyncTask::Start(new FnTask(journal, "bad", [] { throw std::runtime_error("boom"); }));
    AsyncTask::Start(new FnTask(journal, "good"));
    ASSERT_TRUE(journal.WaitFor(5));
    EXPECT_EQ(journal.Entries(), (std::vector<std::string>{"bad:run", "bad:deleted", "good:run",
                                                           "good:complete", "good:deleted"}));
}

TEST(AsyncTask, ManyProducersGetUniqueIdsAndEveryTaskRunsOnce) {
    constexpr int kThreads = 8;
    constexpr int kEach = 250;
    std::atomic<int> runs{0};
    std::mutex idsMutex;
    std::set<uint32_t> ids;
    std::set<std::thread::id> workerThreads;

    class Counting : public AsyncTask {
    public:
        Counting(std::atomic<int>& r, std::mutex& m, std::set<std::thread::id>& w)
            : runs_(r), mutex_(m), workers_(w) {}
        void Run() override {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                workers_.insert(std::this_thread::get_id());
            }
            ++runs_;
        }

    private:
        std::atomic<int>& runs_;
        std::mutex& mutex_;
        std::set<std::thread::id>& workers_;
    };

    std::vector<std::thread> producers;
    for (int t = 0; t < kThreads; ++t) {
        producers.emplace_back([&] {
            for (int i = 0; i < kEach; ++i) {
                uint32_t id = AsyncTask::Start(new Counting(runs, idsMutex, workerThreads));
                std::lock_guard<std::mutex> lock(idsMutex);
                ids.insert(id);
            }
        });
    }
    for (auto& p : producers) {
        p.join();
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (runs < kThreads * kEach && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(runs.load(), kThreads * kEach);
    std::lock_guard<std::mutex> lock(idsMutex);
    EXPECT_EQ(ids.size(), static_cast<size_t>(kThreads * kEach));
    EXPECT_EQ(*ids.rbegin() - *ids.begin() + 1, static_cast<uint32_t>(kThreads * kEach));
    // One worker thread, never the producers.
    EXPECT_EQ(workerThreads.size(), 1u);
}

TEST(AsyncTask, OnlyOneTaskRunsAtATime) {
    std::atomic<int> active{0};
    std::atomic<int> maxActive{0};
    std::atomic<int> done{0};
    class Overlap : public AsyncTask {
    public:
        Overlap(std::atomic<int>& a, std::atomic<int>& m, std::atomic<int>& d)
            : active_(a), max_(m), done_(d) {}
        void Run() override {
            int now = ++active_;
            int seen = max_.load();
            while (now > seen && !max_.compare_exchange_weak(seen, now)) {
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            --active_;
            ++done_;
        }

    private:
        std::atomic<int>& active_;
        std::atomic<int>& max_;
        std::atomic<int>& done_;
    };
    std::thread a([&] {
        for (int i = 0; i < 50; ++i)
            AsyncTask::Start(new Overlap(active, maxActive, done));
    });
    std::thread b([&] {
        for (int i = 0; i < 50; ++i)
            AsyncTask::Start(new Overlap(active, maxActive, done));
    });
    a.join();
    b.join();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (done < 100 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(done.load(), 100);
    EXPECT_EQ(maxActive.load(), 1);
}
