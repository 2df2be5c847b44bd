#pragma once
// A toolkit window: its description, style, control tree and name map, and
// the native window behind it while that exists.
#include <tinyxml2.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "controls/controls.h"

class WinHandler;
class DragDropHandler;
namespace HostWin {
class MsWindow;
}

namespace Vcl {

// Style bits and options computed from "style" and "styleex".
struct WindowStyle {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    bool center = false;
    bool topmost = false;
    bool autoHideOnFocusLoss = false;
    bool autoHideOnMouseOut = false;
};

namespace StyleBits {
constexpr uint32_t Popup = 0x80000000u;
constexpr uint32_t Child = 0x40000000u;
constexpr uint32_t Visible = 0x10000000u;
constexpr uint32_t ClipChildren = 0x02000000u;
constexpr uint32_t ClipSiblings = 0x04000000u;
constexpr uint32_t Caption = 0x00C00000u;
constexpr uint32_t Border = 0x00800000u;
constexpr uint32_t SysMenu = 0x00080000u;
constexpr uint32_t ThickFrame = 0x00040000u;
constexpr uint32_t MinBox = 0x00020000u;
constexpr uint32_t MaxBox = 0x00010000u;
constexpr uint32_t DialogCenter = 0x00000800u;
constexpr uint32_t ModalFrame = 0x00000080u;
constexpr uint32_t ExToolWindow = 0x00000080u;
constexpr uint32_t ExAcceptFiles = 0x00000010u;
constexpr uint32_t ExAppWindow = 0x00040000u;
constexpr uint32_t ExStaticEdge = 0x00020000u;
constexpr uint32_t ExWindowEdge = 0x00000100u;
}  // namespace StyleBits

// `style`/`styleEx` may be null (attribute absent).
WindowStyle ParseWindowStyle(const char* style, const char* styleEx, bool dialog);

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

class Window : public Layer {
public:
    Window();
    ~Window() override;

    // Reads a "window" or "dialog" description and builds its tree from a
    // private copy of the element (includes are appended to that copy only).
    bool load(const tinyxml2::XMLElement* element) override;
    GtkWidget* nativeHandle() const override;
    void setVisible(int visible) override;

    Layer* query(const std::string& controlName) const;
    void enterName(Layer* control);
    // Called when a control goes away: drops it from the name map and from
    // the pointer-routing state.
    void forget(Layer* control);

    // Client area resized: the root takes it, the tree is laid out, the host
    // hears XUI_EVENT_RESIZED.
    void clientResized(int clientWidth, int clientHeight);
    // Command identifiers 1 (OK) and 2 (Cancel) ask a dialog to close.
    void command(int id);
    // Runs the close request; true when the host let it proceed.
    bool askClose();

    // Pointer routing: the deepest visible, enabled, mouse-aware control at
    // the point (null when none).
    Layer* hitTest(int px, int py) const;
    // One pointer event in client coordinates (kinds of InputEvent).
    void route(const InputEvent& event);

    bool isDialog = false;
    WindowStyle styles;
    std::u16string title;
    Rect rect{0, 0, 100, 100};
    int minWidth = 0, minHeight = 0;
    Res::xFont* font = nullptr;
    std::unique_ptr<Res::xColor> textColor;
    std::unique_ptr<TreeNode> root;
    std::map<std::string, Layer*> names;
    Layer* hovered = nullptr;
    Layer* captured = nullptr;
    WinHandler* handler = nullptr;
    DragDropHandler* dropHandler = nullptr;
    tinyxml2::XMLDocument description;
    std::unique_ptr<HostWin::MsWindow> native;
};

}  // namespace Vcl
