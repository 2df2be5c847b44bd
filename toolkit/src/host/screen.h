#pragma once
// Facts of the screen that resources depend on.

namespace HostWin {

// Vertical pixels per inch of the default screen, read once; 96 without a
// display.
int ScreenDpi();

// The font resolution GTK applications lay text out at (logical dots per
// inch: Xft.dpi or the settings daemon's, times GDK_DPI_SCALE); 96 without
// a display or a setting. Needs GTK's settings made (they set it).
double TextDpi();

}  // namespace HostWin
