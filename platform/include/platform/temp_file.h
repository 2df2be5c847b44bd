#pragma once
// Unique temporary files in the temporary folder.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zv {

// Creates a new empty file "<TempFolder>/<prefix>XXXXXX<suffix>" that did not
// exist before (mkstemps), closes it and returns its path; nullopt on failure.
std::optional<std::string> MakeTempFile(const std::string& prefix, const std::string& suffix = {});

// Creates "<TempFolder>/<name>" new (never through an existing name or a
// link: the folder is shared), mode 0600, and writes `bytes` to it. Returns
// its path; nullopt on failure, with `*taken` set when the name existed, so
// the caller may pick another name. A failed write leaves no file behind.
std::optional<std::string> WriteNewTempFile(const std::string& name,
                                            const std::vector<uint8_t>& bytes,
                                            bool* taken = nullptr);

}  // namespace zv
