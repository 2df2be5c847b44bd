#pragma once
// The per-user configuration value "Version" (the installed client version),
// kept in $XDG_CONFIG_HOME/Zelvio/registry.ini, group [Software\Zelvio].
// Client and updater read the same file.
#include <optional>
#include <string>

namespace zv {

// Path of the file (the folder need not exist).
std::string RegistryFilePath();

// A value of the group [Software\Zelvio]; nullopt when the file, the group
// or the key is missing or the file is unreadable.
std::optional<std::string> ReadRegistryValue(const std::string& key);

// Writes (creating folder and file as needed); false on failure.
bool WriteRegistryValue(const std::string& key, const std::string& value);

// The installed version, read afresh: "Version", at most 64 bytes, empty
// when missing.
std::string ReadInstalledVersion();

}  // namespace zv
