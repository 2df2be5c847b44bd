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

}  // namespace zv
