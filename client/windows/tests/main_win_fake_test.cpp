// The main window through real input with a recording engine, platform and
// page runtime in place of the real ones (zv_main_win_host): what the window
// asks of each, in order, and what it shows for every answer they give.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/client_harness.h"
#include "support/process.h"
#include "support/ui_driver.h"

namespace {

using clienttest::PackageText;

class MainWinFake : public ::testing::Test {
protected:
    static void SetUpTestSuite() { display_ = new zvtest::OwnDisplay(); }
    static void TearDownTestSuite() {
        delete display_;
        display_ = nullptr;
    }

    void SetUp() override {
        if (!display_->problem().empty()) {
            GTEST_SKIP() << display_->problem();
        }
        folder_ = zvtest::MakeTempFolder("zv-mainwin-");
        commands_ = folder_ + "/commands";
        std::ofstream(commands_, std::ios::trunc).flush();
        input_ = std::make_unique<zvtest::XInput>(display_->name());
        ASSERT_TRUE(input_->ok());
    }
    void TearDown() override {
        host_.reset();
        if (!folder_.empty()) {
            zvtest::RemoveTree(folder_);
        }
    }

    void Start(std::vector<std::pair<std::string, std::string>> env = {}) {
        env.emplace_back("DISPLAY", display_->name());
        env.emplace_back("ZV_HOST_COMMANDS", commands_);
        env.emplace_back("XDG_CONFIG_HOME", folder_);
        env.emplace_back("ZELVIO_TRACE", "1");
        host_ = std::make_unique<zvtest::InspectedProgram>(zvtest::ProgramOptions{
            .argv = {ZV_HOST_EXE, ZV_DIST_DIR "/bin/Zelvio.dat"}, .env = env});
        ASSERT_TRUE(host_->waitPrinted("host: ready", 20000)) << host_->log();
        ASSERT_TRUE(host_->waitShown("w.main", 20000)) << host_->log();
    }

    // Plays the other side: one command, done once the host says so (a
    // command that opens a box is done only when the box is answered).
    void Tell(const std::string& command) {
        std::ofstream(commands_, std::ios::app) << command << "\n";
    }
    // Whether the host has done `command` in a line after the first `from`.
    bool Told(const std::string& command, size_t from, int timeoutMs = 10000) {
        return zvtest::WaitFor(
            [&] {
                const std::vector<std::string> all = Calls();
                for (size_t i = from; i < all.size(); ++i) {
                    if (all[i] == "host: did " + command) {
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
    }
    // A command and what the window called for it (from the mark it sets).
    void Do(const std::string& command) {
        const size_t before = Calls().size();
        Tell(command);
        ASSERT_TRUE(Told(command, before)) << command << "\n" << host_->log();
        since_ = before;
    }

    // The lines the window's calls printed so far.
    std::vector<std::string> Calls() const { return host_->lines(); }
    // The calls printed since the last mark, without the host's own lines.
    std::vector<std::string> CallsSinceMark() const {
        std::vector<std::string> out;
        const std::vector<std::string> all = Calls();
        for (size_t i = since_; i < all.size(); ++i) {
            if (all[i].rfind("host: did", 0) != 0) {
                out.push_back(all[i]);
            }
        }
        return out;
    }
    void Mark() { since_ = Calls().size(); }
    // Waits until the calls since the mark are `expected`.
    bool WaitCalls(const std::vector<std::string>& expected, int timeoutMs = 8000) const {
        return zvtest::WaitFor([&] { return CallsSinceMark() == expected; }, timeoutMs);
    }
    std::string Shown() const {
        std::string text;
        for (const auto& line : CallsSinceMark()) {
            text += "  " + line + "\n";
        }
        return text;
    }

    Json::Value Control(const std::string& name) const { return host_->control("w.main", name); }
    std::string Text(const std::string& name) const { return Control(name)["text"].asString(); }
    bool Visible(const std::string& name) const { return Control(name)["visible"].asBool(); }
    bool Checked(const std::string& name) const { return Control(name)["checked"].asBool(); }
    bool WaitText(const std::string& name, const std::string& text, int timeoutMs = 8000) const {
        return zvtest::WaitFor([&] { return Text(name) == text; }, timeoutMs);
    }

    void Click(const std::string& name) {
        const Json::Value c = Control(name);
        ASSERT_FALSE(c.isNull()) << name;
        ASSERT_TRUE(c["visible"].asBool()) << name << " is hidden";
        const auto at = zvtest::Centre(c);
        input_->click(at.x, at.y);
    }
    // A click where it does nothing (the status line).
    void ClickAway() {
        const auto away = zvtest::Centre(Control("l.status"));
        input_->click(away.x, away.y);
    }
    // A switch, once its lock is over; a click elsewhere first keeps two
    // clicks on one switch from being a double click.
    void Toggle(const std::string& name) {
        ASSERT_TRUE(zvtest::WaitFor([&] { return Control(name)["enabled"].asBool(); }))
            << name << " stayed locked";
        ClickAway();
        Click(name);
    }

    Json::Value Menu() const {
        Json::Value menu;
        zvtest::WaitFor([&] {
            const Json::Value menus = host_->menus();
            if (menus.empty() || menus[0]["items"].empty()) {
                return false;
            }
            menu = menus[0];
            return true;
        });
        EXPECT_FALSE(menu.isNull()) << "no menu came up";
        return menu;
    }
    void Choose(const Json::Value& item) {
        ASSERT_FALSE(item.isNull());
        const auto at = zvtest::Centre(item);
        input_->click(at.x, at.y);
        EXPECT_TRUE(zvtest::WaitFor([&] { return host_->menus().empty(); }));
        input_->moveTo(0, 0);
    }
    void Dismiss() {
        input_->key(XK_Escape);
        EXPECT_TRUE(zvtest::WaitFor([&] { return host_->menus().empty(); }));
    }

    Json::Value Box() const {
        const Json::Value box = host_->waitMessageBox(10000);
        EXPECT_FALSE(box.isNull()) << "no message box\n" << host_->log();
        return box;
    }
    void Answer(bool ok) {
        EXPECT_TRUE(clienttest::AnswerMessageBox(*host_, *input_, ok ? XK_Return : XK_Escape));
    }

    // Live on the push address, the engine reporting the connection.
    void GoLive() {
        Mark();
        Toggle("c.online");
        ASSERT_TRUE(WaitCalls({"request: geturl"})) << Shown();
        Do("room geturl ok rtmp://h/live/k");
        EXPECT_EQ(CallsSinceMark(),
                  std::vector<std::string>{"engine: StartStreaming rtmp://h/live/k"});
        EXPECT_TRUE(WaitText("l.status", PackageText("s.stream.connecting")));
        Do("stream live");
        ASSERT_TRUE(WaitText("l.status", PackageText("s.status.live")));
    }

    static zvtest::OwnDisplay* display_;
    std::string folder_, commands_;
    std::unique_ptr<zvtest::XInput> input_;
    std::unique_ptr<zvtest::InspectedProgram> host_;
    size_t since_ = 0;
};

zvtest::OwnDisplay* MainWinFake::display_ = nullptr;

TEST_F(MainWinFake, TheEngineStartsWithTheFirstDevicesAndThePagesAreMadeOnce) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::vector<std::string> start = {
        "engine: Reset 1280x720",       "engine: SetCameraDevice Cam A:/dev/video0",
        "engine: SetMicDevice DEFAULT", "engine: SetVolume 0.85",
        "engine: SetMergeCorner 1",     "engine: ShowVideoScene"};
    const std::vector<std::string> all = Calls();
    ASSERT_GE(all.size(), start.size()) << host_->log();
    EXPECT_EQ(std::vector<std::string>(all.begin(), all.begin() + start.size()), start);
    EXPECT_NEAR(Control("slider.mic")["percent"].asDouble(), 0.85, 0.01);
    EXPECT_EQ(Text("l.user.name"), "测试主播");
    EXPECT_EQ(Text("l.user.memo"), "今天也要开心");
    EXPECT_EQ(Text("l.online.count"), "1");
    EXPECT_EQ(Text("l.version"), "") << "no installed version";
    EXPECT_TRUE(Visible("l.record"));
    EXPECT_TRUE(Visible("l.recordonly"));

    // The chat page reports to the window, the gift page (made when its tab
    // is first laid out) does not; neither is made again.
    auto pages = [&](const std::string& url) {
        int n = 0;
        for (const auto& line : Calls()) {
            n += line.rfind("page: " + url + " ", 0) == 0 ? 1 : 0;
        }
        return n;
    };
    EXPECT_TRUE(zvtest::WaitFor([&] { return pages("http://pages.test/chat") == 1; }));
    zvtest::ClickUntil(
        *input_, [&] { return zvtest::Centre(Control("b.giftlist")); },
        [&] { return Visible("l.giftlist"); });
    EXPECT_TRUE(zvtest::WaitFor([&] { return pages("http://pages.test/gift") == 1; }));
    for (const auto& line : Calls()) {
        if (line.rfind("page: http://pages.test/chat", 0) == 0) {
            EXPECT_EQ(line.substr(line.size() - 5), " chat") << line;
        } else if (line.rfind("page: http://pages.test/gift", 0) == 0) {
            EXPECT_EQ(line.substr(line.size() - 5), " none") << line;
        }
    }
    Click("b.preview");
    Click("b.split");
    Click("b.split");
    ASSERT_TRUE(zvtest::WaitFor([&] { return Visible("l.media") && Visible("l.preview"); }));
    EXPECT_EQ(pages("http://pages.test/chat"), 1);
    EXPECT_EQ(pages("http://pages.test/gift"), 1);

    // The page's viewer count.
    Do("roster 4321");
    EXPECT_TRUE(WaitText("l.online.count", "4321"));
    Do("roster -1");
    EXPECT_TRUE(WaitText("l.online.count", "4294967295")) << "shown unsigned";
}

TEST_F(MainWinFake, SourcesMenusSoundAndLevelReachTheEngine) {
    ASSERT_NO_FATAL_FAILURE(Start());
    struct Row {
        const char* button;
        std::vector<std::string> calls;
    } rows[] = {
        {"btn.push.merge", {"engine: ShowCompoundScene"}},
        {"btn.push.app", {"engine: ShowDesktopCapture"}},  // the whole desktop at first
        {"btn.push.video", {"engine: ShowVideoScene"}},
    };
    for (const Row& row : rows) {
        Mark();
        Click(row.button);
        EXPECT_TRUE(WaitCalls(row.calls)) << row.button << "\n" << Shown();
    }

    // Camera: the camera-off entry first; choosing the chosen one again
    // changes nothing.
    Click("btn.setup.video");
    Json::Value menu = Menu();
    ASSERT_EQ(menu["items"].size(), 3u) << menu.toStyledString();
    EXPECT_EQ(menu["items"][0]["text"].asString(), PackageText("s.entry.camera.off"));
    EXPECT_EQ(menu["items"][1]["text"].asString(), "Cam A");
    EXPECT_TRUE(menu["items"][1]["checked"].asBool());
    Mark();
    Choose(menu["items"][1]);
    Click("btn.setup.video");
    menu = Menu();
    Choose(menu["items"][0]);
    ASSERT_TRUE(zvtest::WaitFor([&] { return CallsSinceMark().size() == 1; })) << Shown();
    EXPECT_EQ(CallsSinceMark()[0].rfind(
                  "engine: SetCameraDevice " + PackageText("s.entry.camera.off") + ":", 0),
              0u)
        << CallsSinceMark()[0];

    // Window: by its title; the whole desktop again is monitor 0, each time.
    Mark();
    Click("btn.push.app");
    ASSERT_TRUE(WaitCalls({"engine: ShowDesktopCapture"})) << Shown();
    Click("btn.setup.app");
    menu = Menu();
    ASSERT_EQ(menu["items"].size(), 2u);
    EXPECT_EQ(menu["items"][0]["text"].asString(), PackageText("s.entry.desktop"));
    EXPECT_TRUE(menu["items"][0]["checked"].asBool());
    EXPECT_EQ(menu["items"][1]["text"].asString(), "vim: notes.txt");
    Mark();
    Choose(menu["items"][1]);
    EXPECT_TRUE(WaitCalls(
        {"engine: ShowWindowCapture", "engine: SetCaptureWindow 77||vim: notes.txt||xterm"}))
        << Shown();
    for (int round = 0; round < 2; ++round) {
        Click("btn.setup.app");
        menu = Menu();
        EXPECT_EQ(menu["items"][1]["checked"].asBool(), round == 0);
        Mark();
        Choose(menu["items"][0]);
        EXPECT_TRUE(WaitCalls({"engine: ShowDesktopCapture", "engine: SetCaptureMonitor 0"}))
            << Shown();
    }

    // Merged layout.
    Click("btn.setup.merge");
    menu = Menu();
    Mark();
    for (const auto& item : menu["items"]) {
        if (item["id"].asString() == "m.setup.merge.3") {
            Choose(item);
        }
    }
    EXPECT_TRUE(WaitCalls({"engine: SetMergeCorner 3"})) << Shown();

    // Microphone: the default device in the package's words, then the
    // desktop sound.
    Click("btn.setup.mic");
    menu = Menu();
    ASSERT_EQ(menu["items"].size(), 4u) << menu.toStyledString();
    EXPECT_EQ(menu["items"][0]["text"].asString(), PackageText("s.mic.default"));
    EXPECT_TRUE(menu["items"][0]["checked"].asBool());
    EXPECT_EQ(menu["items"][1]["text"].asString(), "USB mic");
    EXPECT_TRUE(menu["items"][2]["separator"].asBool());
    EXPECT_EQ(menu["items"][3]["text"].asString(), PackageText("s.mic.desktop.sound"));
    EXPECT_TRUE(menu["items"][3]["checked"].asBool());
    Mark();
    Choose(menu["items"][1]);
    EXPECT_TRUE(WaitCalls({"engine: SetMicDevice alsa_input.usb"})) << Shown();
    Click("btn.setup.mic");
    menu = Menu();
    Mark();
    Choose(menu["items"][3]);
    EXPECT_TRUE(WaitCalls({"engine: ToggleDesktopAudio 0"})) << Shown();
    Click("btn.setup.mic");
    EXPECT_FALSE(Menu()["items"][3]["checked"].asBool());
    Dismiss();

    // Sound: checked is on.
    Mark();
    Click("c.mute");
    EXPECT_TRUE(WaitCalls({"engine: SetMuted 1"})) << Shown();
    ClickAway();  // two clicks in a row on one place are a double click
    Click("c.mute");
    EXPECT_TRUE(WaitCalls({"engine: SetMuted 1", "engine: SetMuted 0"})) << Shown();

    // The level display's frame follows the mixed level on the 100 ms timer.
    for (const auto& [level, frame] : std::vector<std::pair<std::string, int>>{
             {"1.0", 21}, {"0.5", 11}, {"0", 1}, {"7", 21}, {"-3", 1}}) {
        Do("level " + level);
        EXPECT_TRUE(zvtest::WaitFor([&] {
            return Control("slider.mic")["images"][4].asInt() == frame;
        })) << level
            << ": frame " << Control("slider.mic")["images"][4].asInt();
    }
}

TEST_F(MainWinFake, ACaptureProblemIsSaidInTheStatusLineWhileTheStreamGoesOn) {
    ASSERT_NO_FATAL_FAILURE(Start());
    Do("capture window refused");
    EXPECT_TRUE(WaitText("l.status", PackageText("s.capture.window.refused")));
    ASSERT_NO_FATAL_FAILURE(GoLive());
    Do("capture desktop ended");
    EXPECT_TRUE(WaitText("l.status", PackageText("s.capture.desktop.ended")));
    EXPECT_EQ(CallsSinceMark(), std::vector<std::string>{}) << Shown();
    EXPECT_TRUE(Checked("c.online"));
    EXPECT_TRUE(host_->messageBoxes().empty());
    // The stream's next change says the stream's state again.
    Do("stream reconnecting 3");
    EXPECT_TRUE(WaitText("l.status", "与推流服务器的连接中断，3 秒后重新连接..."));
}

// Windows cannot be listed there: the menu offers the desktop's own chooser,
// which the engine opens each time the entry is chosen.
TEST_F(MainWinFake, OnWaylandTheWindowMenuOffersTheDesktopsChooser) {
    ASSERT_NO_FATAL_FAILURE(Start({{"WAYLAND_DISPLAY", "wayland-test"}}));
    const std::string chooser = PackageText("s.entry.window.portal");
    Mark();
    Click("btn.push.app");  // enables the menu's button
    ASSERT_TRUE(WaitCalls({"engine: ShowDesktopCapture"})) << Shown();
    for (int round = 0; round < 2; ++round) {
        Click("btn.setup.app");
        const Json::Value menu = Menu();
        ASSERT_EQ(menu["items"].size(), 2u) << menu.toStyledString();
        EXPECT_EQ(menu["items"][0]["text"].asString(), PackageText("s.entry.desktop"));
        EXPECT_EQ(menu["items"][1]["text"].asString(), chooser);
        EXPECT_EQ(menu["items"][1]["checked"].asBool(), round == 1);
        Mark();
        Choose(menu["items"][1]);
        ASSERT_TRUE(zvtest::WaitFor([&] { return CallsSinceMark().size() == 2; })) << Shown();
        EXPECT_EQ(CallsSinceMark()[0], "engine: ShowWindowCapture");
        EXPECT_EQ(CallsSinceMark()[1].rfind("engine: SetCaptureWindow " + chooser + ":", 0), 0u)
            << Shown();
    }
    Mark();
    Click("btn.push.app");
    EXPECT_TRUE(WaitCalls({"engine: ShowWindowCapture"})) << Shown();
}

TEST_F(MainWinFake, LiveWithRecordingThenOffThroughTheSwitches) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(GoLive());
    EXPECT_TRUE(Checked("c.online"));
    EXPECT_FALSE(Visible("l.recordonly")) << "record-only goes away while live";
    EXPECT_TRUE(zvtest::WaitFor([&] { return Visible("l.health"); }, 8000));
    EXPECT_TRUE(
        zvtest::WaitFor([&] { return Text("l.health").rfind("2000 kbit/s", 0) == 0; }, 8000))
        << Text("l.health");

    Mark();
    Toggle("c.record");
    ASSERT_TRUE(WaitCalls({"request: startrecord"})) << Shown();
    EXPECT_TRUE(zvtest::WaitFor([&] { return Checked("c.record"); }));
    Do("room startrecord ok");
    EXPECT_TRUE(WaitText("l.status", PackageText("s.status.live.recording")));

    // A reconnect shows its delay; the connection back shows live again.
    Do("stream reconnecting 7");
    EXPECT_TRUE(WaitText("l.status", "与推流服务器的连接中断，7 秒后重新连接..."));
    EXPECT_FALSE(Visible("l.health"));
    Do("stream live");
    EXPECT_TRUE(WaitText("l.status", PackageText("s.status.live.recording")));

    Mark();
    Toggle("c.online");
    EXPECT_TRUE(WaitCalls({"engine: StopStreaming", "request: stoprecord"})) << Shown();
    EXPECT_TRUE(WaitText("l.status", ""));
    EXPECT_TRUE(Visible("l.recordonly"));
    // The platform refuses to stop: the record switch is on again, the
    // status stays empty.
    Tell("room stoprecord refused 正在保存");
    const Json::Value box = Box();
    EXPECT_EQ(box["text"].asString(), "正在保存");
    EXPECT_EQ(box["caption"].asString(), PackageText("s.notice.title"));
    Answer(true);
    EXPECT_TRUE(zvtest::WaitFor([&] { return Checked("c.record"); }));
    EXPECT_EQ(Text("l.status"), "");

    // An address that comes after the switch went off starts nothing.
    Mark();
    Toggle("c.online");
    ASSERT_TRUE(WaitCalls({"request: geturl"})) << Shown();
    ASSERT_TRUE(zvtest::WaitFor([&] { return !Control("c.online")["enabled"].asBool(); }))
        << "a click locks the switches";
    Toggle("c.online");
    EXPECT_TRUE(zvtest::WaitFor([&] { return !Checked("c.online"); }));
    Do("room geturl ok rtmp://h/live/late");
    EXPECT_EQ(CallsSinceMark(), std::vector<std::string>{}) << Shown();
    EXPECT_TRUE(host_->messageBoxes().empty());
}

TEST_F(MainWinFake, RecordOnlyPushesToTheRecordAddressAndClosesWithoutAsking) {
    ASSERT_NO_FATAL_FAILURE(Start());
    Mark();
    Toggle("c.recordonly");
    ASSERT_TRUE(WaitCalls({"request: geturl"})) << Shown();
    Do("room geturl ok rtmp://h/live/a/live/b");
    EXPECT_EQ(CallsSinceMark(),
              std::vector<std::string>{"engine: StartStreaming rtmp://h/record/a/live/b"});
    Do("stream live");
    EXPECT_TRUE(WaitText("l.status", PackageText("s.status.recordonly")));
    EXPECT_FALSE(Visible("l.online"));
    EXPECT_FALSE(Visible("l.record"));
    EXPECT_TRUE(Checked("c.recordonly"));

    Click("NC.CLOSE");
    EXPECT_EQ(host_->waitExit(15000), 0) << host_->log();
    EXPECT_TRUE(host_->printed("host: ReleaseForExit 1000"));
}

TEST_F(MainWinFake, FailuresSayWhyInThePackagesWords) {
    ASSERT_NO_FATAL_FAILURE(Start());
    struct Row {
        const char* name;
        const char* start;  // the engine's answer to the start
        const char* reply;
        std::string text;
    } rows[] = {
        {"refused", "ok", "room geturl refused 房间已被封禁", "房间已被封禁"},
        {"unreadable", "ok", "room geturl unreadable", PackageText("s.room.error.geturl")},
        {"the engine refuses", "refuse", "room geturl ok rtmp://h/live/k",
         PackageText("s.stream.error.start")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Do(std::string("start ") + row.start);
        Mark();
        Toggle("c.online");
        ASSERT_TRUE(WaitCalls({"request: geturl"})) << Shown();
        const size_t before = Calls().size();
        Tell(row.reply);
        const Json::Value box = Box();
        EXPECT_EQ(box["text"].asString(), row.text);
        EXPECT_EQ(box["caption"].asString(), PackageText("s.notice.title"));
        Answer(true);
        EXPECT_TRUE(Told(row.reply, before));
        EXPECT_FALSE(Checked("c.online"));
        EXPECT_TRUE(Visible("l.recordonly"));
    }

    // A stream that fails while live and recording: the reason stays in the
    // status line, and the platform hears the recording end.
    Do("start ok");
    ASSERT_NO_FATAL_FAILURE(GoLive());
    Mark();
    Toggle("c.record");
    ASSERT_TRUE(WaitCalls({"request: startrecord"})) << Shown();
    Do("room startrecord ok");
    Mark();
    Tell("stream failed -2");  // OBS_OUTPUT_CONNECT_FAILED
    const Json::Value box = Box();
    EXPECT_EQ(box["text"].asString(), PackageText("s.stream.error.connect"));
    EXPECT_EQ(Text("l.status"), PackageText("s.stream.error.connect"));
    EXPECT_EQ(CallsSinceMark(), std::vector<std::string>{"request: stoprecord"});
    Answer(true);
    EXPECT_FALSE(Checked("c.online"));
    EXPECT_FALSE(Visible("l.health"));
}

TEST_F(MainWinFake, AKickOutStopsTellsAndEnds) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(GoLive());
    Mark();
    Toggle("c.record");
    ASSERT_TRUE(WaitCalls({"request: startrecord"})) << Shown();
    Do("room startrecord ok");
    Mark();
    Tell("kickout 违反直播规范");
    const Json::Value box = Box();
    EXPECT_EQ(box["text"].asString(), "您已被踢出！\r\n违反直播规范");
    EXPECT_EQ(box["caption"].asString(), PackageText("s.msg.title"));
    EXPECT_EQ(CallsSinceMark(), std::vector<std::string>{"engine: StopStreaming"})
        << "no stoprecord: " << Shown();
    Answer(true);
    EXPECT_EQ(host_->waitExit(15000), 0) << host_->log();
    EXPECT_TRUE(host_->printed("host: ReleaseForExit 1000"));
}

TEST_F(MainWinFake, AnAccountThatMayNotRecordSeesNoRecordSwitches) {
    ASSERT_NO_FATAL_FAILURE(Start({{"ZV_HOST_ALLOW_RECORD", "0"}}));
    EXPECT_FALSE(Visible("l.record"));
    EXPECT_FALSE(Visible("l.recordonly"));
    ASSERT_NO_FATAL_FAILURE(GoLive());
    EXPECT_FALSE(Visible("l.record"));
    Mark();
    Toggle("c.online");
    EXPECT_TRUE(WaitCalls({"engine: StopStreaming"})) << "no stoprecord: " << Shown();
    EXPECT_FALSE(Visible("l.recordonly"));
}

TEST_F(MainWinFake, AnEngineThatCannotStartSaysSoAndEnds) {
    host_ = std::make_unique<zvtest::InspectedProgram>(
        zvtest::ProgramOptions{.argv = {ZV_HOST_EXE, ZV_DIST_DIR "/bin/Zelvio.dat"},
                               .env = {{"DISPLAY", display_->name()},
                                       {"ZV_HOST_ENGINE_FAILS", "1"},
                                       {"XDG_CONFIG_HOME", folder_}}});
    const Json::Value box = Box();
    EXPECT_EQ(box["text"].asString(), PackageText("s.error.init"));
    EXPECT_EQ(box["caption"].asString(), PackageText("s.msg.title"));
    Answer(true);
    EXPECT_EQ(host_->waitExit(15000), 0) << host_->log();
    EXPECT_TRUE(host_->printed("host: Release"));
}

}  // namespace
