#pragma once
// One portal capture's own thread: it runs the capture's state machine, the
// portal requests and the PipeWire stream, and hands frames to its libobs
// source. Anything may post events to it; nothing waits on it but its end.
#include <obs.h>

#include <atomic>
#include <memory>
#include <thread>

#include "capture_machine.h"
#include "restore_tokens.h"

typedef struct _GMainContext GMainContext;
typedef struct _GMainLoop GMainLoop;

namespace zv {
class UiQueue;
}

namespace zv::screencast {

class PortalSession;
class PipewireStream;
struct PortalGrant;

class CaptureController {
public:
    CaptureController(obs_source_t* source, CaptureKind kind, RestoreTokens tokens);
    // Ends the stream and the portal session and joins the thread; no frame
    // reaches the source once this returns.
    ~CaptureController();
    CaptureController(const CaptureController&) = delete;
    CaptureController& operator=(const CaptureController&) = delete;

    // Thread-safe; handled on the capture's thread in the order posted.
    void Post(CaptureEvent event);

    int PortalRequests() const;
    uint64_t FramesDelivered() const { return frames_.load(std::memory_order_relaxed); }
    CaptureKind Kind() const { return kind_; }

private:
    void Run();
    void Handle(const CaptureEvent& event);
    void OnGranted(PortalGrant grant);

    obs_source_t* source_;
    const CaptureKind kind_;
    const RestoreTokens tokens_;
    GMainContext* context_;
    GMainLoop* loop_;
    std::unique_ptr<UiQueue> queue_;
    // Owned by the thread once it runs.
    std::unique_ptr<PortalSession> portal_;
    std::unique_ptr<PipewireStream> stream_;
    CaptureState state_;
    bool stopping_ = false;  // on the thread only
    std::atomic<uint64_t> frames_{0};
    std::thread thread_;
};

}  // namespace zv::screencast
