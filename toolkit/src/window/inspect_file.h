#pragma once
// The inspection file: replaced whole (a temporary file in the same folder,
// then a rename), so a reader never sees half a record, and only rewritten
// when the text changed.
#include <string>

namespace Vcl::inspect {

// Writes `text` to a new temporary file beside `path` and renames it over
// `path`. False (and no temporary file left) when any step fails.
bool ReplaceFile(const std::string& path, const std::string& text);

class ChangeWriter {
public:
    explicit ChangeWriter(std::string path) : path_(std::move(path)) {}
    // Writes `text` unless it equals what was last written; a failed write
    // is tried again on the next call. True when the file holds `text`.
    bool update(const std::string& text);
    const std::string& path() const { return path_; }
    int writes() const { return writes_; }

private:
    std::string path_;
    std::string last_;
    bool written_ = false;
    int writes_ = 0;
};

}  // namespace Vcl::inspect
