// The main job without a display: the client itself, as installed, on an X
// server of its own with a window manager, against the local platform
// stand-in and a real RTMP ingest, used through real input. It signs in, goes
// live on the video scene, switches to a looping video file, goes off-line
// and closes; then it reports what reached the ingest and exits non-zero if
// any of it is wrong.
//
//   zv_mainjob [--out DIR] [--seconds N]
//
// DIR receives login.png, live.png (the main window while live) and
// ingest-first-frame.png. Everything started here is stopped at the end, also
// after a failure, SIGINT or SIGTERM.
#include <X11/keysym.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/client_harness.h"
#include "support/process.h"
#include "support/standin.h"
#include "support/test_account.h"
#include "support/ui_driver.h"

namespace {

constexpr const char* kUser = zvtest::kTestUser;
constexpr const char* kPassword = zvtest::kTestPassword;
const std::string kLive = clienttest::PackageText("s.status.live");

std::atomic<int> g_signal{0};

struct Interrupted : std::runtime_error {
    Interrupted() : std::runtime_error("interrupted") {}
};

// SIGINT and SIGTERM are taken by a thread of their own, so that the main
// thread can unwind and every destructor stops what it started.
void WatchSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set] {
        int sig = 0;
        sigwait(&set, &sig);
        g_signal = sig;
    }).detach();
}

void CheckInterrupt() {
    if (g_signal != 0) {
        throw Interrupted();
    }
}

struct Report {
    std::vector<std::pair<std::string, bool>> checks;
    void Check(const std::string& what, bool ok) {
        checks.emplace_back(what, ok);
        std::printf("  [%s] %s\n", ok ? " ok " : "FAIL", what.c_str());
        std::fflush(stdout);
    }
    bool AllOk() const {
        for (const auto& [what, ok] : checks) {
            if (!ok) {
                return false;
            }
        }
        return !checks.empty();
    }
};

class Session {
public:
    Session(zvtest::InspectedProgram& client, zvtest::XInput& input)
        : client_(client), input_(input) {}

    // Waits for `ready`, noting every status text shown on the way.
    bool Wait(const std::function<bool()>& ready, int timeoutMs) {
        return zvtest::WaitFor(
            [&] {
                CheckInterrupt();
                Observe();
                return ready();
            },
            timeoutMs);
    }

    void Stay(double seconds) {
        Wait([] { return false; }, static_cast<int>(seconds * 1000));
    }

    void Click(const std::string& name) {
        const Json::Value c = client_.control("w.main", name);
        if (c.isNull()) {
            throw std::runtime_error(name + " is not in the main window");
        }
        const auto at = zvtest::Centre(c);
        input_.click(at.x, at.y);
    }

    std::string Status() const { return client_.control("w.main", "l.status")["text"].asString(); }
    const std::vector<std::string>& Seen() const { return seen_; }

private:
    void Observe() {
        const std::string s = Status();
        if (!s.empty() && (seen_.empty() || seen_.back() != s)) {
            seen_.push_back(s);
        }
    }
    zvtest::InspectedProgram& client_;
    zvtest::XInput& input_;
    std::vector<std::string> seen_;
};

// Counted video frames per second of a recording (the FLV header's rate is
// not the stream's).
double FramesPerSecond(const std::string& file, double duration) {
    const zvtest::CommandResult r =
        zvtest::RunCommand({"ffprobe", "-v", "error", "-select_streams", "v", "-count_packets",
                            "-show_entries", "stream=nb_read_packets", "-of", "csv=p=0", file});
    const double frames = r.exitCode == 0 ? std::atof(r.output.c_str()) : 0;
    return duration > 0 ? frames / duration : 0;
}

int Run(const std::string& out, double seconds) {
    std::filesystem::create_directories(out);
    Report report;
    std::printf(
        "Zelvio main job: the client signed in, live on the video scene and on a "
        "looping video file, %.0f s each\n",
        seconds);
    clienttest::LiveRig rig;
    auto& [display, ingest, platform, install] = rig;
    if (!display.problem().empty()) {
        std::fprintf(stderr, "zv_mainjob: %s\n", display.problem().c_str());
        return 1;
    }
    clienttest::ClientHome home;
    const std::string clip = home.root + "/clip720.mp4";
    zvtest::MakeTestClip(clip, 6, 1280, 720);
    std::printf("  display %s, platform %s, ingest rtmp://127.0.0.1:%d\n", display.name().c_str(),
                platform.ApiHost().c_str(), ingest.Port());

    auto client =
        clienttest::StartClient(install, home, {.display = display.name(), .platform = &platform});
    zvtest::XInput input(display.name());
    Session session(*client, input);
    const bool login = client->waitShown("w.login", 20000);
    report.Check("the login window came up", login);
    if (!login) {
        std::fprintf(stderr, "%s\n", client->log().c_str());
        return 1;
    }
    zvtest::Screenshot(display.name(), out + "/login.png");
    const std::string problem = clienttest::SignIn(*client, input, kUser, kPassword);
    report.Check("signed in as " + std::string(kUser) + "; the main window came up",
                 problem.empty());
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }
    session.Stay(2);  // the pages and the first preview frames

    session.Click("c.online");
    const bool live = session.Wait([&] { return session.Status() == kLive; }, 20000);
    report.Check("live on the video scene (\"" + std::string(kLive) + "\")", live);
    session.Stay(seconds);

    clienttest::ChooseVideoFile(*client, input, clip);
    const bool media = session.Wait(
        [&] { return client->control("w.main", "btn.push.vod")["images"][0].asInt() == 1; }, 8000);
    report.Check("switched to the looping video file", media);
    session.Stay(seconds / 2);
    zvtest::Screenshot(display.name(), out + "/live.png");
    session.Stay(seconds / 2);
    report.Check("still live after the switch", session.Status() == kLive);

    session.Click("c.online");
    report.Check("off-line: the status is empty",
                 session.Wait([&] { return session.Status().empty(); }, 8000));
    session.Stay(0.5);
    session.Click("NC.CLOSE");
    const int code = client->waitExit(30000);
    report.Check("the client ended with " + std::to_string(code), code == 0);
    if (code != 0) {
        std::fprintf(stderr, "%s\n",
                     zvtest::FileTail(client->folder() + "/stderr.log", 20000).c_str());
    }
    const bool updater = install.waitUpdaterStarts(1, 30000);
    report.Check(std::string("the updater was ") + (updater ? "started" : "not started"), updater);

    std::string statuses;
    for (const auto& s : session.Seen()) {
        statuses += (statuses.empty() ? "" : " → ") + s;
    }
    std::printf("  status texts seen: %s\n", statuses.c_str());

    const std::string recording = ingest.NewestRecording("live");
    const Json::Value probe = recording.empty() ? Json::Value() : zvtest::Ffprobe(recording);
    report.Check(
        "a recording reached the ingest: " + std::filesystem::path(recording).filename().string(),
        !probe.isNull());
    if (!probe.isNull()) {
        const Json::Value video = zvtest::StreamOf(probe, "video"),
                          audio = zvtest::StreamOf(probe, "audio");
        const double duration = std::atof(probe["format"].get("duration", "0").asCString());
        const double fps = FramesPerSecond(recording, duration);
        char line[256];
        std::snprintf(line, sizeof line, "video %s %dx%d at %.2f frames/s",
                      video["codec_name"].asCString(), video["width"].asInt(),
                      video["height"].asInt(), fps);
        report.Check(line, video["codec_name"].asString() == "h264" &&
                               video["width"].asInt() == 1280 && video["height"].asInt() == 720 &&
                               fps > 7.0 && fps < 9.0);
        std::snprintf(line, sizeof line, "audio %s %s Hz, %d channel(s)",
                      audio["codec_name"].asCString(), audio["sample_rate"].asCString(),
                      audio["channels"].asInt());
        report.Check(line, audio["codec_name"].asString() == "aac" &&
                               audio["sample_rate"].asString() == "44100" &&
                               audio["channels"].asInt() == 1);
        std::snprintf(line, sizeof line, "duration %.1f s", duration);
        report.Check(line, duration > seconds * 1.5);
        const zvtest::CommandResult frame =
            zvtest::RunCommand({"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-i", recording,
                                "-frames:v", "1", out + "/ingest-first-frame.png"});
        report.Check("the ingest's first frame saved", frame.exitCode == 0);
    }
    std::printf("  screenshots in %s: login.png, live.png, ingest-first-frame.png\n", out.c_str());
    std::printf("Summary: %s\n", report.AllOk() ? "all checks passed" : "some checks failed");
    return report.AllOk() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string out = "mainjob-output";
    double seconds = 10;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--out") && i + 1 < argc) {
            out = argv[++i];
        } else if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc) {
            seconds = std::max(2.0, std::atof(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: zv_mainjob [--out DIR] [--seconds N]\n");
            return 2;
        }
    }
    WatchSignals();
    try {
        return Run(std::filesystem::absolute(out).string(), seconds);
    } catch (const Interrupted&) {
        std::fprintf(stderr, "zv_mainjob: stopped by signal %d; everything it started is stopped\n",
                     g_signal.load());
        return 128 + g_signal.load();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zv_mainjob: %s\n", e.what());
        return 1;
    }
}
