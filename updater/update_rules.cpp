#include "update_rules.h"

#include "json_read.h"
#include "platform/paths.h"

namespace zv::updater {

std::string CheckVersionUrl(const std::string& routeHost, const std::string& installedVersion) {
    return routeHost + "/checkversion?type=windows&ver=" + installedVersion;
}

namespace {

std::string AsciiLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

}  // namespace

CheckReply ReadCheckReply(std::string_view body) {
    CheckReply reply;
    Json::Value root;
    if (!json::Parse(body, root)) {
        return reply;
    }
    reply.code = json::Int(root, "code");
    reply.version = json::Text(root, "version");
    reply.downloadUrl = json::Text(root, "download");
    // A malformed checksum is kept: it cannot match, so the download fails.
    reply.sha256 = AsciiLower(json::Text(root, "sha256"));
    reply.offered = reply.code == 0 && !reply.version.empty() && !reply.downloadUrl.empty() &&
                    InstallerFileName(reply.downloadUrl).has_value();
    return reply;
}

std::optional<std::string> InstallerFileName(const std::string& downloadUrl) {
    const size_t slash = downloadUrl.rfind('/');
    if (slash == std::string::npos) {
        return std::nullopt;
    }
    return downloadUrl.substr(slash + 1);
}

std::string DownloadFolder(const std::string& dataFolder) {
    return JoinPath(JoinPath(dataFolder, "ZvUpdator"), "download");
}

bool SameVersion(const std::string& a, const std::string& b) {
    const char* x = a.c_str();
    const char* y = b.c_str();
    for (;; ++x, ++y) {
        char cx = *x, cy = *y;
        if (cx >= 'A' && cx <= 'Z') {
            cx = static_cast<char>(cx - 'A' + 'a');
        }
        if (cy >= 'A' && cy <= 'Z') {
            cy = static_cast<char>(cy - 'A' + 'a');
        }
        if (cx != cy) {
            return false;
        }
        if (cx == '\0') {
            return true;
        }
    }
}

}  // namespace zv::updater
