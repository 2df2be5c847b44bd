#pragma once
// Splitting a push address into the RTMP server and the stream key, and the
// check every address passes before the RTMP output sees it.
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

// What is wrong with a push address, in the order it is checked.
enum class PushAddressProblem {
    None,
    TooShort,     // fewer than 8 characters
    Scheme,       // not rtmp:// (or rtmps:// where the output speaks TLS)
    Host,         // empty, malformed, unclosed IPv6 bracket, too long
    Port,         // given but not a number in 1..65535
    Application,  // no application between the host and the stream key
    Key,          // empty stream key, or control characters in it
};

// The RTMP layer is lenient in ways that send a stream somewhere other than
// the address says (a port above 65535 falls back to 1935) or take the
// process down (an unclosed IPv6 bracket), so anything not plainly
// "scheme://host[:port]/app/key" is refused here.
PushAddressProblem CheckPushAddress(std::string_view address, bool tlsSupported);

// The package's text resource ("s.stream.error.address.*") that says what is
// wrong; the generic path text for a short address; empty for None.
const char* PushAddressProblemKey(PushAddressProblem problem);

}  // namespace zv
