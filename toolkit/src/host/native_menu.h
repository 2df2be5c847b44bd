#pragma once
// The GtkMenu of a menu resource, built on first use and owned by it.
#include "res/menu.h"

namespace HostWin {

// Items carry their command number as the object data "xui-command".
GtkWidget* NativeMenuOf(Res::xMenu& menu);

}  // namespace HostWin
