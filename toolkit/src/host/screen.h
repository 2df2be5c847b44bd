#pragma once
// Facts of the screen that resources depend on.

namespace HostWin {

// Vertical pixels per inch of the default screen, read once; 96 without a
// display.
int ScreenDpi();

}  // namespace HostWin
