#include "platform/registry.h"

#include <glib.h>

#include <memory>

#include "platform/paths.h"

namespace zv {

namespace {

constexpr const char* kGroup = "Software\\Zelvio";
constexpr size_t kMaxVersionBytes = 64;

struct KeyFileDeleter {
    void operator()(GKeyFile* f) const { g_key_file_free(f); }
};
using KeyFile = std::unique_ptr<GKeyFile, KeyFileDeleter>;

}  // namespace

std::string RegistryFilePath() {
    return JoinPath(JoinPath(g_get_user_config_dir(), "Zelvio"), "registry.ini");
}

std::optional<std::string> ReadRegistryValue(const std::string& key) {
    KeyFile file(g_key_file_new());
    if (!g_key_file_load_from_file(file.get(), RegistryFilePath().c_str(), G_KEY_FILE_NONE,
                                   nullptr)) {
        return std::nullopt;
    }
    // The raw value: the version text is stored as written, no unescaping.
    gchar* value = g_key_file_get_value(file.get(), kGroup, key.c_str(), nullptr);
    if (value == nullptr) {
        return std::nullopt;
    }
    std::string result(value);
    g_free(value);
    return result;
}

bool WriteRegistryValue(const std::string& key, const std::string& value) {
    const std::string path = RegistryFilePath();
    gchar* folder = g_path_get_dirname(path.c_str());
    bool ok = EnsureFolder(folder);
    g_free(folder);
    if (!ok) {
        return false;
    }
    KeyFile file(g_key_file_new());
    // Keep other values of the file; a missing or unreadable file starts empty.
    g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_KEEP_COMMENTS, nullptr);
    g_key_file_set_value(file.get(), kGroup, key.c_str(), value.c_str());
    return g_key_file_save_to_file(file.get(), path.c_str(), nullptr);
}

std::string ReadInstalledVersion() {
    std::string version = ReadRegistryValue("Version").value_or(std::string());
    if (version.size() > kMaxVersionBytes) {
        version.resize(kMaxVersionBytes);
    }
    return version;
}

}  // namespace zv
