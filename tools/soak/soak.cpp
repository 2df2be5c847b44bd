// A long live session (not part of the test command): the installed client,
// signed in through its windows, streams a looping 720p clip to a real ingest
// that is restarted every few minutes. At the end it reports the memory of the
// client's process tree over the run, the reconnects the status line showed,
// and the longest gap in what reached the ingest.
//
//   zv_soak [--minutes 30] [--restart-every 300]
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/client_harness.h"
#include "support/proc_tree.h"
#include "support/process.h"
#include "support/standin.h"
#include "support/test_account.h"
#include "support/ui_driver.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// One published stream at the ingest: its start (from the recording's name,
// "<key>-<unix time>.flv"), the span of its video packets and the longest
// pause between two of them.
struct Piece {
    double start = 0, first = -1, last = -1, longestInnerGap = 0;
};

Piece ReadPiece(const std::string& file) {
    Piece p;
    std::smatch m;
    const std::string name = std::filesystem::path(file).filename().string();
    if (std::regex_search(name, m, std::regex(R"(-(\d+)\.flv$)"))) {
        p.start = std::stod(m[1]);
    }
    const zvtest::CommandResult r =
        zvtest::RunCommand({"ffprobe", "-v", "error", "-select_streams", "v", "-show_entries",
                            "packet=pts_time", "-of", "csv=p=0", file},
                           300);
    std::istringstream lines(r.output);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty()) {
            continue;
        }
        const double t = std::atof(line.c_str());
        if (p.last >= 0) {
            p.longestInnerGap = std::max(p.longestInnerGap, t - p.last);
        }
        if (p.first < 0) {
            p.first = t;
        }
        p.last = t;
    }
    return p;
}

// The longest time without video at the ingest: within a recording, or from
// the end of one to the start of the next (a reconnect).
double LongestGap(const zvtest::Ingest& ingest) {
    std::vector<Piece> pieces;
    for (const auto& f : ingest.Recordings("live")) {
        const Piece p = ReadPiece(f);
        if (p.first >= 0) {
            pieces.push_back(p);
        }
    }
    std::sort(pieces.begin(), pieces.end(),
              [](const Piece& a, const Piece& b) { return a.start < b.start; });
    double longest = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        longest = std::max(longest, pieces[i].longestInnerGap);
        if (i > 0) {
            const double end = pieces[i - 1].start + pieces[i - 1].last;
            longest = std::max(longest, pieces[i].start + pieces[i].first - end);
        }
    }
    return longest;
}

// The threads of a process now (a thread left behind by each reconnect would
// show here as well as in its memory); 0 when it is gone.
int ThreadCount(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Threads:", 0) == 0) {
            return std::atoi(line.c_str() + 8);
        }
    }
    return 0;
}

int Run(double minutes, double restartEvery) {
    clienttest::LiveRig rig;
    auto& [display, ingest, platform, install] = rig;
    if (!display.problem().empty()) {
        std::fprintf(stderr, "zv_soak: %s\n", display.problem().c_str());
        return 1;
    }
    clienttest::ClientHome home;
    const std::string clip = home.root + "/clip720.mp4";
    zvtest::MakeTestClip(clip, 10, 1280, 720);
    auto client = clienttest::StartClient(
        install, home, {.display = display.name(), .platform = &platform, .trace = false});
    zvtest::XInput input(display.name());
    const auto click = [&](const std::string& name) {
        const auto at = zvtest::Centre(client->control("w.main", name));
        input.click(at.x, at.y);
    };
    const auto status = [&] { return client->control("w.main", "l.status")["text"].asString(); };
    if (!client->waitShown("w.login", 20000)) {
        std::fprintf(stderr, "zv_soak: no login window\n%s\n", client->log().c_str());
        return 1;
    }
    if (const std::string problem =
            clienttest::SignIn(*client, input, zvtest::kTestUser, zvtest::kTestPassword);
        !problem.empty()) {
        std::fprintf(stderr, "zv_soak: %s\n", problem.c_str());
        return 1;
    }
    const std::string liveText = clienttest::PackageText("s.status.live");
    clienttest::ChooseVideoFile(*client, input, clip);
    // A click while the window takes the pointer back from the closed
    // dialog may be lost: clicked again until the switch is on.
    zvtest::ClickUntil(
        input, [&] { return zvtest::Centre(client->control("w.main", "c.online")); },
        [&] { return client->control("w.main", "c.online")["checked"].asBool(); });
    if (!zvtest::WaitFor([&] { return status() == liveText; }, 20000)) {
        std::fprintf(stderr, "zv_soak: did not go live\n");
        return 1;
    }
    const std::string reconnectText = clienttest::PackageText("s.stream.reconnecting");
    const std::string reconnectPrefix = reconnectText.substr(0, reconnectText.find("%d"));

    const auto t0 = Clock::now();
    const auto end = t0 + std::chrono::duration<double>(minutes * 60);
    auto nextRestart = t0 + std::chrono::duration<double>(restartEvery);
    auto nextSample = t0 + std::chrono::seconds(60);  // after a minute's warm-up
    long firstPss = 0, lastPss = 0, maxPss = 0;
    // (seconds since the start, PSS KiB) of every sample, for the growth
    // over the run's second half: a plateau reached after the first
    // reconnects is not a leak, a steady climb is.
    // Anonymous memory as well, where a leak shows: PSS moves when other
    // programs sharing the libraries start or end beside the soak.
    struct Sample {
        double at;
        long pss, anon;
    };
    std::vector<Sample> samples;
    int restarts = 0, reconnects = 0;
    bool reconnecting = false;
    while (Clock::now() < end && client->running()) {
        const bool nowReconnecting = status().rfind(reconnectPrefix, 0) == 0;
        reconnects += nowReconnecting && !reconnecting;
        reconnecting = nowReconnecting;
        if (Clock::now() >= nextSample) {
            lastPss = zvtest::TreePssKiB(client->pid());
            firstPss = firstPss ? firstPss : lastPss;
            maxPss = std::max(maxPss, lastPss);
            samples.push_back(
                {Seconds(Clock::now() - t0), lastPss, zvtest::TreeAnonymousKiB(client->pid())});
            // Each process apart, so that growth can be put where it is.
            std::string parts;
            for (pid_t pid : zvtest::ProcessTree(client->pid())) {
                char part[96];
                std::snprintf(part, sizeof part, " %s %.1f", zvtest::ProcessName(pid).c_str(),
                              zvtest::ProcessPssKiB(pid) / 1024.0);
                parts += part;
            }
            std::printf(
                "  %6.0f s  PSS %7.1f MiB (%s)  anonymous %7.1f MiB  threads %d  restarts %d  "
                "status %s\n",
                samples.back().at, lastPss / 1024.0, parts.c_str() + 1,
                samples.back().anon / 1024.0, ThreadCount(client->pid()), restarts,
                status().c_str());
            std::fflush(stdout);
            nextSample += std::chrono::seconds(30);
        }
        if (Clock::now() >= nextRestart) {
            ingest.Stop();
            std::this_thread::sleep_for(std::chrono::seconds(3));
            ingest.Start();
            ++restarts;
            nextRestart += std::chrono::duration<double>(restartEvery);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    const bool stillLive = status() == liveText;
    click("c.online");
    zvtest::WaitFor([&] { return status().empty(); }, 8000);
    click("NC.CLOSE");
    const int code = client->waitExit(8000);
    const double hours = Seconds(Clock::now() - t0) / 3600;

    std::printf("soak: %.1f min live, ingest restarted %d times\n", hours * 60, restarts);
    std::printf(
        "  PSS of the client tree: %.1f MiB after the first minute, %.1f at the end, "
        "%.1f at most; growth %.1f MiB/h\n",
        firstPss / 1024.0, lastPss / 1024.0, maxPss / 1024.0,
        hours > 0 ? (lastPss - firstPss) / 1024.0 / hours : 0.0);
    if (samples.size() >= 4) {
        const Sample& mid = samples[samples.size() / 2];
        const Sample& last = samples.back();
        const double span = (last.at - mid.at) / 3600;
        const auto perHour = [&](long from, long to) {
            return span > 0 ? (to - from) / 1024.0 / span : 0.0;
        };
        std::printf(
            "  second half: PSS %.1f -> %.1f MiB (%.1f MiB/h), anonymous %.1f -> %.1f MiB "
            "(%.1f MiB/h)\n",
            mid.pss / 1024.0, last.pss / 1024.0, perHour(mid.pss, last.pss), mid.anon / 1024.0,
            last.anon / 1024.0, perHour(mid.anon, last.anon));
        std::printf("  anonymous memory: %.1f MiB at the first sample, %.1f at the end\n",
                    samples.front().anon / 1024.0, last.anon / 1024.0);
    }
    std::printf("  reconnects shown: %d; live at the end: %s; exit code %d\n", reconnects,
                stillLive ? "yes" : "no", code);
    std::printf("  longest gap at the ingest: %.1f s\n", LongestGap(ingest));
    return stillLive && code == 0 && reconnects >= restarts ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    double minutes = 30, restartEvery = 300;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--minutes")) {
            minutes = std::atof(argv[i + 1]);
        } else if (!std::strcmp(argv[i], "--restart-every")) {
            restartEvery = std::max(10.0, std::atof(argv[i + 1]));
        }
    }
    try {
        return Run(minutes, restartEvery);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zv_soak: %s\n", e.what());
        return 1;
    }
}
