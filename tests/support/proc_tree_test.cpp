// Process-tree figures read from /proc, against processes of the test's own.
#include "support/proc_tree.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <ctime>
#include <thread>

namespace {

pid_t SpawnSleeper() {
    const pid_t pid = fork();
    if (pid == 0) {
        // A grandchild as well: the tree goes past direct children.
        if (fork() == 0) {
            execlp("sleep", "sleep", "30", nullptr);
            _exit(127);
        }
        execlp("sleep", "sleep", "30", nullptr);
        _exit(127);
    }
    return pid;
}

TEST(ProcTree, ATreeHoldsChildrenAndGrandchildrenAndGoneProcessesReadEmpty) {
    const pid_t child = SpawnSleeper();
    ASSERT_GT(child, 0);
    std::vector<pid_t> tree;
    for (int i = 0; i < 1000; ++i) {  // until both have exec'd, 20 s at most
        tree = zvtest::ProcessTree(getpid());
        if (tree.size() >= 3 && zvtest::ProcessName(tree.back()) == "sleep" &&
            zvtest::ProcessName(child) == "sleep") {
            break;
        }
        usleep(20000);
    }
    EXPECT_EQ(tree.front(), getpid());
    EXPECT_NE(std::find(tree.begin(), tree.end(), child), tree.end());
    EXPECT_GE(tree.size(), 3u) << "the grandchild is part of the tree";
    EXPECT_EQ(zvtest::ProcessName(child), "sleep");
    EXPECT_GT(zvtest::ProcessPssKiB(getpid()), 0);
    EXPECT_GE(zvtest::TreePssKiB(getpid()), zvtest::ProcessPssKiB(getpid()));

    for (const pid_t pid : tree) {
        if (pid != getpid()) {
            kill(pid, SIGKILL);
        }
    }
    waitpid(child, nullptr, 0);
    EXPECT_EQ(zvtest::ProcessName(child), "");
    EXPECT_EQ(zvtest::ProcessCpuSeconds(child), 0);
    EXPECT_EQ(zvtest::ProcessPssKiB(child), 0);
    EXPECT_EQ(zvtest::ProcessAnonymousKiB(child), 0);
}

TEST(ProcTree, AnonymousMemoryFollowsWhatTheProcessTouches) {
    const long before = zvtest::ProcessAnonymousKiB(getpid());
    ASSERT_GT(before, 0);
    // Mapped directly, so that no allocator keeps the pages after the end.
    constexpr size_t kBytes = 64u << 20;
    void* block = mmap(nullptr, kBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(block, MAP_FAILED);
    std::memset(block, 1, kBytes);  // every page made present
    const long after = zvtest::ProcessAnonymousKiB(getpid());
    EXPECT_GE(after - before, static_cast<long>(kBytes / 1024) * 9 / 10) << before << " " << after;
    EXPECT_GE(zvtest::TreeAnonymousKiB(getpid()), after);
    munmap(block, kBytes);
    EXPECT_LT(zvtest::ProcessAnonymousKiB(getpid()), after - static_cast<long>(kBytes / 1024) / 2)
        << "unmapped pages leave";
}

TEST(ProcTree, CpuSecondsGrowWithWork) {
    // Spin for a fixed amount of CPU time, not wall time: on a loaded machine
    // 300 ms of wall time may hold far less CPU.
    const auto cpuNow = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    };
    const double before = zvtest::ProcessCpuSeconds(getpid());
    const double start = cpuNow();
    volatile unsigned long spin = 0;
    while (cpuNow() - start < 0.3) {
        spin = spin + 1;
    }
    const double spent = cpuNow() - start;
    const double used = zvtest::ProcessCpuSeconds(getpid()) - before;
    // /proc counts in clock ticks (10 ms); allow a few of them either way.
    EXPECT_NEAR(used, spent, 0.05);
}

}  // namespace

TEST(ProcTree, ThreadNamesAreEveryThreadsOwn) {
    std::atomic<bool> named{false}, stop{false};
    std::thread worker([&] {
        pthread_setname_np(pthread_self(), "zv-named-thread");
        named = true;
        while (!stop) {
            std::this_thread::yield();
        }
    });
    while (!named) {
        std::this_thread::yield();
    }
    const std::vector<std::string> names = zvtest::ThreadNames(getpid());
    stop = true;
    worker.join();
    EXPECT_GE(names.size(), 2u);
    EXPECT_NE(std::find(names.begin(), names.end(), "zv-named-thread"), names.end());
    EXPECT_TRUE(zvtest::ThreadNames(999999999).empty());
}

TEST(ProcTree, MappedFilesAreTheLibrariesLoadedNow) {
    EXPECT_TRUE(zvtest::ProcessMaps(getpid(), "libc.so"));
    EXPECT_FALSE(zvtest::ProcessMaps(getpid(), "libzv-never-built.so"));
    // "[heap]" and "[stack]" are mappings without a path.
    EXPECT_FALSE(zvtest::ProcessMaps(getpid(), "heap]"));
    EXPECT_FALSE(zvtest::ProcessMaps(999999999, "libc.so"))
        << "a process that is gone maps nothing";
}
