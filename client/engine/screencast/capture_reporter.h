#pragma once
// Where portal captures tell their problems: one receiver on the UI thread
// (the engine, which passes them to its sink).
#include <functional>

#include "capture_problem.h"

namespace zv::screencast {

using CaptureProblemReceiver = std::function<void(CaptureKind, CaptureProblem)>;

// UI thread only. An empty receiver drops what arrives.
void SetCaptureProblemReceiver(CaptureProblemReceiver receiver);

// Any thread: the receiver hears it on the UI thread, later.
void ReportCaptureProblem(CaptureKind kind, CaptureProblem problem);

}  // namespace zv::screencast
