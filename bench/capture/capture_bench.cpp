// The desktop source live to a local ingest, with the preview on:
//   capture_bench [seconds=10]
// prints the session kind, the process's CPU-seconds per second while live,
// its PSS at the end and the canvas frames sent. Under an X server it
// measures the X11 capture; on a Wayland session the portal capture.
#include <gtk/gtk.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "av_core.h"
#include "platform/desktop_session.h"
#include "platform/gtk_init.h"
#include "platform/main_loop.h"
#include "rasteriser_settings.h"
#include "support/proc_tree.h"
#include "support/process.h"
#include "support/standin.h"

namespace {

using Clock = std::chrono::steady_clock;

class Sink : public zv::AVCoreEvent {
public:
    void OnAudioLevel(float) override {}
    void OnStreamStatus(const zv::StreamStatus& s) override { state = s.state; }
    void OnCaptureProblem(zv::CaptureKind, zv::CaptureProblem) override { problem = true; }
    zv::StreamState state = zv::StreamState::Idle;
    bool problem = false;
};

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    zv::ChooseRasteriserSettings();  // as the client does
    const bool wayland = zv::CurrentDesktopSession() == zv::DesktopSession::kWayland;
    if (!zv::InitGtk(&argc, &argv)) {
        std::fprintf(stderr, "capture_bench: no X display\n");
        return 1;
    }
    const std::string folder = zvtest::MakeTempFolder("zv-capture-bench-");
    setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_set_app_paintable(area, TRUE);
    gtk_widget_set_size_request(area, 640, 360);
    gtk_container_add(GTK_CONTAINER(window), area);
    gtk_widget_show_all(window);
    zv::RunLoopFor(std::chrono::milliseconds(300));

    zvtest::Ingest ingest;
    Sink sink;
    zv::AVCore* core = zv::AVCore::Instance();
    if (!core->Reset(area, 1280, 720, &sink)) {
        std::fprintf(stderr, "capture_bench: AVCore::Reset failed\n");
        return 1;
    }
    core->ShowDesktopCapture();
    core->SetCaptureMonitor(0);
    if (!core->StartStreaming(ingest.PushUrl("live", "capture"), false, "", "")) {
        std::fprintf(stderr, "capture_bench: start refused\n");
        return 1;
    }
    zv::RunLoopUntil([&] { return sink.state == zv::StreamState::Live; }, std::chrono::seconds(15));
    zv::RunLoopFor(std::chrono::seconds(2));  // the capture settles

    const double cpu0 = zvtest::ProcessCpuSeconds(getpid());
    const int frames0 = core->GetOutputStats().totalFrames;
    const auto w0 = Clock::now();
    zv::RunLoopFor(std::chrono::seconds(seconds));
    const double wall = std::chrono::duration<double>(Clock::now() - w0).count();
    const double cpu = (zvtest::ProcessCpuSeconds(getpid()) - cpu0) / wall;
    const int frames = core->GetOutputStats().totalFrames - frames0;
    const long pss = zvtest::ProcessPssKiB(getpid());
    const bool live = sink.state == zv::StreamState::Live;
    core->StopStreaming();
    zv::RunLoopUntil([&] { return sink.state == zv::StreamState::Stopped; },
                     std::chrono::seconds(3));
    zv::AVCore::Release();
    gtk_widget_destroy(window);

    std::printf("%-8s CPU %.3f CPU-s/s  PSS %ld KiB  sent %.2f fps%s%s\n",
                wayland ? "portal" : "x11", cpu, pss, frames / wall, live ? "" : "  (not live!)",
                sink.problem ? "  (capture problem)" : "");
    zvtest::RemoveTree(folder);
    return live && !sink.problem ? 0 : 1;
}
