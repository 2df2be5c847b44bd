#pragma once
// The engine names every libobs plug-in object by the id the broadcaster was
// designed with; this table maps those ids and settings keys to the plug-ins
// that provide the same function on this platform.
#include <string_view>

#include "platform/desktop_session.h"

namespace zv {

struct SourceKind {
    std::string_view designId;    // id the engine's callers and docs use
    std::string_view platformId;  // id registered by this platform's plug-in
    // Settings key of the one value the engine configures (device, window,
    // monitor), as designed and as understood here; empty when none.
    std::string_view designKey;
    std::string_view platformKey;
    // Whether the plug-in here understands the "compatibility" creation
    // setting of the desktop capture.
    bool takesCompatibility;
};

// Looks up a designed source id for a desktop session (on Wayland the screen
// and window captures are the portal's); null for an id the table does not
// know. Without a session: this process's.
const SourceKind* FindSourceKind(std::string_view designId, DesktopSession session);
const SourceKind* FindSourceKind(std::string_view designId);

// The platform id for a designed id (unknown ids pass through unchanged, so
// kinds that keep their id everywhere need no entry of their own).
std::string_view PlatformSourceId(std::string_view designId, DesktopSession session);
std::string_view PlatformSourceId(std::string_view designId);

// The platform settings key for a designed key of the given designed source id
// (unknown pairs pass through unchanged).
std::string_view PlatformSettingsKey(std::string_view designId, std::string_view designKey,
                                     DesktopSession session);
std::string_view PlatformSettingsKey(std::string_view designId, std::string_view designKey);

}  // namespace zv
