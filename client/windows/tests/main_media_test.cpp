// The main window's media controls through real input with the real engine
// (its trace lines name the output scene and the settings it is given): a
// looping video file and its sound on the level display, the real window
// list, the tabs and the split, the pages, and screenshots of the window idle
// and live. What the window asks of the engine for each control is tested
// with a recording engine in main_win_fake_test.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "main_session.h"
#include "support/proc_tree.h"
#include "support/process.h"
#include "support/pulse_server.h"
#include "support/test_account.h"

namespace {

using clienttest::PackageText;
using clienttest::ScreenshotPath;

class MainMedia : public clienttest::MainSession {
protected:
    // Sound for the client's microphone and desktop meters: both hear what
    // is played into the private server's sink.
    static void SetUpTestSuite() {
        MainSession::SetUpTestSuite();
        try {
            pulse_ = new zvtest::PulseServer();
        } catch (const std::exception& e) {
            pulseProblem_ = e.what();
        }
    }
    static void TearDownTestSuite() {
        delete pulse_;
        pulse_ = nullptr;
        MainSession::TearDownTestSuite();
    }
    static zvtest::PulseServer* pulse_;
    static std::string pulseProblem_;

    // The open popup menu, waited for; null on time-out.
    Json::Value Menu() const {
        Json::Value menu;
        zvtest::WaitFor([&] {
            const Json::Value menus = client_->menus();
            if (menus.empty() || menus[0]["items"].empty()) {
                return false;
            }
            menu = menus[0];
            return true;
        });
        EXPECT_FALSE(menu.isNull()) << "no menu came up";
        return menu;
    }

    static Json::Value Item(const Json::Value& menu, const std::string& text) {
        for (const auto& item : menu["items"]) {
            if (item["text"].asString() == text || item["id"].asString() == text) {
                return item;
            }
        }
        return Json::Value();
    }

    void Choose(const Json::Value& item) {
        ASSERT_FALSE(item.isNull());
        const auto at = zvtest::Centre(item);
        input_->click(at.x, at.y);
        EXPECT_TRUE(zvtest::WaitFor([&] { return client_->menus().empty(); }));
        input_->moveTo(0, 0);
    }

    // Clicks and waits for the engine's trace line that follows from it.
    std::string ClickAndTrace(const std::string& control, const std::string& trace) {
        const size_t since = TraceCount();
        Click(control);
        const std::string line = WaitTrace(trace, since);
        EXPECT_FALSE(line.empty()) << "after " << control << ": no \"" << trace << "\"";
        return line;
    }

    // The source buttons' frames: 1/2 for the chosen one, 4/5 for the rest.
    void ExpectChosenSource(const std::string& chosen) {
        // The inspection record follows the window within a few ticks.
        zvtest::WaitFor([&] {
            return Control(chosen)["images"][0].asInt() == 1 &&
                   Control("btn.setup.app")["enabled"].asBool() == (chosen == "btn.push.app");
        });
        for (const char* b : {"btn.push.video", "btn.push.app", "btn.push.merge", "btn.push.vod"}) {
            SCOPED_TRACE(b);
            const Json::Value images = Control(b)["images"];
            const bool selected = chosen == b;
            EXPECT_EQ(images[0].asInt(), selected ? 1 : 4);
            EXPECT_EQ(images[1].asInt(), selected ? 2 : 5);
        }
        EXPECT_EQ(Control("btn.setup.app")["enabled"].asBool(), chosen == "btn.push.app");
    }

    // The level display's frame (image slot 5 of the slider).
    int LevelFrame() const { return Control("slider.mic")["images"][4].asInt(); }

    // Plays `clip`'s sound on the desktop up to `plays` times, until the
    // loudest level frame seen satisfies `enough` (never, for null): that
    // frame. On a busy machine the player and the capture may start late, so
    // a level is waited for over whole plays, not over a fixed time.
    int LoudestWhilePlaying(const std::string& clip, int plays,
                            const std::function<bool(int)>& enough) const {
        std::atomic<bool> stop{false}, done{false};
        std::thread player([&] {
            for (int i = 0; i < plays && !stop; ++i) {
                pulse_->Play(clip);
            }
            done = true;
        });
        int loudest = 0;
        zvtest::WaitFor(
            [&] {
                loudest = std::max(loudest, LevelFrame());
                return (enough && enough(loudest)) || done;
            },
            plays * 30000);
        stop = true;
        player.join();
        return std::max(loudest, LevelFrame());
    }
};

zvtest::PulseServer* MainMedia::pulse_ = nullptr;
std::string MainMedia::pulseProblem_;

TEST_F(MainMedia, AChosenVideoFileLoopsOnTheMediaSceneAndItsSoundMovesTheLevel) {
    const std::string folder = zvtest::MakeTempFolder("zv-media-");
    const std::string clip = folder + "/clip.mp4";
    zvtest::MakeTestClip(clip, 3, 640, 360);
    ASSERT_NO_FATAL_FAILURE(SignIn());
    EXPECT_TRUE(Checked("c.mute")) << "checked: the sound is on";
    EXPECT_NEAR(Control("slider.mic")["percent"].asDouble(), 0.85, 0.01);

    const size_t since = TraceCount();
    clienttest::ChooseVideoFile(*client_, *input_, clip);
    EXPECT_EQ(WaitTrace("engine: media file ", since), "engine: media file " + clip);
    EXPECT_FALSE(WaitTrace("engine: output scene vod", since).empty());
    ExpectChosenSource("btn.push.vod");

    // The clip's tone played on the desktop moves the level past silence;
    // muted, the level shows nothing.
    ASSERT_NE(pulse_, nullptr) << pulseProblem_;
    const int loudest = LoudestWhilePlaying(clip, 5, [](int frame) { return frame > 5; });
    EXPECT_GT(loudest, 5) << "the level display stayed at frame " << loudest;
    EXPECT_LE(loudest, 21);

    ClickAndTrace("c.mute", "engine: muted 1");
    EXPECT_TRUE(zvtest::WaitFor([&] { return !Checked("c.mute") && LevelFrame() == 1; }))
        << "muted: " << Checked("c.mute") << " " << LevelFrame();
    EXPECT_LE(LoudestWhilePlaying(clip, 1, nullptr), 1) << "muted sound shows no level";
    ClickAndTrace("c.mute", "engine: muted 0");

    // The volume follows the slider.
    const Json::Value slider = Control("slider.mic")["screen"];
    const int y = slider["y"].asInt() + slider["height"].asInt() / 2;
    const int x0 = slider["x"].asInt(), w = slider["width"].asInt();
    const size_t beforeDrag = TraceCount();
    input_->drag(x0 + w * 85 / 100, y, x0 + w * 30 / 100, y);
    ASSERT_FALSE(WaitTrace("engine: volume ", beforeDrag).empty());
    EXPECT_TRUE(zvtest::WaitFor([&] { return Control("slider.mic")["percent"].asDouble() < 0.6; }))
        << Control("slider.mic")["percent"].asDouble();
    // The engine has the slider's last value.
    std::string last;
    for (const auto& line : client_->errorLines()) {
        if (line.rfind("engine: volume ", 0) == 0) {
            last = line.substr(std::string("engine: volume ").size());
        }
    }
    EXPECT_NEAR(std::stod(last), Control("slider.mic")["percent"].asDouble(), 0.011);
    zvtest::RemoveTree(folder);
}

// The real engine's window list: the windows on the desktop after the
// whole-desktop entry, by their titles, the main window among them.
TEST_F(MainMedia, TheWindowMenuListsTheDesktopsWindowsByTitle) {
    ASSERT_NO_FATAL_FAILURE(SignIn());
    ClickAndTrace("btn.push.app", "engine: output scene app");
    Click("btn.setup.app");
    Json::Value menu = Menu();
    ASSERT_GE(menu["items"].size(), 2u) << menu.toStyledString();
    EXPECT_EQ(menu["items"][0]["text"].asString(), PackageText("s.entry.desktop"));
    EXPECT_TRUE(menu["items"][0]["checked"].asBool());
    bool mainWindowListed = false;
    for (const auto& item : menu["items"]) {
        EXPECT_EQ(item["text"].asString().find('\n'), std::string::npos)
            << "a window is listed by its title";
        mainWindowListed = mainWindowListed || item["text"].asString() == PackageText("s.title");
    }
    EXPECT_TRUE(mainWindowListed) << "the main window is on the desktop by its title\n"
                                  << menu.toStyledString();
    const size_t since = TraceCount();
    Choose(menu["items"][1]);
    // Trace lines end at the entry's first line break: its window id.
    const std::string chosen = WaitTrace("engine: capture window ", since);
    EXPECT_GT(chosen.size(), std::string("engine: capture window ").size()) << chosen;
    EXPECT_TRUE(client_->running());
}

TEST_F(MainMedia, TheSplitFoldsThePagesAwayAndBackWithTheRightEdgeKept) {
    ASSERT_NO_FATAL_FAILURE(SignIn());
    const auto rect = [&] { return client_->window("w.main")["screen"]; };
    const int right = rect()["x"].asInt() + rect()["width"].asInt();
    ASSERT_EQ(rect()["width"].asInt(), 920);
    for (const int width : {273, 920}) {
        SCOPED_TRACE(width);
        Click("b.split");
        EXPECT_TRUE(zvtest::WaitFor([&] { return rect()["width"].asInt() == width; }))
            << rect().toStyledString();
        EXPECT_EQ(rect()["x"].asInt() + rect()["width"].asInt(), right);
        EXPECT_EQ(Visible("l.media"), width == 920);
        input_->moveTo(0, 0);
    }
}

TEST_F(MainMedia, TheVersionShowsOnlyWhenOneIsInstalled) {
    ASSERT_NO_FATAL_FAILURE(SignIn());
    EXPECT_EQ(Text("l.version"), "") << "a copy the updater never installed";
    client_.reset();

    home_ = std::make_unique<clienttest::ClientHome>();
    std::filesystem::create_directories(home_->config + "/Zelvio");
    std::ofstream(home_->config + "/Zelvio/registry.ini") << "[Software\\Zelvio]\nVersion=2.3.1\n";
    ASSERT_NO_FATAL_FAILURE(SignIn());
    EXPECT_EQ(Text("l.version"), "V2.3.1");
}

TEST_F(MainMedia, ARoomWithoutPageAddressesGetsNoPageViews) {
    Json::Value account;
    account["username"] = zvtest::kTestUser;
    account["password"] = zvtest::kTestPassword;
    account["dataresult"]["chaturl"] = Json::Value();
    account["dataresult"]["gifturl"] = Json::Value();
    const size_t since = 0;
    ASSERT_NO_FATAL_FAILURE(SignIn(account));
    EXPECT_FALSE(WaitTrace("MainWin: no chat page address", since).empty());
    Click("b.giftlist");  // the gift page's area is laid out when its tab shows
    EXPECT_FALSE(WaitTrace("MainWin: no gift page address", since).empty());
    // Everything the layouts started has run once the window shows a click.
    Click("b.preview");
    ASSERT_TRUE(zvtest::WaitFor([&] { return Visible("l.preview"); }));
    for (const pid_t pid : zvtest::ProcessTree(client_->pid())) {
        EXPECT_NE(zvtest::ProcessName(pid).rfind("WebKit", 0), 0u)
            << "a browser process runs without a page: " << zvtest::ProcessName(pid);
    }
    // Not even WebKit's libraries are loaded into the client.
    for (const char* library : {"libzvbrowser.so", "libwebkit2gtk", "libjavascriptcoregtk"}) {
        EXPECT_FALSE(zvtest::ProcessMaps(client_->pid(), library)) << library;
    }
    EXPECT_TRUE(client_->running());
}

TEST_F(MainMedia, TheTabsAndTheWindowIdleAndLive) {
    ASSERT_NO_FATAL_FAILURE(SignIn());
    EXPECT_TRUE(Visible("l.preview"));
    Click("b.giftlist");
    EXPECT_TRUE(zvtest::WaitFor([&] { return Visible("l.giftlist") && !Visible("l.preview"); }));
    EXPECT_EQ(Control("b.giftlist")["images"][0].asInt(), 0);
    EXPECT_EQ(Control("b.preview")["images"][0].asInt(), 3);
    Click("b.preview");
    EXPECT_TRUE(zvtest::WaitFor([&] { return Visible("l.preview") && !Visible("l.giftlist"); }));

    // The chat page is drawn once its area shows the light page, not the
    // window's dark ground.
    const Json::Value chat = Control("r.chat")["screen"];
    double lightness = 0;
    std::string problem;
    zvtest::WaitFor(
        [&] {
            if (!zvtest::Screenshot(display_->name(), ScreenshotPath("main-idle"))) {
                problem = "no screenshot";
                return false;
            }
            const zvtest::CommandResult mean = zvtest::RunCommand(
                {"convert", ScreenshotPath("main-idle"), "-crop",
                 std::to_string(chat["width"].asInt()) + "x" +
                     std::to_string(chat["height"].asInt()) + "+" +
                     std::to_string(chat["x"].asInt()) + "+" + std::to_string(chat["y"].asInt()),
                 "-colorspace", "gray", "-format", "%[fx:mean]", "info:"});
            problem = mean.exitCode == 0 ? "" : mean.output;
            lightness = std::atof(mean.output.c_str());
            return lightness > 0.6;
        },
        30000);
    EXPECT_EQ(problem, "");
    EXPECT_GT(lightness, 0.6) << "the chat page area is dark: not drawn";
    EXPECT_TRUE(zvtest::ProcessMaps(client_->pid(), "libzvbrowser.so"))
        << "the page runtime was loaded for the first page";
    Click("c.online");
    EXPECT_TRUE(WaitText("l.status", clienttest::PackageText("s.status.live"), 20000))
        << client_->log();
    EXPECT_TRUE(zvtest::WaitFor([&] { return Visible("l.health"); }, 5000));
    EXPECT_TRUE(zvtest::Screenshot(display_->name(), ScreenshotPath("main-live")));
    // The software rasteriser draws on libobs's own thread: no pool of its
    // workers to hand each pass to and wait for.
    for (const std::string& thread : zvtest::ThreadNames(client_->pid())) {
        EXPECT_NE(thread.rfind("llvmpipe", 0), 0u) << thread;
    }
}

}  // namespace
