// The main window on a Wayland desktop (run inside tests/wayland/rig.sh, whose
// XWayland the client's windows use): the desktop button captures the
// compositor's screen through the portal and the ingest shows it; the window
// menu offers the portal's chooser and says why this desktop refuses it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "main_session.h"
#include "support/process.h"

namespace {

using clienttest::PackageText;
using clienttest::WaitRecording;

// The rig's background, as its CTest entry gives it.
constexpr int kRed = 0x20, kGreen = 0xC0, kBlue = 0x40;

// Share of a picture (a video's frame at `second`, or an image) near the rig's
// colour, on a 64 x 36 thumbnail; -1 when it cannot be read.
double ShareOfRigColour(const std::string& file, const std::string& folder, double second = -1) {
    const std::string out = folder + "/thumb.rgb";
    std::vector<std::string> argv{"ffmpeg", "-nostdin", "-y", "-loglevel", "error"};
    if (second >= 0) {
        argv.insert(argv.end(), {"-ss", std::to_string(second)});
    }
    argv.insert(argv.end(), {"-i", file, "-frames:v", "1", "-vf", "scale=64:36", "-pix_fmt",
                             "rgb24", "-f", "rawvideo", out});
    if (zvtest::RunCommand(argv, 30).exitCode != 0) {
        return -1;
    }
    std::ifstream in(out, std::ios::binary);
    const std::vector<unsigned char> px((std::istreambuf_iterator<char>(in)), {});
    if (px.size() != 64 * 36 * 3) {
        return -1;
    }
    int near = 0;
    for (size_t i = 0; i < px.size(); i += 3) {
        near += std::abs(px[i] - kRed) <= 20 && std::abs(px[i + 1] - kGreen) <= 20 &&
                std::abs(px[i + 2] - kBlue) <= 20;
    }
    return near / (64.0 * 36.0);
}

class MainWayland : public clienttest::MainSession {
protected:
    void SetUp() override {
        if (!std::getenv("WAYLAND_DISPLAY")) {
            GTEST_SKIP() << "for a Wayland desktop: run inside tests/wayland/rig.sh";
        }
        MainSession::SetUp();
    }
};

TEST_F(MainWayland, TheDesktopButtonSendsTheCompositorsScreenThroughThePortal) {
    ASSERT_NO_FATAL_FAILURE(SignIn());
    const size_t since = TraceCount();
    Click("btn.push.app");
    ASSERT_FALSE(WaitTrace("screencast: granted", since, 20000).empty()) << client_->log();
    ASSERT_TRUE(WaitEnabled("c.online"));
    TurnOn("c.online");
    ASSERT_TRUE(WaitText("l.status", PackageText("s.status.live"), 20000)) << Text("l.status");
    const std::string file = WaitRecording(*ingest_, "live", 60000);
    ASSERT_FALSE(file.empty()) << ingest_->Log();

    // What the compositor shows (its background around the client's windows)
    // is what was sent: X11 capture would see no background at all here.
    const std::string folder = zvtest::MakeTempFolder("zv-wayland-");
    const std::string shot = folder + "/output.png";
    ASSERT_EQ(zvtest::RunCommand({"grim", shot}, 30).exitCode, 0);
    const double onScreen = ShareOfRigColour(shot, folder);
    ASSERT_TRUE(WaitEnabled("c.online"));
    Click("c.online");
    ASSERT_TRUE(WaitText("l.status", "")) << Text("l.status");
    const double sent = ShareOfRigColour(file, folder, 1.0);
    EXPECT_GT(onScreen, 0.05) << shot;
    EXPECT_NEAR(sent, onScreen, 0.1) << file << " against " << shot;
    // Kept for a person to look at when asked (the rig's own folders go).
    if (const char* keep = std::getenv("ZV_SCREENSHOT_DIR")) {
        zvtest::RunCommand({"cp", shot, std::string(keep) + "/wayland-output.png"});
        zvtest::RunCommand({"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-ss", "1", "-i",
                            file, "-frames:v", "1", std::string(keep) + "/wayland-ingest.png"});
    }
    zvtest::RemoveTree(folder);

    // Closing with the portal's share and its PipeWire stream running.
    Click("NC.CLOSE");
    EXPECT_EQ(client_->waitExit(3000), 0) << client_->log();
}

TEST_F(MainWayland, TheWindowMenuOffersThePortalsChooserAndSaysWhyItIsRefused) {
    ASSERT_NO_FATAL_FAILURE(SignIn());
    Click("btn.push.app");
    Click("btn.setup.app");
    Json::Value menu;
    ASSERT_TRUE(zvtest::WaitFor([&] {
        const Json::Value menus = client_->menus();
        if (menus.empty() || menus[0]["items"].size() < 2) {
            return false;
        }
        menu = menus[0];
        return true;
    }));
    ASSERT_EQ(menu["items"].size(), 2u) << menu.toStyledString();
    EXPECT_EQ(menu["items"][0]["text"].asString(), PackageText("s.entry.desktop"));
    EXPECT_EQ(menu["items"][1]["text"].asString(), PackageText("s.entry.window.portal"));
    const auto at = zvtest::Centre(menu["items"][1]);
    input_->click(at.x, at.y);
    // This portal shares monitors only.
    EXPECT_TRUE(WaitText("l.status", PackageText("s.capture.window.refused"), 20000))
        << Text("l.status");
    EXPECT_TRUE(client_->running());
}

}  // namespace
