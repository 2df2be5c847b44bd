#pragma once
// The few native pieces a window needs beside the toolkit: a pop-up menu of
// commands built on the spot, the pointer's position, the video file dialog,
// moving a toplevel window and the single-instance marker.
#include <optional>
#include <string>
#include <vector>

typedef struct _GtkWidget GtkWidget;

namespace xf {

struct MenuEntry {
    std::string label;  // UTF-8; ignored for a separator
    int command = 0;    // returned when chosen; 0 marks a separator
    bool checked = false;
};

// Shows the entries at the screen point over `owner` and waits until the menu
// closes: the chosen entry's command, 0 when dismissed.
int PopupCommandMenu(GtkWidget* owner, const std::vector<MenuEntry>& entries, int x, int y);

// The pointer's position on the screen.
void CursorPosition(int* x, int* y);

// Asks for one video file (the filter `filterName` (UTF-8), *.mp4) over
// `owner`; nullopt when cancelled. The path is UTF-8.
std::optional<std::string> AskVideoFile(GtkWidget* owner, const std::string& filterName);

struct WindowRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
// The toplevel's rectangle on the screen, and a new one for it (without
// raising or activating it).
WindowRect GetWindowRect(GtkWidget* toplevel);
void SetWindowRect(GtkWidget* toplevel, const WindowRect& rect);

// True when the root window's `marker` names a window that still exists.
bool InstanceMarkerHeld(const char* marker);
// Names `toplevel` (once realised) in the root window's `marker`.
void HoldInstanceMarker(const char* marker, GtkWidget* toplevel);

}  // namespace xf
