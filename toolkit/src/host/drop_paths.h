#pragma once
// Files dropped on a window arrive as URIs; the host gets local paths.
#include <string>
#include <vector>

namespace HostWin {

// The local UTF-8 paths of "file:" URIs, in order. URIs that are not local
// files, and paths longer than 1023 bytes (a cut path would name another
// file), are left out.
std::vector<std::string> DroppedPaths(const std::vector<std::string>& uris);

}  // namespace HostWin
