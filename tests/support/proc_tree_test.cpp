// Process-tree figures read from /proc, against processes of the test's own.
#include "support/proc_tree.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

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
    for (int i = 0; i < 100; ++i) {  // until both have exec'd
        tree = zvtest::ProcessTree(getpid());
        if (tree.size() >= 3 && zvtest::ProcessName(tree.back()) == "sleep") {
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
}

TEST(ProcTree, CpuSecondsGrowWithWork) {
    const double before = zvtest::ProcessCpuSeconds(getpid());
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    volatile unsigned long spin = 0;
    while (std::chrono::steady_clock::now() < end) {
        spin = spin + 1;
    }
    const double used = zvtest::ProcessCpuSeconds(getpid()) - before;
    EXPECT_GT(used, 0.2);
    EXPECT_LT(used, 0.6);
}

}  // namespace
