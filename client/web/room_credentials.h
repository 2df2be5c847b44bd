#pragma once
// Credentials of the route host (room control and the updater's version
// check): HTTP basic authentication with the platform identifier and an
// 11-character password assembled at run time. Never trace their values.
#include <string>

namespace zv {

// The platform identifier sent as the user name.
std::string RoomControlUser();

// The room-control password, picked character by character from the
// configure-time table.
std::string RoomControlPassword();

// "user:password", put together one character at a time, in the form that
// libcurl's CURLOPT_USERPWD takes.
std::string RoomControlUserPwd();

}  // namespace zv
