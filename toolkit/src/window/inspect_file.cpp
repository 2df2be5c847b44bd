#include "window/inspect_file.h"

#include <glib.h>

namespace Vcl::inspect {

bool ReplaceFile(const std::string& path, const std::string& text) {
    if (path.empty()) {
        return false;
    }
    // "Consistent" is GLib's temporary file in the same folder renamed over
    // the old one; readers see the old record or the new, never a mix. The
    // record shows what is typed, so it stays private to the user (0600).
    GError* error = nullptr;
    const gboolean ok =
        g_file_set_contents_full(path.c_str(), text.data(), static_cast<gssize>(text.size()),
                                 G_FILE_SET_CONTENTS_CONSISTENT, 0600, &error);
    g_clear_error(&error);
    return ok;
}

bool ChangeWriter::update(const std::string& text) {
    if (written_ && text == last_) {
        return true;
    }
    if (!ReplaceFile(path_, text)) {
        return false;
    }
    last_ = text;
    written_ = true;
    ++writes_;
    return true;
}

}  // namespace Vcl::inspect
