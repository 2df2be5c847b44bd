#include "platform/temp_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>

#include "platform/paths.h"

namespace zv {

namespace {

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

std::optional<std::string> MakeTempFile(const std::string& prefix, const std::string& suffix) {
    std::string pattern = JoinPath(TempFolder(), prefix + "XXXXXX" + suffix);
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    int fd = ::mkstemps(buffer.data(), static_cast<int>(suffix.size()));
    if (fd < 0) {
        return std::nullopt;
    }
    ::close(fd);
    return std::string(buffer.data());
}

std::optional<std::string> WriteNewTempFile(const std::string& name,
                                            const std::vector<uint8_t>& bytes, bool* taken) {
    if (taken) {
        *taken = false;
    }
    if (name.empty() || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos || name == "." || name == "..") {
        return std::nullopt;  // a name, not a path
    }
    std::string path = JoinPath(TempFolder(), name);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (taken) {
            *taken = errno == EEXIST;
        }
        return std::nullopt;
    }
    bool ok = WriteAll(fd, bytes);
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        ::unlink(path.c_str());
        return std::nullopt;
    }
    return path;
}

}  // namespace zv
