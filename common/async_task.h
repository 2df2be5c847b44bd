#pragma once
// Background tasks: every blocking exchange runs as a task on one worker
// thread per process, one task at a time, first in, first out. The worker
// deletes each task after its Run (and OnComplete) returned.
#include <cstdint>

class AsyncTask {
public:
    virtual ~AsyncTask() = default;

    // The task's work, on the worker thread. Must not throw: an escaping
    // exception is caught and traced, and the task is still deleted.
    virtual void Run() = 0;

    // Called on the worker thread right after Run returns.
    virtual void OnComplete() {}

    // Hands `task` (created with new) to the process-wide queue and returns
    // its id: 1 for the first task of the process, then 2, 3, ...
    // Ownership passes to the queue. Safe from any thread, including from a
    // task's Run; such a task runs after the current one has been deleted.
    static uint32_t Start(AsyncTask* task);

    uint32_t id = 0;
};
