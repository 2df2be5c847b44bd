#include "push_address.h"

#include <algorithm>
#include <cctype>

namespace zv {

namespace {

constexpr size_t kMaxHostLength = 253;  // the longest DNS name

bool IsControlOrSpace(unsigned char c) {
    return c <= 0x20 || c == 0x7f;
}

bool HasControlOrSpace(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return IsControlOrSpace(static_cast<unsigned char>(c)); });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char lower, char c) {
               return std::tolower(static_cast<unsigned char>(c)) == lower;
           });
}

bool IsHostNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
}

bool IsIpv6Char(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
}

// Host and optional port of "host[:port]" or "[v6][:port]".
PushAddressProblem CheckAuthority(std::string_view authority) {
    std::string_view host;
    std::string_view rest;
    if (!authority.empty() && authority.front() == '[') {
        const size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return PushAddressProblem::Host;
        host = authority.substr(1, close - 1);
        rest = authority.substr(close + 1);
        if (host.empty() || !std::all_of(host.begin(), host.end(), IsIpv6Char) ||
            host.find(':') == std::string_view::npos)
            return PushAddressProblem::Host;
        if (!rest.empty() && rest.front() != ':')
            return PushAddressProblem::Host;
    } else {
        const size_t colon = authority.find(':');
        host = authority.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : authority.substr(colon);
        if (host.empty() || host.size() > kMaxHostLength ||
            !std::all_of(host.begin(), host.end(), IsHostNameChar) || host.front() == '.' ||
            host.front() == '-' || host.find("..") != std::string_view::npos)
            return PushAddressProblem::Host;
    }
    if (rest.empty())
        return PushAddressProblem::None;
    const std::string_view port = rest.substr(1);  // after ':'
    if (port.empty() || port.size() > 5 || !std::all_of(port.begin(), port.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c));
        }))
        return PushAddressProblem::Port;
    const int value = std::stoi(std::string(port));
    return value >= 1 && value <= 65535 ? PushAddressProblem::None : PushAddressProblem::Port;
}

}  // namespace

std::optional<PushTarget> SplitPushAddress(std::string_view address) {
    if (address.size() < 8)
        return std::nullopt;
    const size_t slash = address.rfind('/');
    if (slash == std::string_view::npos)
        return PushTarget{"", std::string(address)};
    return PushTarget{std::string(address.substr(0, slash + 1)),
                      std::string(address.substr(slash + 1))};
}

PushAddressProblem CheckPushAddress(std::string_view address, bool tlsSupported) {
    if (address.size() < 8)
        return PushAddressProblem::TooShort;
    size_t schemeLength = 0;
    if (StartsWithNoCase(address, "rtmp://"))
        schemeLength = 7;
    else if (tlsSupported && StartsWithNoCase(address, "rtmps://"))
        schemeLength = 8;
    else
        return PushAddressProblem::Scheme;

    const std::string_view afterScheme = address.substr(schemeLength);
    const size_t pathStart = afterScheme.find('/');
    const std::string_view authority = afterScheme.substr(0, pathStart);
    if (const PushAddressProblem problem = CheckAuthority(authority);
        problem != PushAddressProblem::None)
        return problem;
    if (pathStart == std::string_view::npos)
        return PushAddressProblem::Application;

    // The output splits at the last '/': the application is what lies
    // between the host and that slash, the key what follows it.
    const std::string_view path = afterScheme.substr(pathStart + 1);
    const size_t lastSlash = path.rfind('/');
    if (lastSlash == std::string_view::npos)
        return PushAddressProblem::Application;
    const std::string_view application = path.substr(0, lastSlash);
    const std::string_view key = path.substr(lastSlash + 1);
    if (application.empty() || application.front() == '/' || HasControlOrSpace(application))
        return PushAddressProblem::Application;
    if (key.empty() || HasControlOrSpace(key))
        return PushAddressProblem::Key;
    return PushAddressProblem::None;
}

const char* PushAddressProblemKey(PushAddressProblem problem) {
    switch (problem) {
        case PushAddressProblem::None:
            return "";
        case PushAddressProblem::TooShort:
            return "s.stream.error.path";
        case PushAddressProblem::Scheme:
            return "s.stream.error.address.scheme";
        case PushAddressProblem::Host:
            return "s.stream.error.address.host";
        case PushAddressProblem::Port:
            return "s.stream.error.address.port";
        case PushAddressProblem::Application:
            return "s.stream.error.address.app";
        case PushAddressProblem::Key:
            return "s.stream.error.address.key";
    }
    return "s.stream.error.path";
}

}  // namespace zv
