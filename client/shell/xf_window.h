#pragma once
// The client's side of one described window: the toolkit's events arrive in
// onEvent and are dispatched to one virtual operation per event. Destroying
// the object does not destroy the toolkit window.
#include <string>

#include "message_box.h"
#include "xf_widget.h"

class xfWindow : public WinHandler, public xfWidget {
public:
    xfWindow() = default;
    ~xfWindow() override = default;
    xfWindow(const xfWindow&) = delete;
    xfWindow& operator=(const xfWindow&) = delete;

    // The dispatcher; codes outside 1..13 and 6 (key down) are ignored.
    int onEvent(XuiControl* control, int code, void* param) override;

    virtual void OnCreate() {}
    // The user closes the window: true lets it close.
    virtual bool OnClose() { return true; }
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
    // that it stays in sight).
    xf::Answer Message(const std::u16string& text, const std::u16string& caption, xf::Box kind);
    // The same with both texts from the package's text resources.
    xf::Answer MessageRes(const char* textKey, const char* captionKey, xf::Box kind);
    // A text resource of the package; empty when it has none.
    static std::u16string Text(const char* key);
    // The native window's title.
    void SetTitle(const std::u16string& title);

private:
    void DispatchControlEvent(int code, xfWidget& control, void* param);
};
