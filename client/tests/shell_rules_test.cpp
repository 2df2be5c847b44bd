// The start-up paths, the hand-over of web results to the UI thread, the
// remembered user name and the login failure text.
#include <glib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/main_loop.h"
#include "platform/ui_queue.h"
#include "session_file.h"
#include "startup_paths.h"
#include "web_event_inbox.h"

TEST(StartupPaths, PackageBesideAndUpdaterBesideTheParent) {
    struct Case {
        const char* exe;
        const char* folder;
        const char* package;
        const char* updater;
    };
    const Case cases[] = {
        {"/opt/zelvio/bin/Zelvio", "/opt/zelvio/bin", "/opt/zelvio/bin/Zelvio.dat",
         "/opt/zelvio/ZvUpdator/zvupdate"},
        {"/home/u/build/dist/bin/Zelvio", "/home/u/build/dist/bin",
         "/home/u/build/dist/bin/Zelvio.dat", "/home/u/build/dist/ZvUpdator/zvupdate"},
        // The folder "/bin" has the root as parent.
        {"/bin/Zelvio", "/bin", "/bin/Zelvio.dat", "/ZvUpdator/zvupdate"},
        // An executable in the root folder: no parent, no updater.
        {"/Zelvio", "", "/Zelvio.dat", ""},
        {"/a b/测试/Zelvio", "/a b/测试", "/a b/测试/Zelvio.dat", "/a b/ZvUpdator/zvupdate"},
    };
    for (const Case& c : cases) {
        const StartupPaths p = StartupPaths::For(c.exe);
        EXPECT_EQ(p.executableFolder, c.folder) << c.exe;
        EXPECT_EQ(p.packagePath, c.package) << c.exe;
        EXPECT_EQ(p.updaterPath, c.updater) << c.exe;
    }
}

namespace {

// Records what the inbox hands over, and on which thread.
class Window : public zv::WebEventReceiver {
public:
    std::vector<std::string> got;
    std::thread::id uiThread = std::this_thread::get_id();
    bool allOnUi = true;

    void OnWebapiEvent(const zv::RoomResult& r) override {
        note(std::string(zv::RoomActionName(r.action)) + (r.ok() ? " ok " : " failed ") + r.text);
    }
    void SetHeadIcon(const std::string& path) override { note("head " + path); }
    void SetLogo(const std::string& path, int32_t position, int32_t width,
                 int32_t height) override {
        note("logo " + path + " " + std::to_string(position) + " " + std::to_string(width) + "x" +
             std::to_string(height));
    }

private:
    void note(std::string s) {
        allOnUi = allOnUi && std::this_thread::get_id() == uiThread;
        got.push_back(std::move(s));
    }
};

struct PrivateLoop {
    GMainContext* context = g_main_context_new();
    ~PrivateLoop() { g_main_context_unref(context); }
    void drain(zv::UiQueue& queue) {
        zv::RunLoopUntil([&] { return queue.Pending() == 0; }, std::chrono::seconds(5),
                         zv::LoopWait::kPoll, context);
    }
};

}  // namespace

TEST(WebEventInbox, PicturesBeforeTheWindowAreKeptAndLaterOnesGoStraightThrough) {
    PrivateLoop loop;
    zv::UiQueue queue(loop.context);
    WebEventInbox inbox(queue);
    std::thread worker([&] {
        inbox.SetHeadIcon("/tmp/a1.png");
        inbox.SetHeadIcon("/tmp/a2.png");  // the latest is the one kept
        inbox.SetLogo("/tmp/l.png", 2, 200, 80);
        inbox.OnWebapiEvent({zv::RoomAction::kGetUrl, zv::RoomFailure::kNone,
                             "rtmp://x/live/k"});  // no window: dropped
    });
    worker.join();
    loop.drain(queue);

    Window window;
    inbox.Attach(&window);
    EXPECT_EQ(window.got,
              (std::vector<std::string>{"head /tmp/a2.png", "logo /tmp/l.png 2 200x80"}));

    std::thread later([&] {
        inbox.OnWebapiEvent({zv::RoomAction::kStartRecord, zv::RoomFailure::kRefused, "refused"});
        inbox.SetHeadIcon("/tmp/a3.png");
        inbox.OnWebapiEvent({zv::RoomAction::kStopRecord, zv::RoomFailure::kNone, ""});
    });
    later.join();
    EXPECT_EQ(window.got.size(), 2u) << "nothing may arrive outside the UI loop";
    loop.drain(queue);
    EXPECT_EQ(window.got, (std::vector<std::string>{"head /tmp/a2.png", "logo /tmp/l.png 2 200x80",
                                                    "startrecord failed refused",
                                                    "head /tmp/a3.png", "stoprecord ok "}));
    EXPECT_TRUE(window.allOnUi);

    // Kept results are given once: attaching again replays nothing.
    Window second;
    inbox.Attach(&second);
    EXPECT_TRUE(second.got.empty());
}

TEST(WebEventInbox, ReportsAfterDetachOrAfterTheInboxIsGoneReachNoWindow) {
    PrivateLoop loop;
    zv::UiQueue queue(loop.context);
    Window window;
    {
        WebEventInbox inbox(queue);
        inbox.Attach(&window);
        inbox.OnWebapiEvent({zv::RoomAction::kGetUrl, zv::RoomFailure::kNone, "a"});
        inbox.Attach(nullptr);
        inbox.OnWebapiEvent({zv::RoomAction::kGetUrl, zv::RoomFailure::kNone, "b"});
        loop.drain(queue);
        inbox.Attach(&window);
        inbox.OnWebapiEvent({zv::RoomAction::kGetUrl, zv::RoomFailure::kNone, "c"});
    }  // "c" is still queued
    loop.drain(queue);
    EXPECT_TRUE(window.got.empty()) << window.got.size();
}

class SessionFile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zv-session-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        path_ = folder_ + "/.session";
    }
    void TearDown() override {
        chmod(folder_.c_str(), 0700);
        std::remove(path_.c_str());
        std::remove((path_ + ".new").c_str());
        rmdir(folder_.c_str());
    }
    std::string Raw() {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string folder_, path_;
};

TEST_F(SessionFile, ExactBytesNoTerminatorAndAtMost1024Read) {
    EXPECT_EQ(zv::ReadSessionName(path_), "");  // missing
    ASSERT_TRUE(zv::WriteSessionName("主播 小明", path_));
    EXPECT_EQ(Raw(), "主播 小明");
    EXPECT_EQ(zv::ReadSessionName(path_), "主播 小明");
    ASSERT_TRUE(zv::WriteSessionName("   ", path_));  // shorter: the file is replaced
    EXPECT_EQ(Raw(), "   ");
    ASSERT_TRUE(zv::WriteSessionName("", path_));
    EXPECT_EQ(Raw(), "");

    std::string name(1500, 'n');
    name[1023] = 'z';
    ASSERT_TRUE(zv::WriteSessionName(name, path_));
    const std::string read = zv::ReadSessionName(path_);
    EXPECT_EQ(read.size(), 1024u);
    EXPECT_EQ(read.back(), 'z');
}

TEST_F(SessionFile, AFailedWriteKeepsTheOldName) {
    ASSERT_TRUE(zv::WriteSessionName("zvtest", path_));
    if (geteuid() != 0) {
        chmod(folder_.c_str(), 0500);  // root ignores the mode; the missing folder still fails
        EXPECT_FALSE(zv::WriteSessionName("other", path_));
        chmod(folder_.c_str(), 0700);
    }
    EXPECT_FALSE(zv::WriteSessionName("other", folder_ + "/missing/.session"));
    EXPECT_EQ(zv::ReadSessionName(path_), "zvtest");
    EXPECT_EQ(zv::ReadSessionName(folder_), "") << "a folder is no name";
}
