#include "web_view_handler.h"

#include <webkit2/webkit2.h>

#include <cstring>
#include <string>

#include "notify_rules.h"
#include "platform/trace.h"
#include "platform/utf.h"

namespace zv::browser {

namespace {

gboolean OnUserMessage(WebKitWebView*, WebKitUserMessage* message, gpointer data) {
    auto& handler = **static_cast<std::shared_ptr<WebViewHandler>*>(data);
    return handler.OnProcessMessageReceived(webkit_user_message_get_name(message),
                                            webkit_user_message_get_parameters(message))
               ? TRUE
               : FALSE;
}

void ReleaseHandler(gpointer data, GClosure*) {
    delete static_cast<std::shared_ptr<WebViewHandler>*>(data);
}

}  // namespace

WebViewHandler::WebViewHandler(WebViewCallback* callback) : callback_(callback) {}

WebViewHandler::~WebViewHandler() = default;

void WebViewHandler::AttachView(WebKitWebView* view) {
    g_signal_connect_data(view, "user-message-received", G_CALLBACK(OnUserMessage),
                          new std::shared_ptr<WebViewHandler>(shared_from_this()), ReleaseHandler,
                          GConnectFlags(0));
}

void WebViewHandler::OnAfterCreated(GtkWidget* view) {
    if (callback_) {
        callback_->OnBrowserCreated(view);
    }
}

bool WebViewHandler::OnProcessMessageReceived(const char* name, GVariant* parameters) {
    if (!name) {
        return false;
    }
    if (kUpdateOnlineCount == name) {
        if (callback_) {
            const bool isInt = parameters && g_variant_is_of_type(parameters, G_VARIANT_TYPE_INT32);
            callback_->OnJsUpdateRoster(isInt ? g_variant_get_int32(parameters) : 0);
        }
        return true;
    }
    if (kKickout == name) {
        if (callback_) {
            const bool isText =
                parameters && g_variant_is_of_type(parameters, G_VARIANT_TYPE_STRING);
            gsize length = 0;
            const char* text = isText ? g_variant_get_string(parameters, &length) : "";
            // Sized conversion: any length, never a fixed buffer.
            const std::u16string wide = Utf8ToUtf16(std::string_view(text, length));
            callback_->OnJsKickout(wide.c_str());
        }
        return true;
    }
    return false;
}

}  // namespace zv::browser
