#include "res/load_context.h"

#include <glib.h>
#include <unistd.h>

#include <cstdio>

#include "platform/temp_file.h"

namespace Res {

std::optional<std::vector<uint8_t>> LoadContext::read(const std::string& entry,
                                                      bool overlayFirst) const {
    if (overlayFirst && overlay && overlay->isOpen()) {
        if (auto bytes = overlay->read(entry)) {
            return bytes;
        }
    }
    return main ? main->read(entry) : std::nullopt;
}

std::optional<std::vector<uint8_t>> LoadContext::readBeside(const std::string& entry,
                                                            const std::string& companion) const {
    if (overlay && overlay->isOpen() && overlay->contains(entry)) {
        return overlay->read(companion);
    }
    return main ? main->read(companion) : std::nullopt;
}

std::optional<std::string> LoadContext::extract(const std::string& entry) const {
    auto bytes = main ? main->read(entry) : std::nullopt;
    if (!bytes || bytes->empty()) {
        return std::nullopt;
    }
    std::string extension;
    size_t dot = entry.rfind('.');
    size_t slash = entry.rfind('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        extension = entry.substr(dot);
    }
    if (extension.find('\0') != std::string::npos) {
        extension.clear();  // a name with a NUL byte would not be the file we return
    }
    unsigned long spare = 0;
    unsigned long& counter = extractCounter ? *extractCounter : spare;
    // The temporary folder is shared: a name that already exists is never
    // written through (it could be a planted link); the counter moves on.
    for (int attempt = 0; attempt < 16; ++attempt) {
        char base[96];
        std::snprintf(base, sizeof(base), "xui.%lu.%lu.%lu", static_cast<unsigned long>(getpid()),
                      counter++, static_cast<unsigned long>(g_get_monotonic_time() / 1000));
        bool taken = false;
        if (auto path = zv::WriteNewTempFile(base + extension, *bytes, &taken)) {
            return path;
        }
        if (!taken) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace Res
