// Needs an X server (DISPLAY); the test command runs under Xvfb.
#include "platform/x_display.h"

#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
// clang-format on
#include <thread>
#include <vector>

#include "platform/gtk_init.h"

TEST(XDisplay, RetryStopsAtTheFirstSuccessAndGivesUpAfterTheLimit) {
    int calls = 0;
    auto succeedThird = [](void* c) { return ++*static_cast<int*>(c) == 3; };
    EXPECT_TRUE(zv::RetryDisplayConnection(succeedThird, &calls));
    EXPECT_EQ(calls, 3);
    calls = 0;
    auto never = [](void* c) {
        ++*static_cast<int*>(c);
        return false;
    };
    EXPECT_FALSE(zv::RetryDisplayConnection(never, &calls));
    EXPECT_EQ(calls, zv::kDisplayAttempts);
}

TEST(XDisplay, UnreachableDisplayGivesNull) {
    EXPECT_EQ(zv::OpenXDisplay(":4093"), nullptr);
}

// Many clients connecting while others disconnect: the server drops some new
// connections at such moments; with the retries every open succeeds.
TEST(XDisplay, ConnectsUnderConnectionChurn) {
    constexpr int kThreads = 4;
    constexpr int kEach = 60;
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kEach; ++i) {
                Display* d = zv::OpenXDisplay();
                if (d == nullptr) {
                    ++failures;
                    continue;
                }
                XSync(d, False);
                XCloseDisplay(d);
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(failures.load(), 0);
}

TEST(XDisplay, GtkInitSucceedsAndIsRepeatable) {
    EXPECT_TRUE(zv::InitGtk());
    EXPECT_TRUE(zv::InitGtk());
    EXPECT_NE(gdk_display_get_default(), nullptr);
}
