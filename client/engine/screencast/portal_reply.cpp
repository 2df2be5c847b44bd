#include "portal_reply.h"

namespace zv::screencast {

std::string RequestPath(std::string_view uniqueName, std::string_view token) {
    std::string sender(uniqueName);
    if (!sender.empty() && sender.front() == ':')
        sender.erase(0, 1);
    for (char& c : sender) {
        if (c == '.')
            c = '_';
    }
    std::string path = "/org/freedesktop/portal/desktop/request/";
    path += sender;
    path += '/';
    path += token;
    return path;
}

uint32_t SourceTypeFor(CaptureKind kind) {
    return kind == CaptureKind::kWindow ? kSourceWindow : kSourceMonitor;
}

std::optional<CaptureProblem> UnavailableKind(CaptureKind kind, uint32_t availableTypes) {
    if ((availableTypes & SourceTypeFor(kind)) == 0)
        return CaptureProblem::kRefused;
    return std::nullopt;
}

uint32_t CursorModeFor(uint32_t availableModes) {
    if (availableModes & kCursorEmbedded)
        return kCursorEmbedded;
    if (availableModes & kCursorHidden)
        return kCursorHidden;
    return 0;
}

CaptureProblem ProblemFromResponse(uint32_t code, bool usedRestoreToken) {
    if (code == kResponseCancelled)
        return CaptureProblem::kCancelled;
    return usedRestoreToken ? CaptureProblem::kTokenRevoked : CaptureProblem::kRefused;
}

bool IsUsableRestoreToken(std::string_view token) {
    if (token.empty() || token.size() > 512)
        return false;
    for (const char c : token) {
        if (c <= ' ' || c > '~')
            return false;
    }
    return true;
}

}  // namespace zv::screencast
