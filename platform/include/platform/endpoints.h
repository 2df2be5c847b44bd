#pragma once
// The platform's base addresses (scheme, host and port, no trailing slash).
// Built in at configure time; the environment variables ZELVIO_API_HOST,
// ZELVIO_ROUTE_HOST and ZELVIO_ACCOUNT_HOST override them.
#include <string>

namespace zv {

std::string ApiHost();
std::string RouteHost();
std::string AccountHost();

}  // namespace zv
