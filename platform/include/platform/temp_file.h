#pragma once
// Unique temporary files in the temporary folder.
#include <optional>
#include <string>

namespace zv {

// Creates a new empty file "<TempFolder>/<prefix>XXXXXX<suffix>" that did not
// exist before (mkstemps), closes it and returns its path; nullopt on failure.
std::optional<std::string> MakeTempFile(const std::string& prefix, const std::string& suffix = {});

}  // namespace zv
