#pragma once
// Which kind of desktop session the client runs in. On a Wayland session the
// client's own windows still go through XWayland, but screens and native
// windows can be captured only through the desktop's screen-cast portal.
namespace zv {

enum class DesktopSession { kX11, kWayland };

// The session from the environment's two hints: a Wayland display name, or a
// session type of "wayland" (either may be null or empty).
DesktopSession DesktopSessionFromEnv(const char* waylandDisplay, const char* sessionType);

// The session of this process, read from the environment once.
DesktopSession CurrentDesktopSession();

}  // namespace zv
