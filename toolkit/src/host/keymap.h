#pragma once
// GDK key values to the Windows virtual-key codes the host's key filters use.
#include <cstdint>

namespace HostWin {

// 0 for keys without a virtual-key counterpart.
uint32_t VirtualKeyFromKeyval(unsigned keyval);

}  // namespace HostWin
