#include "platform/endpoints.h"

#include <cstdlib>

namespace zv {

namespace {

std::string FromEnvironment(const char* name, const char* builtIn) {
    const char* value = std::getenv(name);
    std::string host = value != nullptr && *value != '\0' ? value : builtIn;
    while (!host.empty() && host.back() == '/') {
        host.pop_back();
    }
    return host;
}

}  // namespace

std::string ApiHost() {
    return FromEnvironment("ZELVIO_API_HOST", ZV_API_HOST);
}
std::string RouteHost() {
    return FromEnvironment("ZELVIO_ROUTE_HOST", ZV_ROUTE_HOST);
}
std::string AccountHost() {
    return FromEnvironment("ZELVIO_ACCOUNT_HOST", ZV_ACCOUNT_HOST);
}

}  // namespace zv
