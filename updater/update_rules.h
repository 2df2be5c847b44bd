#pragma once
// The updater's pure rules: the check request, the reading of its reply, the
// installer's place and the version comparison.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zv::updater {

// The desktop-window marker that keeps a second updater from running.
inline constexpr const char* kInstanceMarker = "mutex.zelvio.40217755918.by.tovan.reel";

// route host + "/checkversion?type=windows&ver=" + installed version, as is.
std::string CheckVersionUrl(const std::string& routeHost, const std::string& installedVersion);

// What a check reply offers. `offered` is false for a body that is not JSON,
// a "code" other than 0, an empty "version" or "download", or a download
// address without "/". `sha256` is the optional checksum of the installer
// (hex, lower-cased; empty when the reply has none).
struct CheckReply {
    bool offered = false;
    int32_t code = 0;
    std::string version;
    std::string downloadUrl;
    std::string sha256;
};
CheckReply ReadCheckReply(std::string_view body);

// The part of `downloadUrl` after its last "/" (a query stays part of it);
// nullopt when there is no "/".
std::optional<std::string> InstallerFileName(const std::string& downloadUrl);

// <dataFolder>/ZvUpdator/download — the folder the installer goes to.
std::string DownloadFolder(const std::string& dataFolder);

// The two versions compared as zero-terminated byte strings, ignoring the
// case of ASCII letters only.
bool SameVersion(const std::string& a, const std::string& b);

}  // namespace zv::updater
