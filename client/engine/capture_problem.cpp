#include "capture_problem.h"

namespace zv {

std::string_view CaptureProblemKey(CaptureKind kind, CaptureProblem problem) {
    const bool desktop = kind == CaptureKind::kDesktop;
    switch (problem) {
        case CaptureProblem::kPortalMissing:
            return desktop ? "s.capture.desktop.missing" : "s.capture.window.missing";
        case CaptureProblem::kCancelled:
            return desktop ? "s.capture.desktop.cancelled" : "s.capture.window.cancelled";
        case CaptureProblem::kRefused:
            return desktop ? "s.capture.desktop.refused" : "s.capture.window.refused";
        case CaptureProblem::kTokenRevoked:
            return desktop ? "s.capture.desktop.revoked" : "s.capture.window.revoked";
        case CaptureProblem::kStreamEnded:
            return desktop ? "s.capture.desktop.ended" : "s.capture.window.ended";
        case CaptureProblem::kNoAnswer:
            return desktop ? "s.capture.desktop.noanswer" : "s.capture.window.noanswer";
    }
    return desktop ? "s.capture.desktop.refused" : "s.capture.window.refused";
}

}  // namespace zv
