// Needs an X server (DISPLAY); the test command runs under Xvfb.
#include "platform/root_marker.h"
#include "platform/x_display.h"

// gtest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
// clang-format on
#include <unistd.h>

#include <string>

class RootMarker : public ::testing::Test {
protected:
    void SetUp() override {
        display_ = zv::OpenXDisplay();
        ASSERT_NE(display_, nullptr) << "no X display";
        name_ = "mutex.zvtest." + std::to_string(getpid()) + "." +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }
    void TearDown() override {
        if (display_ != nullptr) {
            zv::ClearRootMarker(name_);
            XCloseDisplay(display_);
        }
    }
    Window MakeWindow() {
        Window w =
            XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 10, 10, 0, 0, 0);
        XSync(display_, False);
        return w;
    }
    Display* display_ = nullptr;
    std::string name_;
};

TEST_F(RootMarker, AbsentMarkerIsNotFound) {
    EXPECT_FALSE(zv::FindLiveRootMarker(name_));
}

TEST_F(RootMarker, LiveWindowIsFoundFromAnotherConnection) {
    Window w = MakeWindow();
    ASSERT_TRUE(zv::SetRootMarker(name_, w, display_));
    auto found = zv::FindLiveRootMarker(name_);  // private connection
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(*found, w);
    XDestroyWindow(display_, w);
}

TEST_F(RootMarker, AWindowOfTheAskingConnectionIsNeverAnotherOwner) {
    // What a killed owner's successor sees: the marker names an id that the
    // server has since handed to the successor's own connection.
    Window w = MakeWindow();
    ASSERT_TRUE(zv::SetRootMarker(name_, w, display_));
    EXPECT_FALSE(zv::FindLiveRootMarker(name_, display_));
    EXPECT_TRUE(zv::FindLiveRootMarker(name_).has_value()) << "still live for everyone else";
    XDestroyWindow(display_, w);
}

TEST_F(RootMarker, DestroyedWindowMakesTheMarkerStale) {
    Window w = MakeWindow();
    ASSERT_TRUE(zv::SetRootMarker(name_, w));
    XDestroyWindow(display_, w);
    XSync(display_, False);
    EXPECT_FALSE(zv::FindLiveRootMarker(name_));
    EXPECT_FALSE(zv::FindLiveRootMarker(name_, display_));
}

TEST_F(RootMarker, ClearedMarkerIsGone) {
    Window w = MakeWindow();
    ASSERT_TRUE(zv::SetRootMarker(name_, w));
    zv::ClearRootMarker(name_);
    EXPECT_FALSE(zv::FindLiveRootMarker(name_));
    XDestroyWindow(display_, w);
}

TEST_F(RootMarker, BogusIdIsNotLive) {
    ASSERT_TRUE(zv::SetRootMarker(name_, 0x7ffffff1));
    EXPECT_FALSE(zv::FindLiveRootMarker(name_));
}
