#include "platform/paths.h"

#include <glib.h>
#include <limits.h>
#include <unistd.h>

namespace zv {

std::string DataFolder() {
    return g_get_user_data_dir();
}

std::string ExecutablePath() {
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

std::string ExecutableFolder() {
    std::string path = ExecutablePath();
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

std::string TempFolder() {
    return g_get_tmp_dir();
}

bool EnsureFolder(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    return g_mkdir_with_parents(path.c_str(), 0700) == 0 &&
           g_file_test(path.c_str(), G_FILE_TEST_IS_DIR);
}

std::string JoinPath(const std::string& a, const std::string& b) {
    if (a.empty()) {
        return b;
    }
    if (b.empty()) {
        return a;
    }
    const bool aSlash = a.back() == '/';
    const bool bSlash = b.front() == '/';
    if (aSlash && bSlash) {
        return a + b.substr(1);
    }
    if (aSlash || bSlash) {
        return a + b;
    }
    return a + "/" + b;
}

}  // namespace zv
