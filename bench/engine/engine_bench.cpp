// Engine figures on this machine (run under an X server, e.g. xvfb-run):
//   start-up to ready        AVCore::Instance() + AVCore::Reset() with a preview
//   CPU idle                 CPU-seconds per second of the process while the
//                            preview draws the start-up scene, not streaming
//   CPU while streaming      CPU-seconds per second of the whole process while
//                            the media scene streams to a local ingest and the
//                            preview draws
//   start to first media     AVCore::StartStreaming() until the ingest's
//                            recording holds the first coded audio/video packet
//   PSS while streaming      the process's proportional set size at the end
#include <gtk/gtk.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

#include "av_core.h"
#include "flv_scan.h"
#include "platform/gtk_init.h"
#include "platform/main_loop.h"
#include "rasteriser_settings.h"
#include "support/proc_tree.h"
#include "support/process.h"
#include "support/standin.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

class Sink : public zv::AVCoreEvent {
public:
    void OnAudioLevel(float) override {}
    void OnStreamStatus(const zv::StreamStatus& s) override { state = s.state; }
    void OnCaptureProblem(zv::CaptureKind, zv::CaptureProblem) override {}
    zv::StreamState state = zv::StreamState::Idle;
};

}  // namespace

int main(int argc, char** argv) {
    const int streamSeconds = argc > 1 ? std::atoi(argv[1]) : 10;
    zv::ChooseRasteriserSettings();  // as the client does
    if (!zv::InitGtk(&argc, &argv)) {
        std::fprintf(stderr, "engine_bench: no X display\n");
        return 1;
    }
    const std::string folder = zvtest::MakeTempFolder("zv-engine-bench-");
    setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
    const std::string clip = folder + "/clip.mp4";
    try {
        zvtest::MakeTestClip(clip, 10, 1280, 720);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "engine_bench: %s\n", e.what());
        return 1;
    }

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_set_app_paintable(area, TRUE);
    gtk_widget_set_size_request(area, 640, 360);
    gtk_container_add(GTK_CONTAINER(window), area);
    gtk_widget_show_all(window);
    zv::RunLoopFor(std::chrono::milliseconds(300));

    zvtest::Ingest ingest;
    Sink sink;

    const auto t0 = Clock::now();
    zv::AVCore* core = zv::AVCore::Instance();
    const bool ready = core->Reset(area, 1280, 720, &sink);
    const auto t1 = Clock::now();
    if (!ready) {
        std::fprintf(stderr, "engine_bench: AVCore::Reset failed\n");
        return 1;
    }
    // Idle: the preview draws the start-up scene, nothing plays or streams.
    zv::RunLoopFor(std::chrono::milliseconds(500));
    const double idle0 = CpuSeconds();
    const auto i0 = Clock::now();
    zv::RunLoopFor(std::chrono::seconds(streamSeconds));
    const double idleCpu =
        (CpuSeconds() - idle0) / std::chrono::duration<double>(Clock::now() - i0).count();

    core->SetMediaFile(clip.c_str(), true);
    core->ShowMediaScene();
    zv::RunLoopFor(std::chrono::milliseconds(500));

    const auto s0 = Clock::now();
    if (!core->StartStreaming(ingest.PushUrl("live", "bench"), false, "", "")) {
        std::fprintf(stderr, "engine_bench: start refused\n");
        return 1;
    }
    Clock::time_point connected{}, firstMedia{};
    const auto limit = s0 + std::chrono::seconds(15);
    zv::RunLoopUntil(
        [&] {
            if (connected == Clock::time_point{} && sink.state == zv::StreamState::Live)
                connected = Clock::now();
            for (const std::string& f : ingest.Recordings("live")) {
                if (FlvHasMedia(f))
                    firstMedia = Clock::now();
            }
            return firstMedia != Clock::time_point{};
        },
        std::chrono::duration_cast<std::chrono::milliseconds>(limit - Clock::now()));

    const double cpu0 = CpuSeconds();
    const auto w0 = Clock::now();
    zv::RunLoopFor(std::chrono::seconds(streamSeconds));
    const double cpu =
        (CpuSeconds() - cpu0) / std::chrono::duration<double>(Clock::now() - w0).count();
    const long pss = zvtest::ProcessPssKiB(getpid());
    const bool live = sink.state == zv::StreamState::Live;
    core->StopStreaming();
    zv::RunLoopUntil([&] { return sink.state == zv::StreamState::Stopped; },
                     std::chrono::seconds(3));
    // For the comparison of what reached the ingest (bench/picture).
    if (const char* keep = std::getenv("ZV_BENCH_RECORDING"); keep && *keep) {
        const std::string recording = ingest.NewestRecording("live");
        if (recording.empty() ||
            !std::filesystem::copy_file(recording, keep,
                                        std::filesystem::copy_options::overwrite_existing)) {
            std::fprintf(stderr, "engine_bench: no recording kept at %s\n", keep);
        }
    }
    zv::AVCore::Release();
    gtk_widget_destroy(window);

    std::printf("engine start-up to ready:          %8.1f ms\n", Ms(t1 - t0));
    if (connected != Clock::time_point{}) {
        std::printf("start to connected (live report):  %8.1f ms\n", Ms(connected - s0));
    }
    if (firstMedia != Clock::time_point{}) {
        std::printf("start to first media at ingest:    %8.1f ms\n", Ms(firstMedia - s0));
    } else {
        std::printf("start to first media at ingest:    (none within 15 s)\n");
    }
    std::printf("CPU idle, preview on, not live:    %8.3f CPU-s/s over %d s\n", idleCpu,
                streamSeconds);
    std::printf("CPU while streaming with preview:  %8.2f CPU-s/s over %d s%s\n", cpu,
                streamSeconds, live ? "" : " (stream was not live!)");
    std::printf("PSS while streaming:               %8ld KiB\n", pss);
    if (!std::getenv("ZV_KEEP_TEST_FILES"))
        zvtest::RemoveTree(folder);
    return live && firstMedia != Clock::time_point{} ? 0 : 1;
}
