#include "message_box.h"

#include <gtk/gtk.h>

#include "platform/utf.h"

namespace xf {

namespace {

GtkMessageType TypeOf(unsigned flags) {
    switch (flags & 0xF0) {
        case 0x10:
            return GTK_MESSAGE_ERROR;
        case 0x20:
            return GTK_MESSAGE_QUESTION;
        case 0x30:
            return GTK_MESSAGE_WARNING;
        case 0x40:
            return GTK_MESSAGE_INFO;
        default:
            return GTK_MESSAGE_OTHER;
    }
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

int ShowMessageBox(GtkWidget* owner, const std::u16string& text, const std::u16string& caption,
                   unsigned flags) {
    const bool withCancel = (flags & 0x0F) == 1;
    GtkWindow* parent = UsableOwner(owner);
    GtkWidget* box = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, TypeOf(flags),
                                            GTK_BUTTONS_NONE, "%s", zv::Utf16ToUtf8(text).c_str());
    gtk_dialog_add_button(GTK_DIALOG(box), "确定", GTK_RESPONSE_OK);
    if (withCancel) {
        gtk_dialog_add_button(GTK_DIALOG(box), "取消", GTK_RESPONSE_CANCEL);
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
        return 1;
    }
    return withCancel ? 2 : 1;
}

}  // namespace xf
