#include "res/package.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace Res {

// Where entry bytes come from: an open file read with pread, or a buffer.
struct xPackage::Source {
    int fd = -1;
    uint64_t size = 0;
    std::vector<uint8_t> bytes;

    ~Source() {
        if (fd >= 0) {
            ::close(fd);
        }
    }

    // Reads exactly `length` bytes at `offset`; false when they are not all
    // inside the source.
    bool readAt(uint64_t offset, void* out, size_t length) const {
        if (offset > size || length > size - offset) {
            return false;
        }
        if (fd < 0) {
            if (length > 0) {
                std::memcpy(out, bytes.data() + offset, length);
            }
            return true;
        }
        auto* dst = static_cast<uint8_t*>(out);
        size_t done = 0;
        while (done < length) {
            ssize_t n = ::pread(fd, dst + done, length - done, static_cast<off_t>(offset + done));
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
};

namespace {

uint32_t LoadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t LoadU16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

void StoreU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(uint8_t(v >> (8 * i)));
    }
}

void StoreU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

}  // namespace

xPackage::xPackage() = default;
xPackage::~xPackage() = default;

bool xPackage::open(const std::string& path) {
    close();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    auto source = std::make_unique<Source>();
    source->fd = fd;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    source->size = static_cast<uint64_t>(st.st_size);
    source_ = std::move(source);
    if (!readIndex()) {
        close();
        return false;
    }
    return true;
}

bool xPackage::openBytes(std::vector<uint8_t> bytes) {
    close();
    auto source = std::make_unique<Source>();
    source->size = bytes.size();
    source->bytes = std::move(bytes);
    source_ = std::move(source);
    if (!readIndex()) {
        close();
        return false;
    }
    return true;
}

void xPackage::close() {
    source_.reset();
    entries_.clear();
    rejected_ = 0;
}

bool xPackage::readIndex() {
    uint8_t head[4];
    if (!source_->readAt(0, head, 4)) {
        return false;
    }
    uint64_t pos = LoadU32(head);
    const uint64_t end = source_->size;
    if (pos > end) {
        return false;
    }
    // The index runs to the end of the file; read it in one piece (it is small
    // next to the entries) and walk it with every field bounds-checked.
    std::vector<uint8_t> index(static_cast<size_t>(end - pos));
    if (!index.empty() && !source_->readAt(pos, index.data(), index.size())) {
        return false;
    }
    size_t at = 0;
    while (at < index.size()) {
        size_t left = index.size() - at;
        if (left < 6) {
            ++rejected_;  // a truncated record at the end is not an entry
            break;
        }
        uint32_t offset = LoadU32(&index[at]);
        uint16_t nameLength = LoadU16(&index[at + 4]);
        if (left < size_t(6) + nameLength + 4) {
            ++rejected_;
            break;
        }
        std::string name(reinterpret_cast<const char*>(&index[at + 6]), nameLength);
        uint32_t length = LoadU32(&index[at + 6 + nameLength]);
        at += size_t(10) + nameLength;
        // Data must lie wholly inside the file; a lying record is dropped but
        // the records after it are still read.
        if (uint64_t(offset) > end || uint64_t(length) > end - offset) {
            ++rejected_;
            continue;
        }
        entries_[name] = Entry{offset, length};  // a later record wins
    }
    return true;
}

std::optional<std::vector<uint8_t>> xPackage::read(const std::string& name) const {
    if (!source_) {
        return std::nullopt;
    }
    auto it = entries_.find(name);
    if (it == entries_.end()) {
        return std::nullopt;
    }
    std::vector<uint8_t> out(it->second.length);
    if (!source_->readAt(it->second.offset, out.data(), out.size())) {
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> xPackage::readText(const std::string& name) const {
    auto bytes = read(name);
    if (!bytes) {
        return std::nullopt;
    }
    return std::string(bytes->begin(), bytes->end());
}

void xPackageWriter::add(const std::string& name, std::vector<uint8_t> bytes) {
    entries_.emplace_back(name, std::move(bytes));
}

void xPackageWriter::add(const std::string& name, const std::string& text) {
    add(name, std::vector<uint8_t>(text.begin(), text.end()));
}

std::optional<std::vector<uint8_t>> xPackageWriter::build() const {
    std::vector<uint8_t> out(4, 0);
    std::vector<uint8_t> index;
    for (const auto& [name, bytes] : entries_) {
        if (name.size() > 0xFFFF || out.size() + bytes.size() > 0xFFFFFFFFull) {
            return std::nullopt;
        }
        StoreU32(index, static_cast<uint32_t>(out.size()));
        StoreU16(index, static_cast<uint16_t>(name.size()));
        index.insert(index.end(), name.begin(), name.end());
        StoreU32(index, static_cast<uint32_t>(bytes.size()));
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    if (out.size() + index.size() > 0xFFFFFFFFull) {
        return std::nullopt;
    }
    uint32_t indexOffset = static_cast<uint32_t>(out.size());
    for (int i = 0; i < 4; ++i) {
        out[i] = uint8_t(indexOffset >> (8 * i));
    }
    out.insert(out.end(), index.begin(), index.end());
    return out;
}

bool xPackageWriter::write(const std::string& path) const {
    auto bytes = build();
    if (!bytes) {
        return false;
    }
    std::string tmp = path + ".tmp";
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    size_t done = 0;
    while (done < bytes->size()) {
        ssize_t n = ::write(fd, bytes->data() + done, bytes->size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ::close(fd);
            ::unlink(tmp.c_str());
            return false;
        }
        done += static_cast<size_t>(n);
    }
    if (::close(fd) != 0 || ::rename(tmp.c_str(), path.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

}  // namespace Res
