#include "platform/temp_file.h"

#include <stdlib.h>
#include <unistd.h>

#include <vector>

#include "platform/paths.h"

namespace zv {

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

}  // namespace zv
