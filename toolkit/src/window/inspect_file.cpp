#include "window/inspect_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace Vcl::inspect {

namespace {

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
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

bool ReplaceFile(const std::string& path, const std::string& text) {
    if (path.empty()) {
        return false;
    }
    // In the target's folder, so the rename never crosses file systems.
    std::string pattern = path + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) {
        return false;
    }
    // Readers are the test or session that asked for the file; mkstemp's
    // 0600 is kept (the record shows what the user types, passwords aside).
    bool ok = WriteAll(fd, text);
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(name.data(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(name.data());
    }
    return ok;
}

bool ChangeWriter::update(const std::string& text) {
    if (written_ && text == last_) {
        return true;
    }
    if (!ReplaceFile(path_, text)) {
        return false;
    }
    last_ = text;
    written_ = true;
    ++writes_;
    return true;
}

}  // namespace Vcl::inspect
