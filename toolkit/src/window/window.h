#pragma once
// A toolkit window: its description, style, control tree and name map, the
// pointer router, and the native window behind it while that exists.
#include <tinyxml2.h>

#include <map>
#include <memory>
#include <string>

#include "controls/layer.h"
#include "controls/tree_node.h"
#include "input/router.h"
#include "input/wheel.h"
#include "res/color.h"
#include "res/font.h"
#include "window/native_window.h"
#include "window/window_style.h"

class WinHandler;
class DragDropHandler;

namespace Vcl {

class Window : public Layer, public ControlOwner {
public:
    Window();
    ~Window() override;

    // Reads a "window" or "dialog" description and builds its tree from a
    // private copy of the element (includes are appended to that copy only).
    // The scope's owner and parent are ignored: a window owns itself.
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
    GtkWidget* nativeHandle() const override;
    void setVisible(int visible) override;

    Layer* query(const std::string& controlName) const;
    void enterName(Layer* control);

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
    // The same, searched from `from`'s subtree while `from` is still shown,
    // enabled and under the point (the pointer mostly stays over one
    // control), else from the root.
    Layer* hitTestFrom(const Layer* from, int px, int py) const;
    // One pointer event in client coordinates; ignored while disabled.
    // Wheel units become whole steps; a release outside the window ends the
    // hover that the captured control kept.
    void route(const InputEvent& event);
    const PointerRouter& router() const { return router_; }
    // A move at the last pointer position, so hover follows controls that
    // appeared, vanished or moved under a pointer at rest.
    void reevaluateHover();
    // The native window went: no control is hovered, captured or focused.
    void resetInput();

    // ControlOwner
    void deliver(Layer& control, int code, void* param) override;
    void delivered(Layer& control, int code) override;
    void forget(Layer& control) override;
    void relayoutNativeChildren() override;
    void invalidate(const Rect& area) override;
    Res::xFont* defaultFont() const override { return font; }
    const Res::xColor* defaultTextColor() const override { return textColor.get(); }
    void relayout(Layer& container) override;
    void visibilityChanged(Layer& control) override;
    void showTip(Layer& control, const std::u16string& text) override;
    void hideTip(Layer& control) override;
    bool windowPosition(int& x, int& y, Rect& bounds) const override;
    void moveWindow(int x, int y) override;
    bool cursorPosition(int& x, int& y) const override;
    using Layer::invalidate;

    // The frame is Layer::rect: position and client size of the window.
    bool isDialog = false;
    WindowStyle styles;
    std::u16string title;
    int minWidth = 0, minHeight = 0;
    Res::xFont* font = nullptr;
    std::unique_ptr<Res::xColor> textColor;
    std::unique_ptr<TreeNode> root;
    std::map<std::string, Layer*> names;
    WinHandler* handler = nullptr;
    DragDropHandler* dropHandler = nullptr;
    tinyxml2::XMLDocument description;
    std::unique_ptr<NativeWindow> native;

private:
    PointerRouter router_;
    WheelNotches wheel_;
};

}  // namespace Vcl
