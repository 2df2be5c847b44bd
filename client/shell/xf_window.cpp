#include "xf_window.h"

#include <gtk/gtk.h>

#include "platform/utf.h"

bool xfWindow::Register(const char* name) {
    SetHandle(reinterpret_cast<XuiControl*>(XUI_WIN_REGISTER(name, this)));
    return !IsNull();
}

bool xfWindow::Create(xfWindow* parent) {
    return XUI_WIN_CREATE(WindowHandle(), parent ? parent->WindowHandle() : nullptr) != 0;
}

void xfWindow::Destroy() {
    XUI_WIN_DESTROY(WindowHandle());
}

xfWidget xfWindow::Query(const char* name) const {
    return xfWidget(XUI_VCL_QUERY(WindowHandle(), name));
}

bool xfWindow::StartTimer(unsigned id, unsigned milliseconds) {
    return XUI_WIN_SETTIMER(WindowHandle(), id, milliseconds) != 0;
}

void xfWindow::StopTimer(unsigned id) {
    XUI_WIN_KILLTIMER(WindowHandle(), id);
}

xf::Answer xfWindow::Message(const std::u16string& text, const std::u16string& caption,
                             xf::Box kind) {
    return xf::ShowMessageBox(XUI_WIN_RAW(WindowHandle()), text, caption, kind);
}

xf::Answer xfWindow::MessageRes(const char* textKey, const char* captionKey, xf::Box kind) {
    return Message(Text(textKey), Text(captionKey), kind);
}

std::u16string xfWindow::Text(const char* key) {
    const char16_t* text = XUI_STRING_GET(key);
    return text ? std::u16string(text) : std::u16string();
}

void xfWindow::SetTitle(const std::u16string& title) {
    GtkWidget* native = XUI_WIN_RAW(WindowHandle());
    if (native && GTK_IS_WINDOW(native)) {
        gtk_window_set_title(GTK_WINDOW(native), zv::Utf16ToUtf8(title).c_str());
    }
}

void xfWindow::DispatchControlEvent(int code, xfWidget& control, void* param) {
    switch (code) {
        case XUI_EVENT_CLICK:
            OnClick(control);
            break;
        case XUI_EVENT_RCLICK:
            OnRightClick(control);
            break;
        case XUI_EVENT_DBLCLICK:
            OnDoubleClick(control);
            break;
        case XUI_EVENT_KEYUP:
            OnKeyUp(control, param ? static_cast<const XuiKeyRecord*>(param)->virtualKey : 0);
            break;
        case XUI_EVENT_VALUE:
            OnValueChange(control);
            break;
        case XUI_EVENT_RESIZED:
            OnRawSize(control);
            break;
        default:
            break;
    }
}

int xfWindow::onEvent(XuiControl* control, int code, void* param) {
    if (code < XUI_EVENT_CREATED || code > XUI_EVENT_MOVED || code == XUI_EVENT_KEYDOWN) {
        return 0;
    }
    xfWidget widget(control);
    switch (code) {
        case XUI_EVENT_CREATED:
            OnCreate();
            break;
        case XUI_EVENT_TIMER:
            OnTimer(param ? *static_cast<const unsigned*>(param) : 0);
            break;
        case XUI_EVENT_CLOSE: {
            // The toolkit's flag is 1 on entry; 0 keeps the window open.
            const bool allow = OnClose();
            if (param) {
                *static_cast<int*>(param) = allow ? 1 : 0;
            }
            break;
        }
        case XUI_EVENT_RAW_CREATED:
            OnRawCreate(widget, static_cast<GtkWidget*>(param));
            break;
        case XUI_EVENT_RESIZED:
            if (param) {
                OnResize(widget);  // the window reports its own size
            } else {
                DispatchControlEvent(code, widget, param);
            }
            break;
        case XUI_EVENT_SHOW:
            OnShow(param && *static_cast<const int*>(param) != 0);
            break;
        case XUI_EVENT_MOVED:
            OnMove(widget);
            break;
        default:  // click, right click, double click, key up, value
            DispatchControlEvent(code, widget, param);
            break;
    }
    return 0;
}
