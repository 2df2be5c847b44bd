#include "restore_tokens.h"

#include <fcntl.h>
#include <glib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/paths.h"
#include "portal_reply.h"

namespace zv::screencast {

RestoreTokens::RestoreTokens(std::string folder) : folder_(std::move(folder)) {}

RestoreTokens RestoreTokens::ForUser() {
    return RestoreTokens(JoinPath(g_get_user_config_dir(), "Zelvio"));
}

std::string RestoreTokens::PathFor(CaptureKind kind) const {
    return JoinPath(folder_, kind == CaptureKind::kWindow ? "screencast-window.token"
                                                          : "screencast-desktop.token");
}

std::string RestoreTokens::Load(CaptureKind kind) const {
    std::ifstream in(PathFor(kind), std::ios::binary);
    if (!in)
        return {};
    std::string token;
    std::getline(in, token);
    return IsUsableRestoreToken(token) ? token : std::string();
}

bool RestoreTokens::Save(CaptureKind kind, const std::string& token) const {
    if (!IsUsableRestoreToken(token) || !EnsureFolder(folder_))
        return false;
    const std::string path = PathFor(kind);
    const std::string temp = path + ".new";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const std::string line = token + "\n";
    const bool written = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

void RestoreTokens::Forget(CaptureKind kind) const {
    std::remove(PathFor(kind).c_str());
}

}  // namespace zv::screencast
