#include "capture_controller.h"

#include <glib.h>

#include "capture_reporter.h"
#include "pipewire_stream.h"
#include "platform/trace.h"
#include "platform/ui_queue.h"
#include "portal_session.h"

namespace zv::screencast {

CaptureController::CaptureController(obs_source_t* source, CaptureKind kind, RestoreTokens tokens)
    : source_(source),
      kind_(kind),
      tokens_(std::move(tokens)),
      context_(g_main_context_new()),
      loop_(g_main_loop_new(context_, FALSE)),
      queue_(std::make_unique<UiQueue>(context_)),
      portal_(std::make_unique<PortalSession>(kind)),
      state_(InitialCaptureState(kind)) {
    thread_ = std::thread([this] { Run(); });
}

CaptureController::~CaptureController() {
    queue_->Post([this] { g_main_loop_quit(loop_); });
    thread_.join();
    queue_.reset();
    g_main_loop_unref(loop_);
    g_main_context_unref(context_);
}

void CaptureController::Post(CaptureEvent event) {
    queue_->Post([this, event] { Handle(event); });
}

int CaptureController::PortalRequests() const {
    return portal_ ? portal_->RequestsMade() : 0;
}

void CaptureController::Run() {
    g_main_context_push_thread_default(context_);
    g_main_loop_run(loop_);
    stopping_ = true;
    // The stream's thread stops first, so no frame or end arrives while the
    // portal goes; the portal's cancelled calls then finish in the drain.
    stream_.reset();
    portal_->Close();
    while (g_main_context_iteration(context_, FALSE)) {
    }
    g_main_context_pop_thread_default(context_);
}

void CaptureController::Handle(const CaptureEvent& event) {
    if (stopping_)
        return;  // what was still queued at the end
    const CaptureStep step = NextCapture(state_, event);
    state_ = step.state;
    const CaptureEffects& fx = step.effects;
    if (fx.closeSession) {
        stream_.reset();
        portal_->Close();
    }
    if (fx.clearPicture)
        obs_source_output_video(source_, nullptr);
    if (fx.report) {
        if (*fx.report == CaptureProblem::kTokenRevoked)
            tokens_.Forget(kind_);
        ReportCaptureProblem(kind_, *fx.report);
    }
    if (fx.ask) {
        const std::string token = tokens_.Load(kind_);
        ZV_TRACE("screencast: asking the portal (kind %d)", static_cast<int>(kind_));
        portal_->Ask(token, [this](PortalAnswer answer) {
            if (auto* grant = std::get_if<PortalGrant>(&answer))
                OnGranted(std::move(*grant));
            else
                Handle({CaptureEvent::Kind::kFailed, std::get<CaptureProblem>(answer)});
        });
    }
    if (fx.streamActive && stream_)
        stream_->SetActive(*fx.streamActive);
}

void CaptureController::OnGranted(PortalGrant grant) {
    if (!grant.restoreToken.empty() && !tokens_.Save(kind_, grant.restoreToken))
        ZV_TRACE("screencast: restore token not saved to %s", tokens_.PathFor(kind_).c_str());
    PipewireStream::Callbacks callbacks;
    callbacks.frame = [this](const VideoFrame& f) {
        obs_source_frame frame{};
        frame.data[0] = const_cast<uint8_t*>(f.data);
        frame.linesize[0] = f.stride;
        frame.width = f.width;
        frame.height = f.height;
        frame.format = f.format.format;
        frame.timestamp = f.timestampNs;
        frame.full_range = true;
        obs_source_output_video(source_, &frame);
        frames_.fetch_add(1, std::memory_order_relaxed);
    };
    callbacks.ended = [this] { Post({CaptureEvent::Kind::kStreamEnded}); };
    stream_ = PipewireStream::Connect(grant.pipewireFd, grant.nodeId, std::move(callbacks));
    if (!stream_) {
        Handle({CaptureEvent::Kind::kFailed, CaptureProblem::kStreamEnded});
        return;
    }
    Handle({CaptureEvent::Kind::kGranted});
}

}  // namespace zv::screencast
