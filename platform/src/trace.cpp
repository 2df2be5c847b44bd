#include "platform/trace.h"

#include <unistd.h>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace zv {

bool TraceEnabled() {
    static const bool enabled = std::getenv("ZELVIO_TRACE") != nullptr;
    return enabled;
}

void TraceLine(const char* format, ...) {
    if (!TraceEnabled()) {
        return;
    }
    char line[1024];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    if (n < 0) {
        return;
    }
    size_t length =
        static_cast<size_t>(n) < sizeof line - 2 ? static_cast<size_t>(n) : sizeof line - 2;
    line[length++] = '\n';
    // One write per line keeps lines of different threads whole.
    ssize_t ignored = ::write(STDERR_FILENO, line, length);
    (void)ignored;
}

}  // namespace zv
