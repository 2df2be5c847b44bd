#include "output_worker.h"

namespace zv {

OutputWorker::OutputWorker() : thread_([this] { Run(); }) {}

OutputWorker::~OutputWorker() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        finishing_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void OutputWorker::Post(std::function<void()> job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (finishing_)
            return;
        jobs_.push_back(std::move(job));
    }
    changed_.notify_all();
}

bool OutputWorker::Finish(std::function<void()> job, std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!finishing_) {
        jobs_.push_back(std::move(job));
        finishing_ = true;
    }
    changed_.notify_all();
    return changed_.wait_for(lock, wait, [this] { return done_; });
}

bool OutputWorker::Done() {
    std::lock_guard<std::mutex> lock(mutex_);
    return done_;
}

void OutputWorker::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return finishing_ || !jobs_.empty(); });
        if (jobs_.empty())
            break;
        std::function<void()> job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        job();
        // The job's captured references go here, on this thread.
        job = nullptr;
        lock.lock();
    }
    done_ = true;
    lock.unlock();
    changed_.notify_all();
}

}  // namespace zv
