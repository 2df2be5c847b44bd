#pragma once
// Notices from a page view to the window that asked for it.
#include <cstdint>

typedef struct _GtkWidget GtkWidget;

namespace zv::browser {

class WebViewCallback {
public:
    virtual ~WebViewCallback() = default;

    // The page reported the number of viewers (shown unsigned by the window).
    virtual void OnJsUpdateRoster(int32_t count) = 0;
    // The broadcaster was removed from the room; `message` is zero-terminated
    // UTF-16 and valid only during the call.
    virtual void OnJsKickout(const char16_t* message) = 0;
    // The view exists and has its own native window; `window` is the view's
    // widget, a child of the area it was created in.
    virtual void OnBrowserCreated(GtkWidget* window) = 0;
};

}  // namespace zv::browser
