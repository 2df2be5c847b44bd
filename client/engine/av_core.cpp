#include "av_core.h"

#include <thread>

#include "obs_runtime.h"
#include "output_signals.h"
#include "output_worker.h"
#include "platform/trace.h"
#include "preview_display.h"
#include "screencast/capture_reporter.h"

namespace zv {
namespace {

AVCore* g_instance = nullptr;

}  // namespace

AVCore* AVCore::Instance() {
    if (!g_instance)
        g_instance = new AVCore();
    return g_instance;
}

void AVCore::Release() {
    delete g_instance;
    g_instance = nullptr;
}

void AVCore::ReleaseForExit(std::chrono::milliseconds budget) {
    AVCore* engine = g_instance;
    if (!engine)
        return;
    engine->alive_.reset();
    engine->ReleaseOutput();
    const auto deadline = std::chrono::steady_clock::now() + budget;
    auto allDone = [engine] {
        for (const auto& w : engine->retiredWorkers_) {
            if (!w->Done())
                return false;
        }
        return true;
    };
    while (!allDone() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (allDone()) {
        Release();
        return;
    }
    ZV_TRACE("engine: an output is still connecting; left to the end of the process");
    engine->display_.reset();
    if (engine->micMeter_ && engine->mic_)
        obs_volmeter_detach_source(engine->micMeter_.get());
    g_instance = nullptr;  // deliberately not destroyed: libobs must outlive the stuck output
}

AVCore::AVCore() : runtime_(std::make_unique<ObsRuntime>()) {}

AVCore::~AVCore() {
    // Queued stream reports and stop watchdogs of this engine become no-ops.
    alive_.reset();
    screencast::SetCaptureProblemReceiver(nullptr);
    if (micMeter_ && mic_)
        obs_volmeter_detach_source(micMeter_.get());
    ReleaseOutput();
    // Outputs stuck in a connect are gone only when it gives up; libobs
    // cannot shut down before.
    retiredWorkers_.clear();
    display_.reset();
    ReleaseScenes();
    if (runtime_->Started())
        obs_set_output_source(0, nullptr);
    // Everything libobs allocated for the engine is gone before shut-down.
    runtime_.reset();
}

bool AVCore::HasPreview() const {
    return display_ && display_->Get();
}

uint64_t AVCore::PreviewFramesDrawn() const {
    return display_ ? display_->FramesDrawn() : 0;
}

void AVCore::FaderDeleter::operator()(obs_fader_t* f) const {
    obs_fader_destroy(f);
}
void AVCore::VolmeterDeleter::operator()(obs_volmeter_t* m) const {
    obs_volmeter_destroy(m);
}

bool AVCore::Reset(GtkWidget* previewWindow, int width, int height, AVCoreEvent* sink) {
    // The canvas is fixed once per engine.
    if (ready_)
        return false;
    sink_ = sink;
    canvasWidth_ = width;
    canvasHeight_ = height;
    if (!runtime_->Started() || width <= 0 || height <= 0)
        return false;

    obs_video_info ovi = {};
    ovi.graphics_module = kGraphicsModule;
    ovi.fps_num = 8000;
    ovi.fps_den = 1001;
    ovi.base_width = ovi.output_width = static_cast<uint32_t>(width);
    ovi.base_height = ovi.output_height = static_cast<uint32_t>(height);
    // NV12 converted on the GPU: with libobs-opengl an RGBA output, and the
    // CPU conversion that reads the RGBA frame back, reach the encoder all
    // black.
    ovi.output_format = VIDEO_FORMAT_NV12;
    ovi.adapter = 0;
    ovi.gpu_conversion = true;
    ovi.colorspace = VIDEO_CS_DEFAULT;
    ovi.range = VIDEO_RANGE_DEFAULT;
    ovi.scale_type = OBS_SCALE_LANCZOS;
    const int videoResult = obs_reset_video(&ovi);
    if (videoResult != OBS_VIDEO_SUCCESS) {
        ZV_TRACE("engine: obs_reset_video failed (%d)", videoResult);
        return false;
    }

    obs_audio_info oai = {};
    oai.samples_per_sec = 44100;
    oai.speakers = SPEAKERS_MONO;
    if (!obs_reset_audio(&oai)) {
        ZV_TRACE("engine: obs_reset_audio failed");
        return false;
    }

    BuildScenes();
    // A portal capture's problems reach the sink on the UI thread.
    screencast::SetCaptureProblemReceiver(
        [this, alive = std::weak_ptr<char>(alive_)](CaptureKind kind, CaptureProblem problem) {
            if (!alive.expired() && sink_)
                sink_->OnCaptureProblem(kind, problem);
        });
    display_ = std::make_unique<PreviewDisplay>(previewWindow, width, height);
    display_->SetFrameDivisor(PreviewFrameDivisor(streamStatus_.state));
    ready_ = true;
    return true;
}

}  // namespace zv
