#include "xf_window.h"

#include "message_box.h"

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

int xfWindow::Message(const std::u16string& text, const std::u16string& caption, unsigned flags) {
    return xf::ShowMessageBox(XUI_WIN_RAW(WindowHandle()), text, caption, flags);
}

int xfWindow::MessageRes(const char* textKey, const char* captionKey, unsigned flags) {
    return Message(Text(textKey), Text(captionKey), flags);
}

std::u16string xfWindow::Text(const char* key) {
    const char16_t* text = XUI_STRING_GET(key);
    return text ? std::u16string(text) : std::u16string();
}

void xfWindow::AttachHandler(const std::string& name, xfControlHandler* handler) {
    handlers_[name] = handler;
}

xfControlHandler* xfWindow::HandlerFor(xfWidget& control) {
    // Looking a name up enters it, attached to nothing.
    return handlers_[control.Name()];
}

void xfWindow::DispatchControlEvent(int code, xfWidget& control, void* param) {
    xfControlHandler* handler = HandlerFor(control);
    const uint32_t key =
        code == XUI_EVENT_KEYUP && param ? static_cast<const XuiKeyRecord*>(param)->virtualKey : 0;
    switch (code) {
        case XUI_EVENT_CLICK:
            handler ? handler->OnClick(control) : OnClick(control);
            break;
        case XUI_EVENT_RCLICK:
            handler ? handler->OnRightClick(control) : OnRightClick(control);
            break;
        case XUI_EVENT_DBLCLICK:
            handler ? handler->OnDoubleClick(control) : OnDoubleClick(control);
            break;
        case XUI_EVENT_KEYUP:
            handler ? handler->OnKeyUp(control, key) : OnKeyUp(control, key);
            break;
        case XUI_EVENT_VALUE:
            handler ? handler->OnValueChange(control) : OnValueChange(control);
            break;
        case XUI_EVENT_RESIZED:
            handler ? handler->OnRawSize(control) : OnRawSize(control);
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
            for (auto& [name, handler] : handlers_) {
                if (handler) {
                    handler->Attach(this);
                }
            }
            break;
        case XUI_EVENT_TIMER:
            OnTimer(param ? *static_cast<const unsigned*>(param) : 0);
            break;
        case XUI_EVENT_CLOSE: {
            for (auto& [name, handler] : handlers_) {
                if (handler) {
                    handler->Detach();
                }
            }
            int unused = 1;
            OnClose(param ? static_cast<int*>(param) : &unused);
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
