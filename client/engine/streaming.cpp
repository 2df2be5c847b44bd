// The RTMP output and the stream state reported from its signals.
#include <glib.h>
#include <malloc.h>

#include "av_core.h"
#include "output_signals.h"
#include "output_worker.h"
#include "platform/trace.h"
#include "platform/ui_queue.h"
#include "preview_display.h"
#include "push_address.h"

namespace zv {

void OutputSignals::Queue(const OutputSignals* signals, OutputSignal signal, int value) {
    std::weak_ptr<char> alive = signals->alive;
    const uint64_t session = signals->session;
    PostToUi([alive, session, signal, value] {
        if (alive.expired())
            return;
        AVCore::Instance()->ApplyOutputEvent(session, static_cast<int>(signal), value);
    });
}

namespace {

void OnStart(void* param, calldata_t* /*data*/) {
    OutputSignals::Queue(static_cast<OutputSignals*>(param), OutputSignal::Started, 0);
}

void OnStop(void* param, calldata_t* data) {
    OutputSignals::Queue(static_cast<OutputSignals*>(param), OutputSignal::StopSignal,
                         static_cast<int>(calldata_int(data, "code")));
}

void OnReconnect(void* param, calldata_t* data) {
    OutputSignals::Queue(static_cast<OutputSignals*>(param), OutputSignal::Reconnect,
                         static_cast<int>(calldata_int(data, "timeout_sec")));
}

void OnReconnectSuccess(void* param, calldata_t* /*data*/) {
    OutputSignals::Queue(static_cast<OutputSignals*>(param), OutputSignal::ReconnectSuccess, 0);
}

// The RTMP output of this libobs build is linked with a TLS library.
constexpr bool kOutputSpeaksTls = true;

struct StopWatch {
    std::weak_ptr<char> alive;
    uint64_t session;
};

}  // namespace

AVCore::OutputStats AVCore::GetOutputStats() const {
    OutputStats stats;
    if (output_) {
        stats.totalBytes = obs_output_get_total_bytes(output_);
        stats.droppedFrames = obs_output_get_frames_dropped(output_);
        stats.totalFrames = obs_output_get_total_frames(output_);
    }
    return stats;
}

void AVCore::ReleaseOutput() {
    // Disconnecting waits for a running callback; after it none can start.
    outputSignals_.reset();
    // Releasing an output that is still connecting waits for the connect to
    // give up, so the last references go on the output's own worker: the
    // output first, which lets go of its encoders and service.
    struct Objects {
        OBSOutputAutoRelease output;
        OBSEncoderAutoRelease audioEncoder;
        OBSEncoderAutoRelease videoEncoder;
        OBSServiceAutoRelease service;
        void Release() {
            output = nullptr;
            audioEncoder = nullptr;
            videoEncoder = nullptr;
            service = nullptr;
        }
    };
    auto objects = std::make_shared<Objects>();
    objects->output = std::move(output_);
    objects->audioEncoder = std::move(audioEncoder_);
    objects->videoEncoder = std::move(videoEncoder_);
    objects->service = std::move(service_);
    std::erase_if(retiredWorkers_,
                  [](const std::unique_ptr<OutputWorker>& w) { return w->Done(); });
    if (!outputWorker_) {
        objects->Release();
        return;
    }
    if (!outputWorker_->Finish([objects = std::move(objects)] { objects->Release(); },
                               std::chrono::milliseconds(kReleaseWaitMs))) {
        ZV_TRACE("engine: the previous output is still stopping; released in the background");
    }
    retiredWorkers_.push_back(std::move(outputWorker_));
}

bool AVCore::StartStreaming(const std::string& address, bool useAuth, const char* userName,
                            const char* password) {
    ZV_TRACE("start.streaming: %s", address.c_str());
    if (!ready_) {
        lastStartFailureKey_ = "s.stream.error.engine";
        return false;
    }
    const PushAddressProblem problem = CheckPushAddress(address, kOutputSpeaksTls);
    if (problem != PushAddressProblem::None) {
        ZV_TRACE("engine: unusable push address; not started");
        lastStartFailureKey_ = PushAddressProblemKey(problem);
        return false;
    }
    const PushTarget target = *SplitPushAddress(address);
    lastStartFailureKey_ = "s.stream.error.start";

    // A new start replaces everything of the previous one; releasing the old
    // output ends its stream.
    ReleaseOutput();
    output_ = obs_output_create("rtmp_output", "main rtmp stream", nullptr, nullptr);
    if (!output_)
        return false;
    outputWorker_ = std::make_unique<OutputWorker>();

    {
        OBSDataAutoRelease settings = obs_data_create();
        obs_data_set_string(settings, "rate_control", "VBR");
        obs_data_set_int(settings, "bitrate", 2800);
        obs_data_set_int(settings, "keyint_sec", 4);
        obs_data_set_int(settings, "buffer_size", 50);
        obs_data_set_bool(settings, "use_bufsize", true);
        videoEncoder_ =
            obs_video_encoder_create("obs_x264", "stream video x264 encoder", settings, nullptr);
    }
    if (videoEncoder_) {
        obs_encoder_set_video(videoEncoder_, obs_get_video());
        obs_output_set_video_encoder(output_, videoEncoder_);
    }
    {
        OBSDataAutoRelease settings = obs_data_create();
        obs_data_set_string(settings, "rate_control", "CBR");
        obs_data_set_int(settings, "bitrate", 32);
        audioEncoder_ = obs_audio_encoder_create("ffmpeg_aac", "stream audio aac encoder", settings,
                                                 0, nullptr);
    }
    if (audioEncoder_) {
        obs_encoder_set_audio(audioEncoder_, obs_get_audio());
        obs_output_set_audio_encoder(output_, audioEncoder_, 0);
    }
    {
        OBSDataAutoRelease settings = obs_data_create();
        obs_data_set_string(settings, "server", target.server.c_str());
        obs_data_set_string(settings, "key", target.key.c_str());
        obs_data_set_bool(settings, "use_auth", useAuth);
        obs_data_set_string(settings, "username", userName ? userName : "");
        obs_data_set_string(settings, "password", password ? password : "");
        service_ = obs_service_create("rtmp_custom", "our cloud", settings, nullptr);
    }
    if (service_)
        obs_output_set_service(output_, service_);
    obs_output_set_reconnect_settings(output_, 99999999, 5);

    outputSignals_ = std::make_unique<OutputSignals>();
    outputSignals_->alive = alive_;
    outputSignals_->session = ++session_;
    signal_handler_t* handler = obs_output_get_signal_handler(output_);
    OutputSignals* param = outputSignals_.get();
    outputSignals_->start.Connect(handler, "start", &OnStart, param);
    outputSignals_->stop.Connect(handler, "stop", &OnStop, param);
    outputSignals_->reconnect.Connect(handler, "reconnect", &OnReconnect, param);
    outputSignals_->reconnectSuccess.Connect(handler, "reconnect_success", &OnReconnectSuccess,
                                             param);

    // Queued before the start so that it reaches the sink before anything
    // the output reports.
    OutputSignals::Queue(param, OutputSignal::StartAccepted, 0);
    const bool started = obs_output_start(output_);
    if (started) {
        lastStartFailureKey_ = "";
    } else {
        const char* error = obs_output_get_last_error(output_);
        ZV_TRACE("engine: output refused to start: %s", error ? error : "(no reason)");
        OutputSignals::Queue(param, OutputSignal::StartRefused, 0);
    }
    return started;
}

void AVCore::StopStreaming() {
    if (!output_ || !outputSignals_)
        return;
    OutputSignals::Queue(outputSignals_.get(), OutputSignal::StopRequested, 0);
    // Stopping while libobs reconnects joins a connect attempt in progress.
    outputWorker_->Post([output = OBSOutput(output_.Get())] { obs_output_stop(output); });

    // A stop must end in bounded time even when the connection hangs.
    auto* watch = new StopWatch{alive_, session_};
    g_timeout_add_full(
        G_PRIORITY_DEFAULT, kStopGraceMs,
        [](gpointer data) -> gboolean {
            auto* w = static_cast<StopWatch*>(data);
            if (!w->alive.expired()) {
                AVCore* core = AVCore::Instance();
                if (core->session_ == w->session &&
                    core->streamStatus_.state == StreamState::Stopping) {
                    ZV_TRACE("engine: output did not stop in time; forcing it");
                    if (core->output_ && core->outputWorker_) {
                        core->outputWorker_->Post([output = OBSOutput(core->output_.Get())] {
                            obs_output_force_stop(output);
                        });
                    }
                    core->ApplyOutputEvent(w->session, static_cast<int>(OutputSignal::StopTimedOut),
                                           0);
                }
            }
            return G_SOURCE_REMOVE;
        },
        watch, [](gpointer data) { delete static_cast<StopWatch*>(data); });
}

void AVCore::ApplyOutputEvent(uint64_t session, int signal, int value) {
    if (session != session_)
        return;  // a replaced output's late report
    const StreamStatus next =
        NextStreamStatus(streamStatus_, {static_cast<OutputSignal>(signal), value});
    if (next == streamStatus_)
        return;
    streamStatus_ = next;
    ZV_TRACE("engine: stream %s (code %d, retry in %d s)", StreamStateName(next.state), next.code,
             next.retryDelaySec);
    if (display_)
        display_->SetFrameDivisor(PreviewFrameDivisor(next.state));
    if (sink_)
        sink_->OnStreamStatus(next);
    // A reconnect or a stop frees the encoders' and the connection's buffers
    // (libobs makes new ones for the next connection); the allocator keeps
    // most of those pages otherwise, and a session with many reconnects
    // grows by several MiB at each. Returned off the UI thread.
    const bool reconnected = static_cast<OutputSignal>(signal) == OutputSignal::ReconnectSuccess;
    if ((reconnected || next.state == StreamState::Stopped) && outputWorker_)
        outputWorker_->Post([] { malloc_trim(0); });
}

}  // namespace zv
