#include "main_rules.h"

#include <strings.h>
#include <cmath>

#include "platform/utf.h"

namespace zv::mainwin {

namespace {
constexpr const char* kSentinelSuffix = ":zelvio.sentinel.7f3c";
}  // namespace

std::string SentinelEntry(std::u16string_view label) {
    return Utf16ToUtf8(label) + kSentinelSuffix;
}

std::vector<std::string> WindowMenuEntries(DesktopSession session, const std::string& desktopEntry,
                                           const std::string& portalEntry,
                                           const std::vector<std::string>& engineWindows) {
    std::vector<std::string> entries{desktopEntry};
    if (session == DesktopSession::kWayland) {
        entries.push_back(portalEntry);
    } else {
        entries.insert(entries.end(), engineWindows.begin(), engineWindows.end());
    }
    return entries;
}

std::string RecordAddress(std::string_view pushAddress) {
    constexpr std::string_view kLive = "/live/";
    const size_t at = pushAddress.find(kLive);
    if (at == std::string_view::npos) {
        return {};
    }
    std::string record(pushAddress.substr(0, at));
    record += "/record/";
    record += pushAddress.substr(at + kLive.size());
    return record;
}

std::string EntryLabel(std::string_view entry) {
    // Window capture here names a window "<xid>\r\n<title>\r\n<class>": a
    // person picks it by its title. Other entries carry their label up to
    // the first ':'.
    constexpr std::string_view kBreak = "\r\n";
    const size_t first = entry.find(kBreak);
    if (first != std::string_view::npos &&
        entry.substr(0, first).find(':') == std::string_view::npos) {
        const std::string_view rest = entry.substr(first + kBreak.size());
        return std::string(rest.substr(0, rest.find(kBreak)));
    }
    return std::string(entry.substr(0, entry.find(':')));
}

bool IsDefaultMicrophone(std::string_view id) {
    return id.size() == 7 && strncasecmp(id.data(), "default", 7) == 0;
}

int LevelFrame(float level) {
    if (!std::isfinite(level)) {
        return 1;
    }
    const double frame = std::trunc(static_cast<double>(level) * 20.0 + 1.0);
    return frame < 1 ? 1 : frame > 21 ? 21 : static_cast<int>(frame);
}

}  // namespace zv::mainwin

namespace zv::mainwin {

namespace {

// Replaced left to right; a value that holds the token is not replaced again.
void ReplaceAll(std::u16string& text, std::u16string_view token, std::u16string_view value) {
    for (size_t at = text.find(token); at != std::u16string::npos;
         at = text.find(token, at + value.size())) {
        text.replace(at, token.size(), value);
    }
}

void ReplaceAll(std::u16string& text, std::u16string_view token, const std::string& digits) {
    ReplaceAll(text, token, std::u16string(digits.begin(), digits.end()));
}

}  // namespace

std::u16string WithNumber(std::u16string text, int number) {
    ReplaceAll(text, u"%d", std::to_string(number));
    return text;
}

std::u16string WithMessage(std::u16string text, std::u16string_view message) {
    ReplaceAll(text, u"{message}", message);
    return text;
}

std::u16string HealthText(std::u16string text, uint64_t kbitPerSecond, int dropped) {
    ReplaceAll(text, u"{rate}", std::to_string(kbitPerSecond));
    ReplaceAll(text, u"{dropped}", std::to_string(dropped));
    return text;
}

}  // namespace zv::mainwin
