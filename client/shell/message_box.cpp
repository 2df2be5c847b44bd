#include "message_box.h"

#include <gtk/gtk.h>

#include "platform/utf.h"
#include "zudoz.h"

namespace xf {

namespace {

std::string PackageText(const char* key) {
    const char16_t* text = XUI_STRING_GET(key);
    return text ? zv::Utf16ToUtf8(text) : std::string();
}

GtkWindow* UsableOwner(GtkWidget* owner) {
    if (owner == nullptr || !GTK_IS_WINDOW(owner) || !gtk_widget_get_visible(owner)) {
        return nullptr;
    }
    GdkWindow* native = gtk_widget_get_window(owner);
    if (native && (gdk_window_get_state(native) & GDK_WINDOW_STATE_ICONIFIED)) {
        return nullptr;
    }
    return GTK_WINDOW(owner);
}

}  // namespace

Answer ShowMessageBox(GtkWidget* owner, const std::u16string& text, const std::u16string& caption,
                      Box kind) {
    const bool withCancel = kind == Box::kQuestion;
    GtkWindow* parent = UsableOwner(owner);
    GtkWidget* box = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL,
                                            withCancel ? GTK_MESSAGE_QUESTION : GTK_MESSAGE_WARNING,
                                            GTK_BUTTONS_NONE, "%s", zv::Utf16ToUtf8(text).c_str());
    gtk_dialog_add_button(GTK_DIALOG(box), PackageText("s.box.ok").c_str(), GTK_RESPONSE_OK);
    if (withCancel) {
        gtk_dialog_add_button(GTK_DIALOG(box), PackageText("s.box.cancel").c_str(),
                              GTK_RESPONSE_CANCEL);
    }
    gtk_dialog_set_default_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
    gtk_window_set_title(GTK_WINDOW(box), zv::Utf16ToUtf8(caption).c_str());
    gtk_window_set_keep_above(GTK_WINDOW(box), TRUE);
    if (parent == nullptr) {
        gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER);
    }
    const int response = gtk_dialog_run(GTK_DIALOG(box));
    gtk_widget_destroy(box);
    if (response == GTK_RESPONSE_OK) {
        return Answer::kOk;
    }
    return withCancel ? Answer::kCancel : Answer::kOk;
}

}  // namespace xf
