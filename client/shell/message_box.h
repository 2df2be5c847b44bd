#pragma once
// Modal message boxes in the client's Windows-valued flags: the low four bits
// choose the buttons (0 OK, 1 OK + Cancel), the next four the icon (0x10
// error, 0x20 question, 0x30 warning, 0x40 information).
#include <string>

typedef struct _GtkWidget GtkWidget;

namespace xf {

// Shows the box over `owner` (a toplevel GtkWindow, or null for none; an
// owner that is minimised is not used, so the box stays in sight) and waits
// for an answer: 1 for OK, 2 for Cancel. Closing a box without Cancel counts
// as OK, closing one with Cancel as Cancel.
int ShowMessageBox(GtkWidget* owner, const std::u16string& text, const std::u16string& caption,
                   unsigned flags);

}  // namespace xf
