#pragma once
// Runs the libobs calls on one output that can block off the UI thread. Stop,
// forced stop and the final release of an RTMP output join its connect
// thread, which waits for the ingest's handshake up to the connect timeout
// (about 30 s against a server that accepts and never answers). Each output
// gets a worker of its own: its calls stay in order, and an old output stuck
// in a connect never delays the next one.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace zv {

class OutputWorker {
public:
    OutputWorker();
    // Runs the jobs still queued, then joins the thread.
    ~OutputWorker();
    OutputWorker(const OutputWorker&) = delete;
    OutputWorker& operator=(const OutputWorker&) = delete;

    // Queues a job; ignored after Finish().
    void Post(std::function<void()> job);
    // Queues the last job and waits up to `wait` for every job to have run.
    // True when they have; otherwise they go on running in the background.
    bool Finish(std::function<void()> job, std::chrono::milliseconds wait);
    // True once the last job has run.
    bool Done();

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> jobs_;
    bool finishing_ = false;
    bool done_ = false;
    std::thread thread_;
};

}  // namespace zv
