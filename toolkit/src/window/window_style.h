#pragma once
// Window and dialog styles: the keywords of "style" and "styleex" as the
// style bits the host's descriptions are written for, and the options the
// native side reads from them.
#include <cstdint>

namespace Vcl {

struct WindowStyle {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    bool center = false;
    bool topmost = false;
    bool autoHideOnFocusLoss = false;
    bool autoHideOnMouseOut = false;
};

// The bit values are the native window style numbers the descriptions were
// designed with; only their meaning here matters.
namespace StyleBits {
constexpr uint32_t Popup = 0x80000000u;
constexpr uint32_t Child = 0x40000000u;
constexpr uint32_t Visible = 0x10000000u;
constexpr uint32_t ClipChildren = 0x02000000u;
constexpr uint32_t ClipSiblings = 0x04000000u;
constexpr uint32_t Caption = 0x00C00000u;  // includes Border
constexpr uint32_t Border = 0x00800000u;
constexpr uint32_t SysMenu = 0x00080000u;
constexpr uint32_t ThickFrame = 0x00040000u;  // the user may resize
constexpr uint32_t MinBox = 0x00020000u;
constexpr uint32_t MaxBox = 0x00010000u;
constexpr uint32_t DialogCenter = 0x00000800u;
constexpr uint32_t ModalFrame = 0x00000080u;
constexpr uint32_t ExToolWindow = 0x00000080u;
constexpr uint32_t ExAcceptFiles = 0x00000010u;
constexpr uint32_t ExAppWindow = 0x00040000u;
constexpr uint32_t ExStaticEdge = 0x00020000u;
constexpr uint32_t ExWindowEdge = 0x00000100u;
// Without a "style" attribute: an overlapped, visible window with caption,
// system menu, sizing frame and both boxes, clipping its children.
constexpr uint32_t DefaultWindow = 0x12CF0000u;
// Without a "style" attribute: a visible, centred modal dialog with caption.
constexpr uint32_t DefaultDialog = 0x10C80880u;
}  // namespace StyleBits

// `style`/`styleEx` may be null (attribute absent).
WindowStyle ParseWindowStyle(const char* style, const char* styleEx, bool dialog);

}  // namespace Vcl
