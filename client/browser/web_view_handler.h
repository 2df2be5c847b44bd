#pragma once
// The client of one page view: delivers the page's notices and the view's
// creation to the view's WebViewCallback on the UI thread. A page view and
// the pop-ups it opens share one handler; each of them keeps it alive.
#include <memory>

#include "web_view_callback.h"

typedef struct _GtkWidget GtkWidget;
typedef struct _GVariant GVariant;
typedef struct _WebKitWebView WebKitWebView;

namespace zv::browser {

class WebViewHandler : public std::enable_shared_from_this<WebViewHandler> {
public:
    // `callback` may be null (the view reports nothing); it is not owned and
    // must outlive the views of this handler.
    explicit WebViewHandler(WebViewCallback* callback);
    ~WebViewHandler();
    WebViewHandler(const WebViewHandler&) = delete;
    WebViewHandler& operator=(const WebViewHandler&) = delete;

    WebViewCallback* Callback() const { return callback_; }

    // Routes the user messages of `view` to this handler. The view holds a
    // reference to the handler until it is destroyed.
    void AttachView(WebKitWebView* view);

    // The page view exists with its native window: reported when there is a
    // callback, nothing otherwise.
    void OnAfterCreated(GtkWidget* view);

    // A message from the page side. True (handled) for "updateOnlineCount"
    // and "kickout", with or without a callback; false for any other name.
    // A parameter of the wrong type reads as 0 or empty text.
    bool OnProcessMessageReceived(const char* name, GVariant* parameters);

private:
    WebViewCallback* callback_;
};

}  // namespace zv::browser
