#pragma once
// Single-instance markers: a property of the given name on the X11 root
// window that holds the id of the owner's window. A marker is live only while
// that window still exists.
#include <cstdint>
#include <optional>
#include <string>

typedef struct _XDisplay Display;

namespace zv {

using XWindowId = unsigned long;

// Sets the marker to `window`. `display` may be null: the default display of
// GDK is not assumed; a private connection to $DISPLAY is used. False when no
// display can be opened.
bool SetRootMarker(const std::string& name, XWindowId window, Display* display = nullptr);

// The window id of the marker when the property exists and the window it
// names still exists and belongs to another connection; nullopt otherwise (no
// display, no property, stale id, or an id of the asking connection, which
// the server may have handed on from a killed owner).
std::optional<XWindowId> FindLiveRootMarker(const std::string& name, Display* display = nullptr);

// Removes the marker; harmless when it does not exist.
void ClearRootMarker(const std::string& name, Display* display = nullptr);

}  // namespace zv
