#pragma once
// Opening the X display. The X server may drop a brand-new connection right
// after accepting it when another client disconnects at the same moment (its
// file descriptor is reused while the old client's close is still pending).
// Every place that connects therefore goes through these few retries.
typedef struct _XDisplay Display;

namespace zv {

constexpr int kDisplayAttempts = 5;
constexpr int kDisplayRetryMs = 100;

// XOpenDisplay(name) with retries; null when $DISPLAY (or `name`) names no
// reachable server. Close with XCloseDisplay.
Display* OpenXDisplay(const char* name = nullptr);

// Calls `attempt` up to kDisplayAttempts times, kDisplayRetryMs apart, until
// it returns true; false when every attempt failed. Used for gtk_init_check,
// which can be called again after a failed connection.
bool RetryDisplayConnection(bool (*attempt)(void* context), void* context);

}  // namespace zv
