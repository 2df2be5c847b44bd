// The whole client against its peers, on one job and in one run: the media
// scene with a looping 1280x720 clip streamed to a local ingest. Rounds
// interleave the four (client with its pages, client without them, the
// engine alone, ffmpeg pushing the same clip with the same encoder settings);
// each figure is the median with min-max over the rounds.
//
//   client_bench [rounds=3] [seconds=10]
//
// Figures, for the whole process tree (the client's web processes included):
//   CPU-seconds per second while live, and of the main window while idle
//   PSS while live
//   process start to login window mapped; sign-in click to main window shown;
//   live click to "正在直播中..." and to the first coded media at the ingest
// The client runs as installed, signed in through its login window with
// real input, on an X server of its own with a window manager.
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "flv_scan.h"
#include "support/client_harness.h"
#include "support/proc_tree.h"
#include "support/process.h"
#include "support/standin.h"
#include "support/ui_driver.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kUser = "zvtest";
constexpr const char* kPassword = "zv-pass.123";
const std::string kLive = clienttest::PackageText("s.status.live");

void Sleep(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Figures {
    double liveCpu = 0, idleCpu = 0, pssMiB = 0, uiPssMiB = 0, signInMs = 0, liveMs = 0;
    double webPssMiB = 0, networkPssMiB = 0;  // WebKit's web and network processes
    double startMs = 0, firstMediaMs = 0;
    std::string tree;  // each process of the tree with its PSS
    bool ok = false;
};

std::string DescribeTree(pid_t root) {
    std::string text;
    for (const pid_t pid : zvtest::ProcessTree(root)) {
        char part[128];
        std::snprintf(part, sizeof part, "%s%s %.0f MiB", text.empty() ? "" : ", ",
                      zvtest::ProcessName(pid).c_str(), zvtest::ProcessPssKiB(pid) / 1024.0);
        text += part;
    }
    return text;
}

struct Bench {
    zvtest::OwnDisplay& display;
    zvtest::StandIn& platform;
    zvtest::Ingest& ingest;
    clienttest::ClientInstall& install;
    std::string clip;
    double seconds;

    // CPU-seconds per second of the tree over `seconds`.
    double TreeCpu(pid_t pid) const {
        const double c0 = zvtest::TreeCpuSeconds(pid);
        const auto t0 = Clock::now();
        Sleep(seconds);
        return (zvtest::TreeCpuSeconds(pid) - c0) /
               std::chrono::duration<double>(Clock::now() - t0).count();
    }

    void Click(zvtest::InspectedProgram& client, zvtest::XInput& input, const std::string& window,
               const std::string& name) const {
        const auto at = zvtest::Centre(client.control(window, name));
        input.click(at.x, at.y);
    }

    // The gift page is made when its tab first shows: "both pages" means
    // both views exist. Back on the preview tab afterwards, as streamers
    // keep it.
    bool OpenGiftPageOnce(zvtest::InspectedProgram& client, zvtest::XInput& input) const {
        const auto giftViewMade = [&] {
            for (const std::string& line : client.errorLines()) {
                if (line.find("WebView::CreateView") != std::string::npos &&
                    line.find("/gift") != std::string::npos) {
                    return true;
                }
            }
            return false;
        };
        Click(client, input, "w.main", "b.giftlist");
        const bool made = zvtest::WaitFor(giftViewMade, 20000);
        Click(client, input, "w.main", "b.preview");
        return made && zvtest::WaitFor([&] {
                   return client.control("w.main", "l.preview")["visible"].asBool();
               });
    }

    Figures RunClient(bool pages) const {
        Figures f;
        platform.Control("reset");
        if (!pages) {
            Json::Value account;
            account["username"] = kUser;
            account["password"] = kPassword;
            account["dataresult"]["chaturl"] = Json::Value();
            account["dataresult"]["gifturl"] = Json::Value();
            platform.Control("account", account);
        }
        zvtest::SetRootWindowProperty(display.name(), clienttest::kInstanceMarker, 0);
        clienttest::ClientHome home;
        const auto p0 = Clock::now();
        // Traced only with pages, to see the gift page's view made; a few
        // lines per page, nothing per frame.
        auto client = clienttest::StartClient(
            install, home, {.display = display.name(), .platform = &platform, .trace = pages});
        zvtest::XInput input(display.name());
        zvtest::WaitFor([&] { return client->window("w.login")["visible"].asBool(); }, 20000);
        f.startMs = Ms(Clock::now() - p0);
        if (!client->waitShown("w.login", 20000)) {
            std::fprintf(stderr, "client_bench: no login window\n%s\n", client->log().c_str());
            return f;
        }
        const auto s0 = Clock::now();
        const std::string problem = clienttest::SignIn(*client, input, kUser, kPassword);
        if (!problem.empty()) {
            std::fprintf(stderr, "client_bench: %s\n", problem.c_str());
            return f;
        }
        f.signInMs = Ms(Clock::now() - s0);  // includes typing the two fields
        if (pages && !OpenGiftPageOnce(*client, input)) {
            std::fprintf(stderr, "client_bench: the gift page was not made\n%s\n",
                         client->log().c_str());
            return f;
        }
        Sleep(3);  // pages and the first preview frames
        f.idleCpu = TreeCpu(client->pid());

        clienttest::ChooseVideoFile(*client, input, clip);
        zvtest::WaitFor(
            [&] { return client->control("w.main", "btn.push.vod")["images"][0].asInt() == 1; });
        Sleep(1);

        const std::vector<std::string> before = ingest.Recordings("live");
        const auto l0 = Clock::now();
        Click(*client, input, "w.main", "c.online");
        if (!zvtest::WaitFor(
                [&] { return client->control("w.main", "l.status")["text"].asString() == kLive; },
                20000)) {
            std::fprintf(stderr, "client_bench: did not go live\n%s\n", client->log().c_str());
            return f;
        }
        f.liveMs = Ms(Clock::now() - l0);
        zvtest::WaitFor(
            [&] {
                for (const std::string& file : ingest.Recordings("live")) {
                    if (std::find(before.begin(), before.end(), file) == before.end() &&
                        FlvHasMedia(file)) {
                        return true;
                    }
                }
                return false;
            },
            15000);
        f.firstMediaMs = Ms(Clock::now() - l0);
        Sleep(3);
        f.liveCpu = TreeCpu(client->pid());
        f.pssMiB = zvtest::TreePssKiB(client->pid()) / 1024.0;
        f.uiPssMiB = zvtest::ProcessPssKiB(client->pid()) / 1024.0;
        for (const pid_t pid : zvtest::ProcessTree(client->pid())) {
            const std::string name = zvtest::ProcessName(pid);
            const double mib = zvtest::ProcessPssKiB(pid) / 1024.0;
            if (name.rfind("WebKitWebProc", 0) == 0) {
                f.webPssMiB += mib;
            } else if (name.rfind("WebKitNetwork", 0) == 0) {
                f.networkPssMiB += mib;
            }
        }
        f.tree = DescribeTree(client->pid());

        Click(*client, input, "w.main", "c.online");
        zvtest::WaitFor(
            [&] { return client->control("w.main", "l.status")["text"].asString().empty(); });
        Sleep(0.5);
        Click(*client, input, "w.main", "NC.CLOSE");
        f.ok = client->waitExit(8000) == 0;
        return f;
    }

    // ffmpeg pushing the same clip with the client's encoder settings: 8000/1001
    // frames/s, x264 2800 kbit/s VBR with a key frame every 4 s, AAC 32 kbit/s
    // mono at 44100 Hz.
    Figures RunFfmpeg() const {
        Figures f;
        const std::string log = zvtest::MakeTempFolder("zv-ffmpeg-bench-") + "/ffmpeg.log";
        zvtest::ChildProcess ffmpeg;
        ffmpeg.Spawn({"ffmpeg",
                      "-nostdin",
                      "-loglevel",
                      "error",
                      "-re",
                      "-stream_loop",
                      "-1",
                      "-i",
                      clip,
                      "-vf",
                      "fps=8000/1001",
                      "-c:v",
                      "libx264",
                      "-preset",
                      "veryfast",
                      "-b:v",
                      "2800k",
                      "-maxrate",
                      "2800k",
                      "-bufsize",
                      "2800k",
                      "-g",
                      "32",
                      "-pix_fmt",
                      "yuv420p",
                      "-c:a",
                      "aac",
                      "-b:a",
                      "32k",
                      "-ac",
                      "1",
                      "-ar",
                      "44100",
                      "-f",
                      "flv",
                      ingest.PushUrl("live", "ffmpeg")},
                     log);
        Sleep(3);
        f.liveCpu = TreeCpu(ffmpeg.Pid());
        f.pssMiB = zvtest::TreePssKiB(ffmpeg.Pid()) / 1024.0;
        f.ok = ffmpeg.Running() && f.liveCpu > 0;
        ffmpeg.Terminate();
        if (!f.ok) {
            std::fprintf(stderr, "client_bench: ffmpeg failed:\n%s\n",
                         zvtest::FileTail(log).c_str());
        }
        zvtest::RemoveTree(std::filesystem::path(log).parent_path().string());
        return f;
    }

    Figures RunEngine() const {
        Figures f;
        const zvtest::CommandResult r =
            zvtest::RunCommand({"env", "DISPLAY=" + display.name(), ZV_ENGINE_BENCH,
                                std::to_string(static_cast<int>(seconds))},
                               120);
        std::smatch m;
        if (std::regex_search(r.output, m,
                              std::regex(R"(CPU while streaming with preview:\s+([0-9.]+))"))) {
            f.liveCpu = std::stod(m[1]);
        }
        if (std::regex_search(r.output, m, std::regex(R"(PSS while streaming:\s+([0-9]+) KiB)"))) {
            f.pssMiB = std::stod(m[1]) / 1024.0;
        }
        f.ok = r.exitCode == 0 && f.liveCpu > 0;
        if (!f.ok) {
            std::fprintf(stderr, "client_bench: engine_bench failed:\n%s\n", r.output.c_str());
        }
        return f;
    }
};

struct Spread {
    double median = 0, min = 0, max = 0;
};

Spread Of(std::vector<Figures> runs, const std::function<double(const Figures&)>& pick) {
    std::vector<double> v;
    for (const auto& r : runs) {
        if (r.ok) {
            v.push_back(pick(r));
        }
    }
    if (v.empty()) {
        return {};
    }
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return {n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2, v.front(), v.back()};
}

void Row(const char* what, const Spread& s, const char* unit, int decimals) {
    std::printf("  %-44s %9.*f %-8s [%.*f-%.*f]\n", what, decimals, s.median, unit, decimals, s.min,
                decimals, s.max);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const double seconds = argc > 2 ? std::max(2, std::atoi(argv[2])) : 10;
    try {
        clienttest::LiveRig rig;
        auto& [display, ingest, platform, install] = rig;
        if (!display.problem().empty()) {
            std::fprintf(stderr, "client_bench: %s\n", display.problem().c_str());
            return 1;
        }
        const std::string folder = zvtest::MakeTempFolder("zv-client-bench-");
        const std::string clip = folder + "/clip720.mp4";
        zvtest::MakeTestClip(clip, 10, 1280, 720);
        const Bench bench{display, platform, ingest, install, clip, seconds};

        std::vector<Figures> withPages, withoutPages, engine, ffmpeg;
        for (int i = 0; i < rounds; ++i) {
            withPages.push_back(bench.RunClient(true));
            withoutPages.push_back(bench.RunClient(false));
            engine.push_back(bench.RunEngine());
            ffmpeg.push_back(bench.RunFfmpeg());
        }
        zvtest::RemoveTree(folder);

        auto liveCpu = [](const Figures& f) { return f.liveCpu; };
        auto pss = [](const Figures& f) { return f.pssMiB; };
        const Spread engineCpu = Of(engine, liveCpu), enginePss = Of(engine, pss);
        const Spread pagesCpu = Of(withPages, liveCpu), barePss = Of(withoutPages, pss);
        const Spread bareCpu = Of(withoutPages, liveCpu), pagesPss = Of(withPages, pss);

        std::printf(
            "client live on a looping 1280x720 clip, %d rounds of %.0f s (median [min-max])\n",
            rounds, seconds);
        Row("engine alone: CPU while streaming", engineCpu, "CPU-s/s", 3);
        Row("client with pages: CPU while live", pagesCpu, "CPU-s/s", 3);
        Row("client without pages: CPU while live", bareCpu, "CPU-s/s", 3);
        Row("client with pages: CPU idle (not live)",
            Of(withPages, [](const Figures& f) { return f.idleCpu; }), "CPU-s/s", 3);
        Row("client without pages: CPU idle (not live)",
            Of(withoutPages, [](const Figures& f) { return f.idleCpu; }), "CPU-s/s", 3);
        Row("ffmpeg, same file and settings: CPU", Of(ffmpeg, liveCpu), "CPU-s/s", 3);
        Row("engine alone: PSS while streaming", enginePss, "MiB", 1);
        Row("ffmpeg, same file and settings: PSS", Of(ffmpeg, pss), "MiB", 1);
        Row("client with pages: PSS while live (tree)", pagesPss, "MiB", 1);
        Row("client with pages: PSS of the UI process",
            Of(withPages, [](const Figures& f) { return f.uiPssMiB; }), "MiB", 1);
        Row("client with pages: PSS of the web process",
            Of(withPages, [](const Figures& f) { return f.webPssMiB; }), "MiB", 1);
        Row("client with pages: PSS of the network process",
            Of(withPages, [](const Figures& f) { return f.networkPssMiB; }), "MiB", 1);
        Row("client without pages: PSS while live", barePss, "MiB", 1);
        Row("client without pages: PSS of browser processes",
            Of(withoutPages, [](const Figures& f) { return f.webPssMiB + f.networkPssMiB; }), "MiB",
            1);
        Row("sign-in click to main window (typing incl.)",
            Of(withPages, [](const Figures& f) { return f.signInMs; }), "ms", 0);
        Row("process start to login window mapped",
            Of(withPages, [](const Figures& f) { return f.startMs; }), "ms", 0);
        Row("live click to the first media at the ingest",
            Of(withPages, [](const Figures& f) { return f.firstMediaMs; }), "ms", 0);
        Row("live click to the live status",
            Of(withPages, [](const Figures& f) { return f.liveMs; }), "ms", 0);
        std::printf("  tree with pages:    %s\n", withPages.back().tree.c_str());
        std::printf("  tree without pages: %s\n", withoutPages.back().tree.c_str());
        if (engineCpu.median > 0) {
            std::printf("  ratio CPU client with pages / engine alone:    %6.2f\n",
                        pagesCpu.median / engineCpu.median);
            std::printf("  ratio CPU client without pages / engine alone: %6.2f\n",
                        bareCpu.median / engineCpu.median);
        }
        // ffmpeg on the same job is the yardstick that other broadcasters'
        // figures, measured elsewhere, can be set against.
        if (const Spread ff = Of(ffmpeg, liveCpu); ff.median > 0) {
            std::printf("  ratio CPU client with pages / ffmpeg:          %6.2f\n",
                        pagesCpu.median / ff.median);
            std::printf("  ratio CPU client without pages / ffmpeg:       %6.2f\n",
                        bareCpu.median / ff.median);
        }
        if (const Spread ff = Of(ffmpeg, pss); ff.median > 0) {
            std::printf("  ratio PSS client with pages / ffmpeg:          %6.2f\n",
                        pagesPss.median / ff.median);
            std::printf("  ratio PSS client without pages / ffmpeg:       %6.2f\n",
                        barePss.median / ff.median);
        }
        if (enginePss.median > 0) {
            std::printf("  ratio PSS client with pages / engine alone:    %6.2f\n",
                        pagesPss.median / enginePss.median);
        }
        const auto allOk = [](const std::vector<Figures>& v) {
            return std::all_of(v.begin(), v.end(), [](const Figures& f) { return f.ok; });
        };
        return allOk(withPages) && allOk(withoutPages) && allOk(engine) && allOk(ffmpeg) ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "client_bench: %s\n", e.what());
        return 1;
    }
}
