#include "push_address.h"

namespace zv {

std::optional<PushTarget> SplitPushAddress(std::string_view address) {
    if (address.size() < 8)
        return std::nullopt;
    const size_t slash = address.rfind('/');
    if (slash == std::string_view::npos)
        return PushTarget{"", std::string(address)};
    return PushTarget{std::string(address.substr(0, slash + 1)),
                      std::string(address.substr(slash + 1))};
}

bool IsSafeRtmpServer(std::string_view server) {
    const size_t scheme = server.find("://");
    if (scheme == std::string_view::npos)
        return true;  // no host at all: the output reports a bad path
    std::string_view host = server.substr(scheme + 3);
    host = host.substr(0, host.find('/'));
    return host.empty() || host.front() != '[' || host.find(']') != std::string_view::npos;
}

}  // namespace zv
