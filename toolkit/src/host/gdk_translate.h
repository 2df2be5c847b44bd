#pragma once
// The one translation of GDK events: into the toolkit's input record (for
// the pointer router and the edits) and into the message the host's filters
// read. Both come from the same decoding, so they always agree.
#include <optional>

#include "input/input_event.h"
#include "zudoz.h"

typedef union _GdkEvent GdkEvent;

namespace HostWin {

// Pointer and key events; nullopt for every other event and for buttons
// other than the left and the right one. Wheel events carry their units
// (120 per notch, fractions from smooth scrolling) and the whole steps in
// them.
std::optional<Vcl::InputEvent> TranslateEvent(const GdkEvent* event);

// The message of a GDK event as the host's filters see it (XUI_MSG_NONE for
// events without a message; the native event is always attached).
XuiMsg MessageFromEvent(GdkEvent* event);

}  // namespace HostWin
