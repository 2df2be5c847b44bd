// Pointer routing of a window and the services its controls ask of it:
// layout of a container, visibility, tooltips and the window's placement
// for drag handles.
#include <algorithm>

#include "controls/edit.h"
#include "controls/rawwin.h"
#include "layout/layout.h"
#include "window/window.h"

namespace Vcl {

namespace {

void HitNode(const TreeNode& node, int px, int py, Layer*& found) {
    const Layer* c = node.control.get();
    if (!c || !c->visible || !c->contains(px, py)) {
        return;
    }
    if (c->mouseAware && c->enabled) {
        found = const_cast<Layer*>(c);
    }
    const long long count = static_cast<long long>(node.children.size());
    const long long last = std::min<long long>(node.last, count - 1);
    for (long long i = std::max(0, node.first); i <= last; ++i) {
        HitNode(*node.children[static_cast<size_t>(i)], px, py, found);
    }
}

// Native children follow the shown state of their control (a hidden
// ancestor hides them too).
void SyncNativeShown(TreeNode& node) {
    if (Layer* c = node.control.get()) {
        if (c->kind == Kind::Edit) {
            static_cast<Edit*>(c)->syncShown();
        } else if (c->kind == Kind::Rawwin) {
            static_cast<Rawwin*>(c)->syncShown();
        }
    }
    for (auto& child : node.children) {
        SyncNativeShown(*child);
    }
}

}  // namespace

Layer* Window::hitTest(int px, int py) const {
    Layer* found = nullptr;
    if (root) {
        HitNode(*root, px, py, found);
    }
    return found;
}

Layer* Window::hitTestFrom(const Layer* from, int px, int py) const {
    if (from && from->node && from->enabled && from->shown() && from->contains(px, py)) {
        Layer* found = nullptr;
        HitNode(*from->node, px, py, found);
        if (found) {
            return found;
        }
    }
    return hitTest(px, py);
}

void Window::route(const InputEvent& in) {
    if (!enabled) {
        return;
    }
    InputEvent e = in;
    if (e.kind == InputKind::Wheel) {
        if (e.wheelUnits != 0.0) {
            e.steps = wheel_.add(e.wheelUnits);
        }
        if (e.steps == 0) {
            return;  // sideways, or part of a notch that waits for the rest
        }
    }
    const bool move = e.kind == InputKind::Move;
    auto hit = [this, move](int x, int y) {
        return move ? hitTestFrom(router_.hovered(), x, y) : hitTest(x, y);
    };
    router_.route(e, hit);
    const bool release = e.kind == InputKind::Release || e.kind == InputKind::RightRelease;
    if (release && !router_.captured() && !Rect{0, 0, rect.width, rect.height}.contains(e.x, e.y)) {
        router_.route(InputEvent{InputKind::Leave, e.x, e.y}, hit);
    }
}

void Window::reevaluateHover() {
    int x = 0, y = 0;
    if (router_.lastPoint(x, y)) {
        route(InputEvent{InputKind::Move, x, y});
    }
}

void Window::resetInput() {
    router_.reset();
    wheel_.reset();
}

void Window::relayout(Layer& container) {
    TreeNode* node = &container == this ? root.get() : container.node;
    if (!node || !node->control) {
        return;
    }
    LayoutNode(*node);
    relayoutNativeChildren();
    node->control->invalidate();
}

void Window::visibilityChanged(Layer& control) {
    if (&control == this) {
        return;
    }
    if (control.node) {
        SyncNativeShown(*control.node);
    }
    relayout(control.parent ? *control.parent : static_cast<Layer&>(*this));
    control.invalidate();  // a control without a parent repaints itself
    reevaluateHover();
}

void Window::showTip(Layer& control, const std::u16string& text) {
    if (native) {
        native->showTip(control, text);
    }
}

void Window::hideTip(Layer& control) {
    if (native) {
        native->hideTip(control);
    }
}

bool Window::windowPosition(int& x, int& y, Rect& bounds) const {
    return native && native->windowPosition(x, y, bounds);
}

void Window::moveWindow(int x, int y) {
    if (native) {
        native->moveWindow(x, y);
    }
}

bool Window::cursorPosition(int& x, int& y) const {
    return native && native->cursorPosition(x, y);
}

}  // namespace Vcl
