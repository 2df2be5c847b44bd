#pragma once
// The trace channel: diagnostic lines on standard error, only while the
// environment variable ZELVIO_TRACE is set. When it is not set nothing is
// formatted, so trace calls on hot paths cost one branch.
// Never pass passwords to a trace line.

namespace zv {

// True when ZELVIO_TRACE was set at the first call (read once per process).
bool TraceEnabled();

// printf-style; the line is cut at 1024 bytes and ends with a newline.
void TraceLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace zv

// Skips argument evaluation entirely when tracing is off.
#define ZV_TRACE(...)                     \
    do {                                  \
        if (::zv::TraceEnabled()) {       \
            ::zv::TraceLine(__VA_ARGS__); \
        }                                 \
    } while (0)
