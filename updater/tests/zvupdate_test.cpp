// The zvupdate program under the test X server against the platform
// stand-in: what it shows, what it downloads and opens, how it ends.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <glib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <future>
#include <optional>
#include <sstream>
#include <thread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "platform/root_marker.h"
#include "platform/x_display.h"
#include "progress_paint.h"
#include "support/process.h"
#include "support/standin.h"

using namespace std::chrono_literals;

namespace {

const std::string kUpdater = std::string(ZV_DIST_DIR) + "/ZvUpdator/zvupdate";
const std::string kTitle = "Zelvio软件更新";

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

// A visible top-level window whose name matches `name` exactly.
std::optional<std::string> FindWindow(const std::string& name, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto r = zvtest::RunCommand(
            {"xdotool", "search", "--onlyvisible", "--name", "^" + name + "$"}, 10);
        std::istringstream lines(r.output);
        std::string id;
        while (std::getline(lines, id)) {
            if (!id.empty() && std::isdigit(static_cast<unsigned char>(id[0]))) {
                return id;
            }
        }
        std::this_thread::sleep_for(100ms);
    }
    return std::nullopt;
}

// What a window manager sends when the window's close button is pressed.
bool RequestClose(const std::string& id) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return false;
    }
    const Window window = std::stoul(id);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(display, window, False, NoEventMask, &event) != 0;
    XSync(display, False);
    XCloseDisplay(display);
    return sent;
}

Geometry WindowGeometry(const std::string& id) {
    const auto r = zvtest::RunXCommand({"xdotool", "getwindowgeometry", "--shell", id}, 10);
    Geometry g;
    std::istringstream lines(r.output);
    std::string line;
    while (std::getline(lines, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, eq);
        const int value = std::atoi(line.c_str() + eq + 1);
        if (key == "X")
            g.x = value;
        if (key == "Y")
            g.y = value;
        if (key == "WIDTH")
            g.width = value;
        if (key == "HEIGHT")
            g.height = value;
    }
    return g;
}

// Presses the message box's only button with the pointer, as a user would.
void PressBoxButton(const std::string& id) {
    const Geometry g = WindowGeometry(id);
    zvtest::RunXCommand({"xdotool", "mousemove", std::to_string(g.x + g.width / 2),
                         std::to_string(g.y + g.height - 15), "click", "1"},
                        10);
}

struct Shot {
    GdkPixbuf* pixbuf = nullptr;
    ~Shot() {
        if (pixbuf)
            g_object_unref(pixbuf);
    }
    uint32_t At(int x, int y) const {
        const guchar* p = gdk_pixbuf_get_pixels(pixbuf) + y * gdk_pixbuf_get_rowstride(pixbuf) +
                          x * gdk_pixbuf_get_n_channels(pixbuf);
        return (p[0] << 16) | (p[1] << 8) | p[2];
    }
};

// The screen rectangle of the updater's client area, as a picture.
void Screenshot(const std::string& folder, const Geometry& g, Shot& shot) {
    const std::string file = folder + "/shot.png";
    const std::string crop = std::to_string(g.width) + "x" + std::to_string(g.height) + "+" +
                             std::to_string(g.x) + "+" + std::to_string(g.y);
    const auto r = zvtest::RunXCommand({"import", "-window", "root", "-crop", crop, file}, 30);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    shot.pixbuf = gdk_pixbuf_new_from_file(file.c_str(), nullptr);
    ASSERT_NE(shot.pixbuf, nullptr);
}

int Darkness(uint32_t p) {
    return 255 * 3 - ((p >> 16) & 0xFF) - ((p >> 8) & 0xFF) - (p & 0xFF);
}

class Zvupdate : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        platform_ = new zvtest::StandIn();
        platform_->ExportEnvironment();
    }
    static void TearDownTestSuite() {
        delete platform_;
        platform_ = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "these tests need an X server";
        platform_->Control("reset");
        folder_ = zvtest::MakeTempFolder("zvupdtest");
        setenv("XDG_CONFIG_HOME", (folder_ + "/config").c_str(), 1);
        setenv("XDG_DATA_HOME", (folder_ + "/data").c_str(), 1);
        setenv("ZELVIO_UPDATER_STALL_SECONDS", "3", 1);
        // The recording opener: appends what it was asked to open.
        const std::string opener = folder_ + "/opener.sh";
        std::ofstream(opener) << "#!/bin/sh\necho \"$1\" >> '" << folder_ << "/opened.txt'\n";
        ::chmod(opener.c_str(), 0755);
        setenv("ZELVIO_OPENER", opener.c_str(), 1);
        SetInstalledVersion("2.0.1");
    }
    void TearDown() override { zvtest::RemoveTree(folder_); }

    void SetInstalledVersion(const std::optional<std::string>& version) {
        ::mkdir((folder_ + "/config").c_str(), 0700);
        ::mkdir((folder_ + "/config/Zelvio").c_str(), 0700);
        std::ofstream ini(folder_ + "/config/Zelvio/registry.ini", std::ios::trunc);
        ini << "[Software\\Zelvio]\n";
        if (version) {
            ini << "Version=" << *version << "\n";
        }
    }

    Json::Value Offer(Json::Value settings) {
        return platform_->Control("version", settings)["reply"];
    }

    std::future<zvtest::CommandResult> Start() {
        return std::async(std::launch::async, [] { return zvtest::RunCommand({kUpdater}, 90); });
    }

    std::string Installer(const std::string& name) const {
        return folder_ + "/data/ZvUpdator/download/" + name;
    }
    std::string Opened() const { return Read(folder_ + "/opened.txt"); }
    size_t CountRequests(const std::string& path) {
        Json::Value filter;
        filter["path"] = path;
        return platform_->Requests(filter).size();
    }

    static zvtest::StandIn* platform_;
    std::string folder_;
};

zvtest::StandIn* Zvupdate::platform_ = nullptr;

TEST_F(Zvupdate, NewerVersionIsShownDownloadedAndOpened) {
    Json::Value v;
    v["version"] = "2.1.0";
    v["size"] = 1200000;
    v["throttle"] = 300000;  // about 4 s, so the window can be looked at
    const Json::Value reply = Offer(v);
    auto run = Start();

    const auto window = FindWindow(kTitle, 20s);
    ASSERT_TRUE(window.has_value());
    const Geometry g = WindowGeometry(*window);
    EXPECT_EQ(g.x, 400);
    EXPECT_EQ(g.y, 400);
    ASSERT_EQ(g.width, 320);
    ASSERT_EQ(g.height, 200);

    // Wait until the bar has grown, then compare with the expected picture.
    Shot shot;
    for (int i = 0; i < 40; ++i) {
        Shot attempt;
        Screenshot(folder_, g, attempt);
        std::swap(shot.pixbuf, attempt.pixbuf);
        if (shot.At(12, 150) == 0x00FF00) {
            break;
        }
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_EQ(shot.At(12, 150), 0x00FF00u) << "the bar never grew";
    EXPECT_EQ(shot.At(10, 150), 0xDCDCDCu);
    EXPECT_EQ(shot.At(11, 102), 0xDCDCDCu);
    EXPECT_EQ(shot.At(309, 189), 0xDCDCDCu);
    EXPECT_EQ(shot.At(5, 150), 0xFFFFFFu);
    EXPECT_EQ(shot.At(12, 101), 0xDCDCDCu);  // the bar starts two pixels inside
    // The versions: the text area matches the same drawing made off screen.
    cairo_surface_t* expected = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 320, 200);
    cairo_t* cr = cairo_create(expected);
    zv::updater::PaintProgress(cr, 320, 200, {"2.1.0", "2.0.1", 0, 0});
    cairo_destroy(cr);
    cairo_surface_flush(expected);
    int inkExpected = 0, inkShown = 0, inkBoth = 0;
    for (int y = 10; y < 100; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            cairo_image_surface_get_data(expected) + y * cairo_image_surface_get_stride(expected));
        for (int x = 10; x < 310; ++x) {
            const bool e = Darkness(row[x] & 0xFFFFFF) > 300;
            const bool s = Darkness(shot.At(x, y)) > 300;
            inkExpected += e;
            inkShown += s;
            inkBoth += e && s;
        }
    }
    cairo_surface_destroy(expected);
    EXPECT_GT(inkExpected, 300);
    EXPECT_GT(inkBoth, inkExpected * 9 / 10) << "shown " << inkShown;
    EXPECT_LT(inkShown, inkExpected * 11 / 10);
    // The percentage sits in the middle of the bar.
    int inkPercent = 0;
    for (int y = 130; y < 160; ++y) {
        for (int x = 100; x < 220; ++x) {
            inkPercent += Darkness(shot.At(x, y)) > 500;
        }
    }
    EXPECT_GT(inkPercent, 50);

    const auto box = FindWindow("成功", 30s);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(Opened(), "") << "opened before the box was closed";
    PressBoxButton(*box);
    ASSERT_EQ(run.wait_for(20s), std::future_status::ready);
    const auto result = run.get();
    EXPECT_EQ(result.exitCode, 1) << result.output;

    const std::string installer = Installer("ZelvioSetup-2.1.0.exe");
    EXPECT_EQ(Opened(), installer + "\n");
    const std::string bytes = Read(installer);
    ASSERT_EQ(bytes.size(), 1200000u);
    gchar* sum = g_compute_checksum_for_data(
        G_CHECKSUM_SHA256, reinterpret_cast<const guchar*>(bytes.data()), bytes.size());
    EXPECT_EQ(reply["sha256"].asString(), sum);
    g_free(sum);
}

TEST_F(Zvupdate, ClosingTheWindowMidDownloadEndsWithZeroAndRemovesThePartFile) {
    Json::Value v;
    v["version"] = "2.1.0";
    v["size"] = 3000000;
    v["throttle"] = 300000;  // 10 s if left alone
    Offer(v);
    auto run = Start();
    const auto window = FindWindow(kTitle, 20s);
    ASSERT_TRUE(window.has_value());
    const std::string installer = Installer("ZelvioSetup-2.1.0.exe");
    for (int i = 0; i < 50 && !Exists(installer); ++i) {
        std::this_thread::sleep_for(100ms);
    }
    ASSERT_TRUE(Exists(installer));
    ASSERT_TRUE(RequestClose(*window));
    ASSERT_EQ(run.wait_for(15s), std::future_status::ready);
    const zvtest::CommandResult result = run.get();
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_FALSE(Exists(installer));
    EXPECT_EQ(Opened(), "");
}

TEST_F(Zvupdate, NothingNewEndsSilently) {
    // The stand-in offers 2.0.1, the installed version.
    auto run = Start();
    ASSERT_EQ(run.wait_for(20s), std::future_status::ready);
    EXPECT_EQ(run.get().exitCode, 1);

    // Versions that differ only in case are the same version.
    SetInstalledVersion("2.1.0-RC1");
    Json::Value v;
    v["version"] = "2.1.0-rc1";
    Offer(v);
    run = Start();
    ASSERT_EQ(run.wait_for(20s), std::future_status::ready);
    const auto second = run.get();
    EXPECT_EQ(second.exitCode, 1) << second.output;
    EXPECT_EQ(CountRequests("/checkversion"), 2u);
    EXPECT_EQ(CountRequests("/download/ZelvioSetup-2.1.0-rc1.exe"), 0u);
    EXPECT_EQ(Opened(), "");
}

TEST_F(Zvupdate, CheckFailuresEndSilently) {
    Json::Value oops;
    oops["path"] = "/checkversion";
    oops["status"] = 500;
    oops["body"] = "oops";
    platform_->Control("script", oops);
    auto run = Start();
    ASSERT_EQ(run.wait_for(20s), std::future_status::ready);
    EXPECT_EQ(run.get().exitCode, 1);

    // No installed version: the query ends in "ver=".
    SetInstalledVersion(std::nullopt);
    Json::Value v;
    v["version"] = "2.1.0";
    v["code"] = 1;
    Offer(v);
    run = Start();
    ASSERT_EQ(run.wait_for(20s), std::future_status::ready);
    EXPECT_EQ(run.get().exitCode, 1);
    Json::Value filter;
    filter["path"] = "/checkversion";
    const Json::Value requests = platform_->Requests(filter);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1]["query"].asString(), "type=windows&ver=");
    EXPECT_EQ(Opened(), "");
}

TEST_F(Zvupdate, CheckTimesOutAndASecondUpdaterLeavesAtOnce) {
    Json::Value hang;
    hang["path"] = "/checkversion";
    hang["hang"] = 30;
    platform_->Control("script", hang);
    const auto started = std::chrono::steady_clock::now();
    auto first = Start();
    Json::Value wait;
    wait["path"] = "/checkversion";
    wait["timeout"] = 20;
    ASSERT_TRUE(platform_->Control("wait", wait)["found"].asBool());

    const auto secondStarted = std::chrono::steady_clock::now();
    const auto second = zvtest::RunCommand({kUpdater}, 30);
    EXPECT_EQ(second.exitCode, 0) << second.output;
    EXPECT_LT(std::chrono::steady_clock::now() - secondStarted, 5s);
    EXPECT_EQ(CountRequests("/checkversion"), 1u);

    ASSERT_EQ(first.wait_for(30s), std::future_status::ready);
    EXPECT_EQ(first.get().exitCode, 1);
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_GE(elapsed, 9s);
    EXPECT_LT(elapsed, 25s);

    // The marker of an ended updater is stale: the next one runs normally.
    const auto third = zvtest::RunCommand({kUpdater}, 30);
    EXPECT_EQ(third.exitCode, 1);
    EXPECT_EQ(CountRequests("/checkversion"), 2u);
}

// A marker naming a window of another program (an id the X server reused)
// does not stop the updater; one naming an updater's window does.
TEST_F(Zvupdate, MarkerMustNameAnUpdaterWindow) {
    Display* display = zv::OpenXDisplay();
    ASSERT_NE(display, nullptr);
    const Window foreign =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    XClassHint hint{const_cast<char*>("other"), const_cast<char*>("OTHER")};
    XSetClassHint(display, foreign, &hint);
    XSync(display, False);
    ASSERT_TRUE(zv::SetRootMarker("mutex.zelvio.40217755918.by.tovan.reel", foreign, display));
    auto result = zvtest::RunCommand({kUpdater}, 30);
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_EQ(CountRequests("/checkversion"), 1u);

    XClassHint updater{const_cast<char*>("zvupdate"), const_cast<char*>("ZVUPDATE")};
    XSetClassHint(display, foreign, &updater);
    XSync(display, False);
    ASSERT_TRUE(zv::SetRootMarker("mutex.zelvio.40217755918.by.tovan.reel", foreign, display));
    result = zvtest::RunCommand({kUpdater}, 30);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(CountRequests("/checkversion"), 1u);
    XDestroyWindow(display, foreign);
    XCloseDisplay(display);
}

TEST_F(Zvupdate, FailedDownloadsShowTheErrorBox) {
    struct Case {
        const char* name;
        Json::Value settings;
        const char* file;
    };
    Json::Value missing, tampered;
    missing["version"] = "2.1.0";
    missing["download"] = platform_->RouteHost() + "/download/missing.exe";
    tampered["version"] = "2.2.0";
    tampered["wrong_checksum"] = true;
    const Case cases[] = {{"HTTP 404", missing, "missing.exe"},
                          {"checksum mismatch", tampered, "ZelvioSetup-2.2.0.exe"}};
    for (const Case& c : cases) {
        platform_->Control("reset");
        Offer(c.settings);
        auto run = Start();
        const auto box = FindWindow("错误", 30s);
        ASSERT_TRUE(box.has_value()) << c.name;
        EXPECT_FALSE(Exists(Installer(c.file))) << c.name;
        PressBoxButton(*box);
        ASSERT_EQ(run.wait_for(20s), std::future_status::ready) << c.name;
        EXPECT_EQ(run.get().exitCode, 1) << c.name;
        EXPECT_EQ(Opened(), "") << c.name;
    }
}

}  // namespace
