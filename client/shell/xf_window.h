#pragma once
// The client's side of one described window: the toolkit's events arrive in
// onEvent and are dispatched to one virtual operation per event, or to a
// handler object attached to the control's name. Destroying the object does
// not destroy the toolkit window.
#include <map>
#include <string>

#include "xf_widget.h"

class xfWindow;

// Receives the events of the controls of one name instead of the window.
class xfControlHandler {
public:
    virtual ~xfControlHandler() = default;
    virtual void Attach(xfWindow* window) = 0;
    virtual void Detach() = 0;
    virtual void OnClick(xfWidget& control) = 0;
    virtual void OnRightClick(xfWidget& control) = 0;
    virtual void OnDoubleClick(xfWidget& control) = 0;
    virtual void OnKeyUp(xfWidget& control, uint32_t virtualKey) = 0;
    virtual void OnValueChange(xfWidget& control) = 0;
    virtual void OnRawSize(xfWidget& control) = 0;
};

// Message box flags (the Windows values the texts are written against).
namespace xf {
constexpr unsigned kBoxOk = 0x00;
constexpr unsigned kBoxOkCancel = 0x01;
constexpr unsigned kBoxIconError = 0x10;
constexpr unsigned kBoxIconQuestion = 0x20;
constexpr unsigned kBoxIconWarning = 0x30;
constexpr unsigned kBoxIconInfo = 0x40;
constexpr unsigned kBoxWarning = kBoxOk | kBoxIconWarning;          // 48
constexpr unsigned kBoxQuestion = kBoxOkCancel | kBoxIconQuestion;  // 33
// The buttons a box returns.
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
}  // namespace xf

class xfWindow : public WinHandler, public xfWidget {
public:
    xfWindow() = default;
    ~xfWindow() override = default;
    xfWindow(const xfWindow&) = delete;
    xfWindow& operator=(const xfWindow&) = delete;

    // The dispatcher; codes outside 1..13 and 6 (key down) are ignored.
    int onEvent(XuiControl* control, int code, void* param) override;

    virtual void OnCreate() {}
    virtual void OnClose(int* allow) { (void)allow; }
    virtual void OnTimer(unsigned id) { (void)id; }
    virtual void OnClick(xfWidget& control) { (void)control; }
    virtual void OnRightClick(xfWidget& control) { (void)control; }
    virtual void OnDoubleClick(xfWidget& control) { (void)control; }
    virtual void OnKeyUp(xfWidget& control, uint32_t virtualKey) {
        (void)control;
        (void)virtualKey;
    }
    virtual void OnRawCreate(xfWidget& control, GtkWidget* native) {
        (void)control;
        (void)native;
    }
    virtual void OnValueChange(xfWidget& control) { (void)control; }
    virtual void OnRawSize(xfWidget& control) { (void)control; }
    virtual void OnResize(xfWidget& window) { (void)window; }
    virtual void OnShow(bool shown) { (void)shown; }
    virtual void OnMove(xfWidget& window) { (void)window; }

    // Ties this object to the loaded window `name`; false when the package
    // has none.
    bool Register(const char* name);
    XuiWindow* WindowHandle() const { return reinterpret_cast<XuiWindow*>(Handle()); }
    // Creates the native window, owned by `parent`'s when given.
    bool Create(xfWindow* parent = nullptr);
    void Destroy();
    xfWidget Query(const char* name) const;

    // Event 2 with `id` every `milliseconds` until stopped.
    bool StartTimer(unsigned id, unsigned milliseconds);
    void StopTimer(unsigned id);

    // A modal box over this window (or over nothing while it is minimised, so
    // that it stays in sight); returns xf::kAnswerOk or xf::kAnswerCancel.
    int Message(const std::u16string& text, const std::u16string& caption, unsigned flags);
    // The same with both texts from the package's text resources.
    int MessageRes(const char* textKey, const char* captionKey, unsigned flags);
    static std::u16string Text(const char* key);

    // Handlers for the controls named `name`; owned by the caller.
    void AttachHandler(const std::string& name, xfControlHandler* handler);

private:
    xfControlHandler* HandlerFor(xfWidget& control);
    void DispatchControlEvent(int code, xfWidget& control, void* param);

    std::map<std::string, xfControlHandler*> handlers_;
};
