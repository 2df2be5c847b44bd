#pragma once
// The remembered user name: the UTF-8 bytes of the last name that signed in,
// in the file ".session" of the working folder, nothing else.
#include <string>

namespace zv {

inline constexpr const char* kSessionFile = ".session";

// The first 1024 bytes of the file; empty when it is missing or unreadable.
std::string ReadSessionName(const std::string& path = kSessionFile);

// Replaces the file's content with `name`. The new content is written
// beside it and renamed over it, so a failed write keeps the old name.
// False when it could not be written (nothing is reported to the user).
bool WriteSessionName(const std::string& name, const std::string& path = kSessionFile);

}  // namespace zv
