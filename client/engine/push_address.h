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

}  // namespace zv
