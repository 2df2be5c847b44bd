#include "window/window.h"

#include <algorithm>

#include "host/ms_window.h"
#include "layout/layout.h"
#include "platform/trace.h"
#include "res/resource_manager.h"
#include "res/xml_attr.h"
#include "window/tree.h"
#include "zudoz.h"

namespace Vcl {

Window::Window() {
    kind = 0;  // a window is not one of the thirteen control kinds
    element = "window";
}

Window::~Window() {
    // The native window goes first: its destroy handlers still look at the tree.
    native.reset();
    root.reset();
    names.clear();
}

GtkWidget* Window::nativeHandle() const {
    return native ? native->handle() : nullptr;
}

void Window::setVisible(int show) {
    visible = show != 0;
    if (native && native->exists()) {
        native->show(visible);
        // Shown or hidden by a show call (not by a parent or minimising).
        int shown = visible ? 1 : 0;
        notify(this, XUI_EVENT_SHOW, &shown);
    }
}

bool Window::load(const tinyxml2::XMLElement* source) {
    const std::string kindName = source->Name();
    if (kindName != "window" && kindName != "dialog") {
        return false;
    }
    element = kindName;
    isDialog = kindName == "dialog";
    name = xml::Text(source, "id");
    styles = ParseWindowStyle(source->Attribute("style"),
                              isDialog ? nullptr : source->Attribute("styleex"), isDialog);
    visible = (styles.style & StyleBits::Visible) != 0;

    // Keep the description as written (for new instances), and build from a
    // working copy that includes may extend.
    description.Clear();
    description.InsertEndChild(source->DeepClone(&description));
    tinyxml2::XMLDocument work;
    auto* copy = work.InsertEndChild(source->DeepClone(&work))->ToElement();

    auto& r = xResourceManager::Instance();
    if (auto* t = r.findAs<Res::xText>(xml::Text(copy, "text"))) {
        title = t->text;
    }
    int px = xml::Decimal(copy, "x"), py = xml::Decimal(copy, "y");
    rect =
        Rect{px, py, px + xml::Decimal(copy, "width", 100), py + xml::Decimal(copy, "height", 100)};
    minWidth = xml::Decimal(copy, "width-min");
    minHeight = xml::Decimal(copy, "height-min");
    font = r.findAs<Res::xFont>(xml::Text(copy, "font"));
    textColor = r.readColor(copy->Attribute("color"));
    native = std::make_unique<HostWin::MsWindow>(*this);

    tinyxml2::XMLElement* rootElement = copy->FirstChildElement();
    if (!rootElement) {
        return false;
    }
    BuildContext context;
    context.window = this;
    context.readEntry = [&r](const std::string& entry) {
        auto text = r.mainPackage().readText(entry);
        return text ? *text : std::string();
    };
    root = BuildNode(rootElement, nullptr, context);
    if (!root) {
        names.clear();
        return false;
    }
    return true;
}

Layer* Window::query(const std::string& controlName) const {
    auto it = names.find(controlName);
    return it == names.end() ? nullptr : it->second;
}

void Window::enterName(Layer* control) {
    names[control->name] = control;
}

void Window::forget(Layer* control) {
    auto it = names.find(control->name);
    if (it != names.end() && it->second == control) {
        names.erase(it);
    }
    if (hovered == control) {
        hovered = nullptr;
    }
    if (captured == control) {
        captured = nullptr;
    }
}

void Window::clientResized(int clientWidth, int clientHeight) {
    if (!root) {
        return;
    }
    Layer& top = *root->control;
    top.x = 0;
    top.y = 0;
    top.width = clientWidth;
    top.height = clientHeight;
    top.placed();
    LayoutNode(*root);
    notify(this, XUI_EVENT_RESIZED, static_cast<XuiWindow*>(static_cast<void*>(this)));
}

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

}  // namespace

Layer* Window::hitTest(int px, int py) const {
    Layer* found = nullptr;
    if (root) {
        HitNode(*root, px, py, found);
    }
    return found;
}

void Window::route(const InputEvent& e) {
    if (!enabled) {
        return;
    }
    // Every step re-reads the routing state: a host handler may destroy
    // controls (forget() clears the pointers) or the window's native window.
    switch (e.kind) {
        case InputMove: {
            Layer* hit = hitTest(e.x, e.y);
            if (hit != hovered) {
                if (Layer* old = hovered) {
                    hovered = nullptr;
                    old->onInput(InputEvent{InputLeave, e.x, e.y, 0});
                }
                hovered = hit;
                if (hit) {
                    hit->onInput(InputEvent{InputEnter, e.x, e.y, 0});
                }
            }
            if (Layer* target = captured ? captured : hovered) {
                target->onInput(e);
            }
            break;
        }
        case InputPress:
            captured = hitTest(e.x, e.y);
            if (captured) {
                captured->onInput(e);
            }
            break;
        case InputRightPress:
            captured = hovered;
            if (captured) {
                captured->onInput(e);
            }
            break;
        case InputRelease:
        case InputRightRelease:
            if (Layer* target = captured) {
                captured = nullptr;
                target->onInput(e);
            }
            break;
        case InputLeave:
            if (Layer* old = hovered) {
                hovered = nullptr;
                old->onInput(e);
            }
            break;
        default:
            if (hovered) {
                hovered->onInput(e);
            }
            break;
    }
}

bool Window::askClose() {
    int allow = 1;
    notify(this, XUI_EVENT_CLOSE, &allow);
    return allow != 0;
}

void Window::command(int id) {
    if (!isDialog || (id != 1 && id != 2) || !native || !native->exists()) {
        return;
    }
    if (!askClose()) {
        return;
    }
    native->endDialog(id == 1 ? 1 : 0);
}

}  // namespace Vcl
