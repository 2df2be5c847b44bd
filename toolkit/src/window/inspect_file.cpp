#include "window/inspect_file.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

namespace Vcl::inspect {

bool ReplaceFile(const std::string& path, const std::string& text) {
    if (path.empty()) {
        return false;
    }
    // A new file in the target's folder (mkstemp: 0600, never an existing
    // name), renamed over the old one: readers see the old record or the
    // new, never a mix. No fsync: the record is for live readers, and a
    // rewrite every 50 ms must not wait for the disk.
    std::string pattern = path + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        return false;
    }
    FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        ::close(fd);
        ::unlink(name.data());
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = std::fclose(file) == 0 && ok;
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
