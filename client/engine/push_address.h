#pragma once
// Splitting a push address into the RTMP server and the stream key.
#include <optional>
#include <string>
#include <string_view>

namespace zv {

struct PushTarget {
    std::string server;  // up to and including the last '/'; empty without one
    std::string key;     // everything after the last '/', query included
    bool operator==(const PushTarget&) const = default;
};

// Addresses shorter than 8 characters are refused (nullopt).
std::optional<PushTarget> SplitPushAddress(std::string_view address);

// False for a server part the RTMP output must never see: a host opening an
// IPv6 bracket without closing it ("rtmp://[::1/app/") corrupts memory in the
// output's address parser and ends the process.
bool IsSafeRtmpServer(std::string_view server);

}  // namespace zv
