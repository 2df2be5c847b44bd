// The installed client started as a person would, each test on an X server
// of its own with a window manager: without its package it ends with -1; a
// second client stops at the running one's marker with one message box; a
// marker that names no window (or a window that is gone) does not block;
// whatever the outcome, the updater beside the program is started once, with
// no arguments, after the client has ended.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <signal.h>

#include "support/client_harness.h"

namespace {

using clienttest::ClientHome;
using clienttest::ClientInstall;
using clienttest::StartClient;

constexpr const char* kRunning = "您已经有一个程序在运行了！";

class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        if (!display_.problem().empty()) {
            GTEST_SKIP() << display_.problem();
        }
    }
    clienttest::ClientRun Run() const { return {.display = display_.name()}; }

    // The login window's X id once it is on screen; 0 when it did not come up.
    unsigned long WaitLogin(zvtest::InspectedProgram& client) {
        if (!client.waitShown("w.login", 20000)) {
            ADD_FAILURE() << "the login window did not come up:\n" << client.log();
            return 0;
        }
        return client.window("w.login")["xid"].asUInt64();
    }

    zvtest::OwnDisplay display_;
};

TEST_F(Startup, WithoutItsPackageTheClientEndsWithMinusOneAndStillStartsTheUpdater) {
    ClientInstall install(/*withPackage=*/false);
    ClientHome home;
    auto client = StartClient(install, home, Run());
    ASSERT_TRUE(client->started());
    EXPECT_EQ(client->waitExit(20000), 255) << client->log();
    ASSERT_TRUE(install.waitUpdaterStarts(1)) << "the updater was not started:\n" << client->log();
    EXPECT_EQ(install.updaterStarts(), std::vector<std::string>{"args=0 "});
    EXPECT_EQ(zvtest::RootWindowProperty(display_.name(), clienttest::kInstanceMarker), 0u)
        << "no window was created, so no marker may be set";
    EXPECT_TRUE(client->state()["windows"].empty()) << client->state().toStyledString();
    EXPECT_FALSE(home.hasSession());
}

TEST_F(Startup, ASecondClientWarnsOnceEndsWithZeroAndStartsTheUpdater) {
    ClientInstall install;
    ClientHome firstHome, secondHome;
    auto first = StartClient(install, firstHome, Run());
    const unsigned long firstXid = WaitLogin(*first);
    ASSERT_NE(firstXid, 0u);
    ASSERT_EQ(zvtest::RootWindowProperty(display_.name(), clienttest::kInstanceMarker), firstXid)
        << "the running client marks the root window with its login window";

    auto second = StartClient(install, secondHome, Run());
    const Json::Value box = second->waitMessageBox(20000);
    ASSERT_FALSE(box.isNull()) << second->log();
    EXPECT_EQ(box["text"].asString(), kRunning);
    EXPECT_EQ(box["caption"].asString(), "提醒信息");
    EXPECT_EQ(box["flags"].asInt(), 48);
    ASSERT_EQ(box["buttons"].size(), 1u);
    EXPECT_EQ(box["buttons"][0].asString(), "ok");
    EXPECT_EQ(second->messageBoxes().size(), 1u);
    EXPECT_FALSE(second->window("w.login")["visible"].asBool())
        << "the second login window must not be offered";
    EXPECT_TRUE(install.updaterStarts().empty()) << "the updater starts only after the end";

    zvtest::Screenshot(display_.name(), clienttest::ScreenshotPath("startup-second-instance"));
    zvtest::XInput input(display_.name());
    ASSERT_TRUE(input.ok());
    EXPECT_TRUE(clienttest::AnswerMessageBox(*second, input, XK_Return));
    EXPECT_EQ(second->waitExit(15000), 0) << second->log();
    ASSERT_TRUE(install.waitUpdaterStarts(1)) << second->log();
    EXPECT_EQ(install.updaterStarts(), std::vector<std::string>{"args=0 "});

    // The first client goes on undisturbed and keeps its marker.
    EXPECT_TRUE(first->running());
    EXPECT_TRUE(first->window("w.login")["visible"].asBool());
    EXPECT_TRUE(first->messageBoxes().empty());
    EXPECT_EQ(zvtest::RootWindowProperty(display_.name(), clienttest::kInstanceMarker), firstXid);

    // Closing its login window ends it with 0, and its updater starts too.
    const auto close = zvtest::Centre(first->control("w.login", "NC.CLOSE"));
    input.click(close.x, close.y);
    EXPECT_EQ(first->waitExit(15000), 0) << first->log();
    EXPECT_TRUE(install.waitUpdaterStarts(2)) << first->log();
}

TEST_F(Startup, AClientThatWasKilledDoesNotBlockTheNextOne) {
    ClientInstall install;
    ClientHome home;
    auto crashed = StartClient(install, home, Run());
    const unsigned long stale = WaitLogin(*crashed);
    ASSERT_NE(stale, 0u);
    kill(crashed->pid(), SIGKILL);
    ASSERT_EQ(crashed->waitExit(5000), 128 + SIGKILL);
    ASSERT_EQ(zvtest::RootWindowProperty(display_.name(), clienttest::kInstanceMarker), stale)
        << "the marker stays behind";

    // The server hands the next connection the ids the killed one had, so
    // the stale id may well name a window of the new client itself.
    auto next = StartClient(install, home, Run());
    const unsigned long xid = WaitLogin(*next);
    EXPECT_NE(xid, 0u);
    EXPECT_TRUE(next->messageBoxes().empty()) << next->messageBoxes().toStyledString();
    EXPECT_EQ(zvtest::RootWindowProperty(display_.name(), clienttest::kInstanceMarker), xid);
}

TEST_F(Startup, OnlyAMarkerNamingALiveWindowBlocks) {
    const zvtest::PlainWindow live(display_.name());
    struct Case {
        const char* what;
        unsigned long marker;
        bool blocks;
    } cases[] = {
        {"an id no window ever had", 0x7ffffffful, false},
        {"a window of another program that still exists", live.id(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(
            zvtest::SetRootWindowProperty(display_.name(), clienttest::kInstanceMarker, c.marker));
        ClientInstall install;
        ClientHome home;
        auto client = StartClient(install, home, Run());
        if (c.blocks) {
            const Json::Value box = client->waitMessageBox(20000);
            EXPECT_EQ(box["text"].asString(), kRunning) << client->log();
            zvtest::XInput input(display_.name());
            EXPECT_TRUE(clienttest::AnswerMessageBox(*client, input, XK_Return));
            EXPECT_EQ(client->waitExit(15000), 0) << client->log();
            EXPECT_EQ(zvtest::RootWindowProperty(display_.name(), clienttest::kInstanceMarker),
                      c.marker);
        } else {
            const unsigned long xid = WaitLogin(*client);
            EXPECT_NE(xid, 0u);
            EXPECT_TRUE(client->messageBoxes().empty()) << client->messageBoxes().toStyledString();
            EXPECT_EQ(zvtest::RootWindowProperty(display_.name(), clienttest::kInstanceMarker), xid)
                << "the stale marker is replaced by the new login window";
        }
    }
}

}  // namespace
