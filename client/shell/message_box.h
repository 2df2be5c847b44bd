#pragma once
// Modal message boxes of the two kinds the client shows.
#include <string>

typedef struct _GtkWidget GtkWidget;

namespace xf {

enum class Box {
    kWarning,   // warning icon, OK
    kQuestion,  // question icon, OK and Cancel
};

enum class Answer { kOk, kCancel };

// Shows the box over `owner` (a toplevel GtkWindow, or null for none; an
// owner that is minimised is not used, so the box stays in sight) and waits
// for an answer. Closing a box without Cancel counts as OK, closing one with
// Cancel as Cancel. The buttons' words are the package's.
Answer ShowMessageBox(GtkWidget* owner, const std::u16string& text, const std::u16string& caption,
                      Box kind);

}  // namespace xf
