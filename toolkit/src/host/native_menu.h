#pragma once
// The GtkMenu of a menu resource, built on first use and owned by it, and
// the modal popup that waits for the user's choice.
#include <optional>

#include "res/menu.h"

namespace HostWin {

// Items carry their command number as the object data "xui-command" and
// their id (when they have one) as "xui-id".
GtkWidget* NativeMenuOf(Res::xMenu& menu);

// Shows the menu at the screen point over `over`'s toplevel, its left edge
// (alignLeft) or right edge at x, and runs the loop until it closes. The
// chosen command item's number; nothing when the menu was dismissed or could
// not be shown.
std::optional<int> PopupMenu(Res::xMenu& menu, GtkWidget* over, int x, int y, bool alignLeft);

}  // namespace HostWin
