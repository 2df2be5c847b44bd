// The client on a high-density screen (GDK_SCALE=2), driven by real input
// through the inspector's rectangles, which stay in X pixels: the login
// window comes up twice its logical size, the caption drag moves it by the
// drag, signing in and going live work, and screenshots are left for a
// person to look at.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>

#include "main_session.h"
#include "support/client_harness.h"
#include "support/process.h"
#include "support/standin.h"
#include "support/test_account.h"
#include "support/ui_driver.h"

namespace {

constexpr const char* kUser = zvtest::kTestUser;
constexpr const char* kPassword = zvtest::kTestPassword;
const std::string kLive = clienttest::PackageText("s.status.live");

// An X server of the test's own, large enough for the main window at twice
// its size (920 × 600 logical), with a window manager. The server picks its
// number itself (-displayfd writes it to the log, which is its stdout).
class LargeDisplay {
public:
    LargeDisplay() : folder_(zvtest::MakeTempFolder("zv-scale-display-")) {
        const std::string log = folder_ + "/xvfb.log";
        server_.Spawn(
            {"Xvfb", "-displayfd", "1", "-screen", "0", "2560x1600x24", "-nolisten", "tcp"}, log);
        std::string number;
        zvtest::WaitFor(
            [&] {
                std::ifstream in(log);
                std::string line;
                while (std::getline(in, line)) {
                    if (std::regex_match(line, std::regex("[0-9]+"))) {
                        number = line;
                        return true;
                    }
                }
                return !server_.Running();
            },
            10000);
        if (number.empty()) {
            problem_ = "Xvfb did not start: " + zvtest::FileTail(log);
            return;
        }
        const std::string name = ":" + number;
        // The window manager finds its display in the environment.
        setenv("DISPLAY", name.c_str(), 1);
        manager_.Spawn({"openbox", "--sm-disable"}, folder_ + "/openbox.log");
        if (!zvtest::WaitFor(
                [&] { return zvtest::RootWindowProperty(name, "_NET_SUPPORTING_WM_CHECK") != 0; },
                10000)) {
            problem_ = "openbox did not start: " + zvtest::FileTail(folder_ + "/openbox.log");
            return;
        }
        name_ = name;
    }
    ~LargeDisplay() {
        manager_.Terminate();
        server_.Terminate();
        zvtest::RemoveTree(folder_);
    }
    const std::string& name() const { return name_; }
    const std::string& problem() const { return problem_; }

private:
    std::string folder_, name_, problem_;
    zvtest::ChildProcess server_, manager_;
};

class HighDensity : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The client inherits the test's environment: a scale-2 desktop
        // without a separate text scale.
        setenv("GDK_SCALE", "2", 1);
        unsetenv("GDK_DPI_SCALE");
        display_ = new LargeDisplay();
        if (display_->problem().empty()) {
            ingest_ = new zvtest::Ingest();
            platform_ = new zvtest::StandIn({.rtmpPort = ingest_->Port()});
            install_ = new clienttest::ClientInstall();
        }
    }
    static void TearDownTestSuite() {
        delete install_;
        delete platform_;
        delete ingest_;
        delete display_;
        unsetenv("GDK_SCALE");
    }
    void SetUp() override {
        if (!display_->problem().empty()) {
            GTEST_SKIP() << display_->problem();
        }
        input_ = std::make_unique<zvtest::XInput>(display_->name());
        ASSERT_TRUE(input_->ok());
        home_ = std::make_unique<clienttest::ClientHome>();
        ASSERT_TRUE(
            zvtest::SetRootWindowProperty(display_->name(), clienttest::kInstanceMarker, 0));
        client_ = clienttest::StartClient(*install_, *home_,
                                          {.display = display_->name(), .platform = platform_});
        ASSERT_TRUE(client_->waitShown("w.login", 20000)) << client_->log();
    }
    void TearDown() override { client_.reset(); }

    // Every named, visible control of the window is twice its logical size
    // on the screen and sits at twice its logical place; the problems.
    std::string CheckDoubled(const std::string& windowId) const {
        const Json::Value w = client_->window(windowId);
        std::ostringstream problems;
        if (w["scale"].asInt() != 2) {
            problems << windowId << " has scale " << w["scale"] << "\n";
        }
        for (const Json::Value& c : w["controls"]) {
            if (!c["visible"].asBool() || c["row"].asInt() != -1) {
                continue;
            }
            const Json::Value &client = c["client"], &screen = c["screen"];
            if (screen["width"].asInt() != 2 * client["width"].asInt() ||
                screen["height"].asInt() != 2 * client["height"].asInt() ||
                screen["x"].asInt() != w["screen"]["x"].asInt() + 2 * client["x"].asInt() ||
                screen["y"].asInt() != w["screen"]["y"].asInt() + 2 * client["y"].asInt()) {
                problems << c["name"].asString() << ": client " << client.toStyledString()
                         << " screen " << screen.toStyledString();
            }
        }
        return problems.str();
    }

    static LargeDisplay* display_;
    static zvtest::Ingest* ingest_;
    static zvtest::StandIn* platform_;
    static clienttest::ClientInstall* install_;
    std::unique_ptr<zvtest::XInput> input_;
    std::unique_ptr<clienttest::ClientHome> home_;
    std::unique_ptr<zvtest::InspectedProgram> client_;
};

LargeDisplay* HighDensity::display_ = nullptr;
zvtest::Ingest* HighDensity::ingest_ = nullptr;
zvtest::StandIn* HighDensity::platform_ = nullptr;
clienttest::ClientInstall* HighDensity::install_ = nullptr;

TEST_F(HighDensity, TheLoginWindowIsTwiceItsSizeAndTheCaptionDragMovesItByTheDrag) {
    const Json::Value before = client_->window("w.login")["screen"];
    EXPECT_EQ(before["width"].asInt(), 720) << "360 logical pixels wide";
    EXPECT_EQ(before["height"].asInt(), 920) << "460 logical pixels high";
    EXPECT_EQ(CheckDoubled("w.login"), "");
    zvtest::Screenshot(display_->name(), clienttest::ScreenshotPath("scale2-login-window"));

    // A press in the caption strip, left of the minimise box: the window
    // manager moves the window as far as the pointer goes, in X pixels.
    const Json::Value minimise = client_->control("w.login", "NC.MIN")["screen"];
    const int x = minimise["x"].asInt() - 60, y = minimise["y"].asInt() + 20;
    input_->drag(x, y, x + 240, y + 160);
    EXPECT_TRUE(zvtest::WaitFor([&] {
        const Json::Value now = client_->window("w.login")["screen"];
        return now["x"].asInt() == before["x"].asInt() + 240 &&
               now["y"].asInt() == before["y"].asInt() + 160;
    })) << "was "
        << before.toStyledString() << " now "
        << client_->window("w.login")["screen"].toStyledString();
    EXPECT_EQ(CheckDoubled("w.login"), "") << "the rectangles follow the window";

    // The close box answers where it is drawn.
    const auto close = zvtest::Centre(client_->control("w.login", "NC.CLOSE"));
    input_->click(close.x, close.y);
    EXPECT_EQ(client_->waitExit(15000), 0) << client_->log();
}

TEST_F(HighDensity, SigningInAndGoingLiveWorkThroughTheScaledRectangles) {
    const std::string problem = clienttest::SignIn(*client_, *input_, kUser, kPassword);
    ASSERT_TRUE(problem.empty()) << problem;
    ASSERT_TRUE(client_->waitShown("w.main", 20000)) << client_->log();
    const Json::Value main = client_->window("w.main")["screen"];
    EXPECT_EQ(main["width"].asInt(), 1840) << "920 logical pixels wide";
    EXPECT_EQ(CheckDoubled("w.main"), "");

    const Json::Value online = client_->control("w.main", "c.online");
    ASSERT_TRUE(zvtest::WaitFor(
        [&] { return client_->control("w.main", "c.online")["enabled"].asBool(); }));
    const auto at = zvtest::Centre(online);
    zvtest::ClickUntil(*input_, at,
                       [&] { return client_->control("w.main", "c.online")["checked"].asBool(); });
    EXPECT_TRUE(zvtest::WaitFor(
        [&] { return client_->control("w.main", "l.status")["text"].asString() == kLive; }, 20000))
        << client_->control("w.main", "l.status")["text"] << client_->log();
    EXPECT_TRUE(client_->control("w.main", "c.online")["checked"].asBool());
    EXPECT_FALSE(clienttest::WaitRecording(*ingest_, "live", 8000).empty())
        << "nothing reached the ingest:\n"
        << ingest_->Log();
    zvtest::Screenshot(display_->name(), clienttest::ScreenshotPath("scale2-main-window-live"));

    input_->click(at.x, at.y);  // off-line again
    EXPECT_TRUE(zvtest::WaitFor(
        [&] { return client_->control("w.main", "l.status")["text"].asString().empty(); }, 15000));
}

}  // namespace
