#pragma once
// What resource loaders may reach while a language set is read: the
// packages, the folder of local files, the screen resolution for font sizes,
// and the counters shared by every menu and every extracted entry. Loaders
// get this instead of the registry, so they can be tested on their own.
#include <optional>
#include <string>

#include "res/package.h"

namespace Res {

struct LoadContext {
    const xPackage* main = nullptr;
    const xPackage* overlay = nullptr;  // null or not open when there is none
    std::string directory = ".";        // folder of the main package ("localfile" paths)
    int screenDpi = 96;                 // vertical pixels per inch
    int* menuCounter = nullptr;         // last command number given to a menu item
    unsigned long* extractCounter = nullptr;

    // Next menu command number (1, 2, ... across every menu of the registry).
    int nextMenuCommand() const { return menuCounter ? ++*menuCounter : 0; }
    // Entry bytes, from the overlay first when `overlayFirst`, else the main
    // package only; nullopt when missing.
    std::optional<std::vector<uint8_t>> read(const std::string& entry, bool overlayFirst) const;
    // `companion`'s bytes from the package read(entry, true) takes `entry`
    // from, so an overlay's picture never pairs with the main package's 2×
    // one; nullopt when that package has no such entry.
    std::optional<std::vector<uint8_t>> readBeside(const std::string& entry,
                                                   const std::string& companion) const;
    // Copies a main-package entry to "<tmp>/xui.<pid>.<counter>.<ms><.ext>"
    // and returns the path; nullopt for a missing or empty entry or a failed
    // write. The file is created new (never through an existing name).
    std::optional<std::string> extract(const std::string& entry) const;
};

}  // namespace Res
