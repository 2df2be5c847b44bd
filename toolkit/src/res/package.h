#pragma once
// The module package: a flat little-endian archive of named entries.
//   u32 index offset | entry bytes ... | index records until end of file
//   record: u32 data offset, u16 name length N, N name bytes, u32 data length
// Every length is checked against the file: a record that does not fit, or
// whose data lies outside the file, is not an entry.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Res {

class xPackage {
public:
    struct Entry {
        uint32_t offset = 0;
        uint32_t length = 0;
    };

    xPackage();
    ~xPackage();
    xPackage(const xPackage&) = delete;
    xPackage& operator=(const xPackage&) = delete;

    // Opens a package file and reads its index; the file stays open until
    // close() or destruction. False when the file cannot be opened or is too
    // short to hold the index offset, or the offset lies past its end.
    bool open(const std::string& path);
    // The same over bytes in memory (kept by the package).
    bool openBytes(std::vector<uint8_t> bytes);
    void close();
    bool isOpen() const { return source_ != nullptr; }

    // Entry bytes; nullopt when there is no such entry or reading failed.
    std::optional<std::vector<uint8_t>> read(const std::string& name) const;
    std::optional<std::string> readText(const std::string& name) const;
    bool contains(const std::string& name) const { return entries_.count(name) != 0; }
    const std::map<std::string, Entry>& entries() const { return entries_; }
    // Records that were dropped because they did not fit the file.
    size_t rejectedRecords() const { return rejected_; }

    struct Source;

private:
    bool readIndex();

    std::unique_ptr<Source> source_;
    std::map<std::string, Entry> entries_;
    size_t rejected_ = 0;
};

// Builds package files. Entries keep the order they were added in; the index
// follows the data, as readers expect.
class xPackageWriter {
public:
    void add(const std::string& name, std::vector<uint8_t> bytes);
    void add(const std::string& name, const std::string& text);
    // The whole package as bytes; nullopt when it would not fit the format
    // (a name over 65535 bytes or more than 4 GiB of data).
    std::optional<std::vector<uint8_t>> build() const;
    // Writes build() to `path` through a temporary file renamed into place.
    bool write(const std::string& path) const;

private:
    std::vector<std::pair<std::string, std::vector<uint8_t>>> entries_;
};

}  // namespace Res
