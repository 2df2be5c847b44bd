#include "session_file.h"

#include <cstdio>
#include <memory>

namespace zv {

namespace {

constexpr size_t kMaxNameBytes = 1024;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::string ReadSessionName(const std::string& path) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return {};
    }
    std::string name(kMaxNameBytes, '\0');
    name.resize(std::fread(name.data(), 1, kMaxNameBytes, file.get()));
    return name;
}

bool WriteSessionName(const std::string& name, const std::string& path) {
    const std::string next = path + ".new";
    File file(std::fopen(next.c_str(), "wb"));
    if (!file) {
        return false;
    }
    const bool written = std::fwrite(name.data(), 1, name.size(), file.get()) == name.size();
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !closed || std::rename(next.c_str(), path.c_str()) != 0) {
        std::remove(next.c_str());
        return false;
    }
    return true;
}

}  // namespace zv
