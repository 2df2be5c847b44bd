// Prints how fast an idle worker picks up a task, how fast the UI hand-over
// delivers, and what an idle worker costs in processor time.
#include <glib.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "async_task.h"
#include "platform/main_loop.h"
#include "platform/ui_queue.h"

namespace {

using Clock = std::chrono::steady_clock;

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * static_cast<double>(v.size() - 1))];
}

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

class Stamp : public AsyncTask {
public:
    Stamp(Clock::time_point posted, std::atomic<double>& out) : posted_(posted), out_(out) {}
    void Run() override {
        out_ = std::chrono::duration<double, std::micro>(Clock::now() - posted_).count();
    }

private:
    Clock::time_point posted_;
    std::atomic<double>& out_;
};

}  // namespace

int main() {
    constexpr int kSamples = 500;
    std::vector<double> taskLatency;
    for (int i = 0; i < kSamples; ++i) {
        std::atomic<double> result{-1};
        AsyncTask::Start(new Stamp(Clock::now(), result));
        while (result < 0) {
            std::this_thread::yield();
        }
        taskLatency.push_back(result);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));  // let the worker go idle
    }
    std::printf("task start latency on an idle worker: median %.1f us, p99 %.1f us, max %.1f us\n",
                Percentile(taskLatency, 0.5), Percentile(taskLatency, 0.99),
                Percentile(taskLatency, 1.0));

    const double cpuBefore = ProcessCpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double idleCpu = ProcessCpuSeconds() - cpuBefore;
    std::printf("idle worker: %.4f CPU-seconds over 2 s\n", idleCpu);

    GMainContext* context = g_main_context_new();
    std::vector<double> handOver;
    {
        zv::UiQueue queue(context);
        for (int i = 0; i < kSamples; ++i) {
            std::atomic<double> result{-1};
            std::thread producer([&] {
                const auto posted = Clock::now();
                queue.Post([&, posted] {
                    result =
                        std::chrono::duration<double, std::micro>(Clock::now() - posted).count();
                });
            });
            const bool delivered =
                zv::RunLoopUntil([&] { return result >= 0; }, std::chrono::seconds(10),
                                 zv::LoopWait::kBlock, context);
            producer.join();
            if (!delivered) {
                std::fprintf(stderr, "task_latency: a hand-over never arrived\n");
                return 1;
            }
            handOver.push_back(result);
        }
    }
    g_main_context_unref(context);
    std::printf("UI hand-over latency (blocked loop woken): median %.1f us, p99 %.1f us\n",
                Percentile(handOver, 0.5), Percentile(handOver, 0.99));
    return 0;
}
