// The main window's media controls through real input, as the engine sees
// them (its trace lines name the output scene and every setting it is
// given): the source buttons and their looks, a looping video file, the
// device and layout menus with their fixed entries, the sound, the tabs and
// the split, and screenshots of the window idle and live.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "main_session.h"
#include "support/proc_tree.h"
#include "support/process.h"
#include "support/pulse_server.h"

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

    void Dismiss() {
        input_->key(XK_Escape);
        EXPECT_TRUE(zvtest::WaitFor([&] { return client_->menus().empty(); }));
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
};

zvtest::PulseServer* MainMedia::pulse_ = nullptr;
std::string MainMedia::pulseProblem_;

TEST_F(MainMedia, SourceButtonsSwitchTheOutputSceneAndTheirLooks) {
    ASSERT_NO_FATAL_FAILURE(SignIn());
    ExpectChosenSource("btn.push.video");
    const struct {
        const char* button;
        const char* scene;
    } cases[] = {
        {"btn.push.app", "app"}, {"btn.push.merge", "compound"}, {"btn.push.video", "video"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        ClickAndTrace(c.button, std::string("engine: output scene ") + c.scene);
        ExpectChosenSource(c.button);
    }
}

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
    const auto loudestWhilePlaying = [&] {
        int loudest = 0;
        std::thread player([&] { pulse_->Play(clip); });
        zvtest::WaitFor(
            [&] {
                loudest = std::max(loudest, LevelFrame());
                return false;
            },
            2500);
        player.join();
        return loudest;
    };
    const int loudest = loudestWhilePlaying();
    EXPECT_GT(loudest, 5) << "the level display stayed at frame " << loudest;
    EXPECT_LE(loudest, 21);

    ClickAndTrace("c.mute", "engine: muted 1");
    EXPECT_TRUE(zvtest::WaitFor([&] { return !Checked("c.mute") && LevelFrame() == 1; }))
        << "muted: " << Checked("c.mute") << " " << LevelFrame();
    EXPECT_LE(loudestWhilePlaying(), 1) << "muted sound shows no level";
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

TEST_F(MainMedia, TheMenusOfferTheirFixedEntriesAndApplyTheChoice) {
    ASSERT_NO_FATAL_FAILURE(SignIn());

    // The merged layout's corner.
    Click("btn.setup.merge");
    Json::Value menu = Menu();
    ASSERT_EQ(menu["items"].size(), 4u);
    EXPECT_TRUE(Item(menu, "m.setup.merge.1")["checked"].asBool()) << "the starting corner";
    size_t since = TraceCount();
    Choose(Item(menu, "m.setup.merge.2"));
    EXPECT_FALSE(WaitTrace("engine: merge corner 2", since).empty());
    Click("btn.setup.merge");
    menu = Menu();
    EXPECT_TRUE(Item(menu, "m.setup.merge.2")["checked"].asBool());
    EXPECT_FALSE(Item(menu, "m.setup.merge.1")["checked"].asBool());
    Dismiss();

    // The camera: "禁用视频" first.
    Click("btn.setup.video");
    menu = Menu();
    EXPECT_EQ(menu["items"][0]["text"].asString(), "禁用视频");
    since = TraceCount();
    Choose(menu["items"][0]);
    EXPECT_FALSE(WaitTrace("engine: camera 禁用视频", since).empty());
    Click("btn.setup.video");
    EXPECT_TRUE(Menu()["items"][0]["checked"].asBool());
    Dismiss();

    // The window: "整个桌面" first and chosen, the windows on the desktop
    // after it (the main window among them).
    ClickAndTrace("btn.push.app", "engine: output scene app");
    Click("btn.setup.app");
    menu = Menu();
    ASSERT_GE(menu["items"].size(), 2u) << menu.toStyledString();
    EXPECT_EQ(menu["items"][0]["text"].asString(), "整个桌面");
    EXPECT_TRUE(menu["items"][0]["checked"].asBool());
    const std::string window = menu["items"][1]["text"].asString();
    since = TraceCount();
    Choose(menu["items"][1]);
    // Trace lines end at the entry's first line break: its window id.
    const std::string chosen = WaitTrace("engine: capture window ", since);
    EXPECT_GT(chosen.size(), std::string("engine: capture window ").size()) << chosen;
    EXPECT_EQ(window.find('\n'), std::string::npos) << "a window is listed by its title";
    bool mainWindowListed = false;
    for (const auto& item : menu["items"]) {
        mainWindowListed = mainWindowListed || item["text"].asString() == PackageText("s.title");
    }
    EXPECT_TRUE(mainWindowListed) << "the main window is on the desktop by its title\n"
                                  << menu.toStyledString();
    Click("btn.setup.app");
    menu = Menu();
    EXPECT_TRUE(menu["items"][1]["checked"].asBool());
    since = TraceCount();
    Choose(menu["items"][0]);
    EXPECT_FALSE(WaitTrace("engine: capture monitor 0", since).empty());

    // The microphone: the system's default input, then desktop sound.
    Click("btn.setup.mic");
    menu = Menu();
    const Json::Value& items = menu["items"];
    ASSERT_GE(items.size(), 2u);
    EXPECT_EQ(items[items.size() - 1]["text"].asString(), "获取桌面声音");
    EXPECT_TRUE(items[items.size() - 2]["separator"].asBool());
    const bool desktopSound = items[items.size() - 1]["checked"].asBool();
    since = TraceCount();
    Choose(items[items.size() - 1]);
    EXPECT_FALSE(
        WaitTrace(std::string("engine: desktop sound ") + (desktopSound ? "0" : "1"), since)
            .empty());
    Click("btn.setup.mic");
    menu = Menu();
    EXPECT_NE(menu["items"][menu["items"].size() - 1]["checked"].asBool(), desktopSound);
    Dismiss();
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
    account["username"] = "zvtest";
    account["password"] = "zv-pass.123";
    account["dataresult"]["chaturl"] = Json::Value();
    account["dataresult"]["gifturl"] = Json::Value();
    const size_t since = 0;
    ASSERT_NO_FATAL_FAILURE(SignIn(account));
    EXPECT_FALSE(WaitTrace("MainWin: no chat page address", since).empty());
    Click("b.giftlist");  // the gift page's area is laid out when its tab shows
    EXPECT_FALSE(WaitTrace("MainWin: no gift page address", since).empty());
    std::this_thread::sleep_for(std::chrono::seconds(2));
    for (const pid_t pid : zvtest::ProcessTree(client_->pid())) {
        EXPECT_NE(zvtest::ProcessName(pid).rfind("WebKitWebProc", 0), 0u)
            << "a web process runs without a page";
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

    // Pages and the first preview frames take a moment.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    EXPECT_TRUE(zvtest::Screenshot(display_->name(), ScreenshotPath("main-idle")));
    // The chat page is drawn: its light page, not the window's dark ground.
    const Json::Value chat = Control("r.chat")["screen"];
    const zvtest::CommandResult mean = zvtest::RunCommand(
        {"convert", ScreenshotPath("main-idle"), "-crop",
         std::to_string(chat["width"].asInt()) + "x" + std::to_string(chat["height"].asInt()) +
             "+" + std::to_string(chat["x"].asInt()) + "+" + std::to_string(chat["y"].asInt()),
         "-colorspace", "gray", "-format", "%[fx:mean]", "info:"});
    ASSERT_EQ(mean.exitCode, 0) << mean.output;
    EXPECT_GT(std::atof(mean.output.c_str()), 0.6) << "the chat page area is dark: not drawn";
    Click("c.online");
    EXPECT_TRUE(WaitText("l.status", "正在直播中...", 20000)) << client_->log();
    EXPECT_TRUE(zvtest::WaitFor([&] { return Visible("l.health"); }, 5000));
    EXPECT_TRUE(zvtest::Screenshot(display_->name(), ScreenshotPath("main-live")));
}

}  // namespace
