#include "capture_reporter.h"

#include "platform/trace.h"
#include "platform/ui_queue.h"

namespace zv::screencast {
namespace {

// Touched on the UI thread only.
CaptureProblemReceiver& Receiver() {
    static CaptureProblemReceiver receiver;
    return receiver;
}

}  // namespace

void SetCaptureProblemReceiver(CaptureProblemReceiver receiver) {
    Receiver() = std::move(receiver);
}

void ReportCaptureProblem(CaptureKind kind, CaptureProblem problem) {
    ZV_TRACE("screencast: problem %d with kind %d", static_cast<int>(problem),
             static_cast<int>(kind));
    PostToUi([kind, problem] {
        if (const CaptureProblemReceiver& receiver = Receiver())
            receiver(kind, problem);
    });
}

}  // namespace zv::screencast
