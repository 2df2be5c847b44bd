#include "xf_widget.h"

namespace {

// The toolkit cuts each text to this buffer, terminator included.
constexpr int kFieldSize = 128;

}  // namespace

void xfWidget::SetHandle(XuiControl* handle) {
    handle_ = handle;
    name_.clear();
    kind_.clear();
    tag_.clear();
    itemIndex_ = -1;
    fetched_ = false;
}

void xfWidget::Fetch() {
    if (fetched_) {
        return;
    }
    char name[kFieldSize] = {};
    char kind[kFieldSize] = {};
    char tag[kFieldSize] = {};
    int row = -1;
    // A null control answers 0: the fields stay empty and the next need
    // asks again.
    if (XUI_COMMON_GET(handle_, name, kFieldSize, kind, kFieldSize, tag, kFieldSize, &row) == 0) {
        return;
    }
    name_ = name;
    kind_ = kind;
    tag_ = tag;
    itemIndex_ = row;
    fetched_ = true;
}

const std::string& xfWidget::Name() {
    Fetch();
    return name_;
}

const std::string& xfWidget::Kind() {
    Fetch();
    return kind_;
}

const std::string& xfWidget::Tag() {
    Fetch();
    return tag_;
}

int xfWidget::ItemIndex() {
    Fetch();
    return itemIndex_;
}

bool xfWidget::Is(std::string_view prefix) {
    const std::string& name = Name();
    return !prefix.empty() && prefix.size() <= name.size() &&
           name.compare(0, prefix.size(), prefix) == 0;
}

bool xfWidget::IsSame(xfWidget& other) {
    return Name() == other.Name() && ItemIndex() == other.ItemIndex();
}

void xfWidget::SetVisible(bool visible) {
    XUI_VISIBLE_SET(handle_, visible ? 1 : 0);
}

bool xfWidget::IsVisible() const {
    return XUI_VISIBLE_GET(handle_) != 0;
}

void xfWidget::SetEnabled(bool enabled) {
    XUI_ENABLE_SET(handle_, enabled ? 1 : 0);
}

void xfWidget::SetImage(int slot, int frameIndex) {
    XUI_IMAGE_SET(handle_, frameIndex, slot);
}

int xfWidget::GetImage(int slot) const {
    return XUI_IMAGE_GET(handle_, slot);
}

bool xfWidget::SetImagePath(const std::string& path) {
    return XUI_IMAGE_SET_WITHPATH(handle_, path.c_str()) != 0;
}

void xfWidget::SetText(const std::u16string& text) {
    XUI_TEXT_SET(handle_, text.c_str());
}

std::u16string xfWidget::GetText() const {
    const char16_t* text = XUI_TEXT_GET(handle_);
    return text ? std::u16string(text) : std::u16string();
}

bool xfWidget::GetCheck() const {
    return XUI_CHECK_GET(handle_) != 0;
}

void xfWidget::SetCheck(bool checked) {
    XUI_CHECK_SET(handle_, checked ? 1 : 0);
}

float xfWidget::GetPercent() const {
    return XUI_PERCENT_GET(handle_);
}

void xfWidget::SetPercent(float fraction) {
    XUI_PERCENT_SET(handle_, fraction, 0);
}

xf::Rect xfWidget::GetRect() const {
    int x = 0, y = 0, width = 0, height = 0;
    XUI_SIZE_GET(handle_, &x, &y, &width, &height, 0);
    return {x, y, x + width, y + height};
}

GtkWidget* xfWidget::NativeWindow() {
    // Only a window handle may be read as one: the toolkit does not check
    // what a window handle points at.
    const std::string& kind = Kind();
    if (kind != "window" && kind != "dialog") {
        return nullptr;
    }
    return XUI_WIN_RAW(reinterpret_cast<XuiWindow*>(Handle()));
}
