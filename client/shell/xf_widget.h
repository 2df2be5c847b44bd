#pragma once
// A reference to one toolkit control (a window is a control too). Cheap to
// copy; name, kind, tag and row index are read from the toolkit on first
// need and kept. Every operation is one toolkit call and does nothing for a
// null handle.
#include <string>
#include <string_view>

#include "zudoz.h"

namespace xf {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

}  // namespace xf

class xfWidget {
public:
    xfWidget() = default;
    explicit xfWidget(XuiControl* handle) : handle_(handle) {}
    virtual ~xfWidget() = default;
    xfWidget(const xfWidget&) = default;
    xfWidget& operator=(const xfWidget&) = default;

    XuiControl* Handle() const { return handle_; }
    bool IsNull() const { return handle_ == nullptr; }

    const std::string& Name();
    const std::string& Kind();
    const std::string& Tag();
    int ItemIndex();

    // The name begins with `prefix` (an empty prefix matches nothing).
    bool Is(std::string_view prefix);
    // Same name and same row: the same control, also across two references
    // taken at different times.
    bool IsSame(xfWidget& other);

    void SetVisible(bool visible);
    bool IsVisible() const;
    void SetEnabled(bool enabled);
    void SetImage(int slot, int frameIndex);
    int GetImage(int slot) const;
    bool SetImagePath(const std::string& path);
    void SetText(const std::u16string& text);
    std::u16string GetText() const;
    bool GetCheck() const;
    void SetCheck(bool checked);
    float GetPercent() const;
    void SetPercent(float fraction);
    // In the window's client area.
    xf::Rect GetRect() const;
    // The native window of a window reference; null for any other control.
    GtkWidget* NativeWindow();

protected:
    void SetHandle(XuiControl* handle);

private:
    void Fetch();

    XuiControl* handle_ = nullptr;
    std::string name_;
    std::string kind_;
    std::string tag_;
    int itemIndex_ = -1;
    bool fetched_ = false;
};
