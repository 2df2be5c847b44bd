#include "platform/desktop_session.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace zv {

DesktopSession DesktopSessionFromEnv(const char* waylandDisplay, const char* sessionType) {
    if (waylandDisplay && *waylandDisplay)
        return DesktopSession::kWayland;
    if (sessionType && strcasecmp(sessionType, "wayland") == 0)
        return DesktopSession::kWayland;
    return DesktopSession::kX11;
}

DesktopSession CurrentDesktopSession() {
    static const DesktopSession session =
        DesktopSessionFromEnv(std::getenv("WAYLAND_DISPLAY"), std::getenv("XDG_SESSION_TYPE"));
    return session;
}

}  // namespace zv
