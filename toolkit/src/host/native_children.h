#pragma once
// The native children of a window: edits (GtkEntry) and hosted areas
// (windowed GtkFixed), laid over the window's drawing area. Each widget
// carries its control as the object data "xui-control" for placement.
#include <memory>

#include "controls/edit.h"
#include "controls/rawwin.h"

namespace HostWin {

std::unique_ptr<Vcl::EditPeer> CreateEntry(Vcl::Edit& edit, GtkWidget* overlay);
std::unique_ptr<Vcl::AreaPeer> CreateArea(Vcl::Rawwin& raw, GtkWidget* overlay);

}  // namespace HostWin
