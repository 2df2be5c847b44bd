// The version-check reply reader on arbitrary bytes: never crashes, and an
// offer always names a version and a download with a file name.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "update_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const zv::updater::CheckReply r =
        zv::updater::ReadCheckReply(std::string_view(reinterpret_cast<const char*>(data), size));
    if (r.offered && (r.version.empty() || r.downloadUrl.empty() ||
                      r.downloadUrl.find('/') == std::string::npos)) {
        std::abort();
    }
    if (r.offered) {
        (void)zv::updater::InstallerFileName(r.downloadUrl);
    }
    return 0;
}
