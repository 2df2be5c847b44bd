#pragma once
// Edit: a native text entry hosted in the control's rectangle (margins
// excluded). The toolkit keeps the text until the native entry exists; the
// entry itself belongs to the host side, reached through EditPeer.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "controls/layer.h"
#include "res/color.h"
#include "res/font.h"

class EditFocusListener;

namespace Vcl {

// Style bits of the descriptions' "style" keywords, as the host's tools
// write them (native edit style numbers).
namespace EditStyle {
constexpr uint32_t Base = 0x44000100u;  // child, clip siblings, keep selection
constexpr uint32_t Visible = 0x10000000u;
constexpr uint32_t Multiline = 0x4;
constexpr uint32_t Password = 0x20;
constexpr uint32_t AutoVScroll = 0x40;
constexpr uint32_t AutoHScroll = 0x80;
constexpr uint32_t ReadOnly = 0x800;
constexpr uint32_t WantReturn = 0x1000;
constexpr uint32_t Number = 0x2000;
constexpr uint32_t TabStop = 0x10000;
constexpr uint32_t ExClientEdge = 0x20000;  // "border": a framed entry
}  // namespace EditStyle

// The native entry of an edit, made by the native window.
class EditPeer {
public:
    virtual ~EditPeer() = default;  // destroys the native entry
    virtual void setText(const std::u16string& text) = 0;
    virtual std::u16string text() const = 0;
    virtual void setShown(bool shown) = 0;
    virtual GtkWidget* widget() const = 0;
    // The native window went and took the entry with it: forget it
    // without destroying it again.
    virtual void abandon() = 0;
};

class Edit : public Layer {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
    // The margin around the entry: "edge2color" while focused, else
    // "edgecolor" (the entry covers the inside).
    void paint(Painter& painter, const Rect& update) override;
    void setText(const std::u16string& text) override;
    std::u16string text() const override;
    void setVisible(int visible) override;
    // The native entry is shown exactly while the control is.
    void syncShown();

    // A key of the entry, offered to the host first (XUI_EVENT_KEYDOWN or
    // XUI_EVENT_KEYUP); false when the host swallowed it, or destroyed the
    // edit meanwhile (the entry must not see it then).
    bool offerKey(bool down, uint32_t virtualKey);
    // The entry gained or lost the keyboard focus: the edge repaints and the
    // focus listener hears it.
    void focusChanged(bool in);
    // The entry's rectangle: the control's, shrunk by its margins.
    Rect entryRect() const { return rect.inset(ml, mt, mr, mb); }
    // Attaches the native entry; null detaches (and destroys) it.
    void attach(std::unique_ptr<EditPeer> entry);
    // The native entry is gone with its window.
    void nativeDestroyed();
    GtkWidget* entry() const { return peer_ ? peer_->widget() : nullptr; }

    std::u16string initialText;
    uint32_t style = EditStyle::Base;
    uint32_t exStyle = 0;
    std::unique_ptr<Res::xColor> edgeColor, edge2Color;
    Res::xFont* font = nullptr;
    int maxLength = 1024;
    bool focused = false;
    EditFocusListener* focusListener = nullptr;

private:
    std::unique_ptr<EditPeer> peer_;
};

// What a "number" edit keeps of inserted UTF-8 text: the ASCII digits.
std::string DigitsOnly(std::string_view utf8);

}  // namespace Vcl
