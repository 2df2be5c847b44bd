#pragma once
// The updater's single-instance check.

typedef struct _XDisplay Display;

namespace zv::updater {

// True when the root-window marker names a window that still exists and is
// an updater's window (class "ZVUPDATE"): an id the X server has since given
// to another program's window does not count.
// `display` is the process's X connection (GDK's).
bool AnotherUpdaterRuns(Display* display);

inline constexpr const char* kWindowClass = "ZVUPDATE";

}  // namespace zv::updater
