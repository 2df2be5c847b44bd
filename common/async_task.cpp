#include "async_task.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/trace.h"

namespace {

// The process-wide queue and its worker. Created by the first Start and never
// torn down: the worker ends with the process. The worker sleeps on a
// condition variable, so an idle worker costs nothing and a new task starts
// at once.
class TaskQueue {
public:
    static TaskQueue& Instance() {
        // Leaked on purpose: the detached worker may still be using it while
        // static destructors run at exit.
        static TaskQueue* queue = new TaskQueue();
        return *queue;
    }

    uint32_t Push(AsyncTask* task) {
        uint32_t id;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            id = ++sequence_;
            task->id = id;
            tasks_.push_back(task);
        }
        ready_.notify_one();
        return id;
    }

private:
    TaskQueue() {
        std::thread([this] { Work(); }).detach();
    }

    void Work() {
        for (;;) {
            AsyncTask* task;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                ready_.wait(lock, [this] { return !tasks_.empty(); });
                task = tasks_.front();
                tasks_.pop_front();
            }
            RunAndDelete(task);
        }
    }

    static void RunAndDelete(AsyncTask* task) {
        std::unique_ptr<AsyncTask> owned(task);
        try {
            owned->Run();
            owned->OnComplete();
        } catch (const std::exception& e) {
            ZV_TRACE("AsyncTask: task %u threw: %s", owned->id, e.what());
        } catch (...) {
            ZV_TRACE("AsyncTask: task %u threw", owned->id);
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<AsyncTask*> tasks_;
    uint32_t sequence_ = 0;
};

}  // namespace

uint32_t AsyncTask::Start(AsyncTask* task) {
    return TaskQueue::Instance().Push(task);
}
