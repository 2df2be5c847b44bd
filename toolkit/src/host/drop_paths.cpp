#include "host/drop_paths.h"

#include <glib.h>

namespace HostWin {

std::vector<std::string> DroppedPaths(const std::vector<std::string>& uris) {
    std::vector<std::string> paths;
    for (const auto& uri : uris) {
        gchar* file = g_filename_from_uri(uri.c_str(), nullptr, nullptr);
        if (!file) {
            continue;
        }
        gchar* utf8 = g_filename_to_utf8(file, -1, nullptr, nullptr, nullptr);
        g_free(file);
        if (!utf8) {
            continue;
        }
        std::string path(utf8);
        g_free(utf8);
        if (!path.empty() && path.size() <= 1023) {
            paths.push_back(std::move(path));
        }
    }
    return paths;
}

}  // namespace HostWin
