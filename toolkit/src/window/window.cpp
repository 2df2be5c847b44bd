#include "window/window.h"

#include "layout/layout.h"
#include "platform/trace.h"
#include "res/resource_manager.h"
#include "res/xml_attr.h"
#include "window/tree.h"
#include "zudoz.h"

namespace Vcl {

namespace xml = Res::xml;

Window::Window() {
    kind = Kind::Window;
    element = "window";
    owner = this;
    rect = Rect{0, 0, 100, 100};
}

Window::~Window() {
    // The native window goes first: its destroy handlers still look at the tree.
    native.reset();
    root.reset();
    names.clear();
    owner = nullptr;  // Layer's destructor must not call back into a half-gone window
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

bool Window::load(const tinyxml2::XMLElement* source, const LoadScope& scope) {
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

    const auto& r = scope.resources;
    if (auto* t = r.findAs<Res::xText>(xml::Text(copy, "text"))) {
        title = t->text;
    }
    rect = Rect{xml::Decimal(copy, "x"), xml::Decimal(copy, "y"), xml::Decimal(copy, "width", 100),
                xml::Decimal(copy, "height", 100)};
    minWidth = xml::Decimal(copy, "width-min");
    minHeight = xml::Decimal(copy, "height-min");
    font = r.findAs<Res::xFont>(xml::Text(copy, "font"));
    textColor = r.readColor(copy->Attribute("color"));
    native = CreateNativeWindow(*this);

    tinyxml2::XMLElement* rootElement = copy->FirstChildElement();
    if (!rootElement) {
        return false;
    }
    BuildContext context{r};
    context.owner = this;
    context.names = &names;
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

void Window::forget(Layer& control) {
    auto it = names.find(control.name);
    if (it != names.end() && it->second == &control) {
        names.erase(it);
    }
}

void Window::deliver(Layer& control, int code, void* param) {
    if (!handler) {
        return;
    }
    // Host code runs beneath GTK's C frames: nothing may unwind through them.
    try {
        handler->onEvent(reinterpret_cast<XuiControl*>(&control), code, param);
    } catch (...) {
        ZV_TRACE("xui: host handler threw on event %d; ignored", code);
    }
}

void Window::delivered(Layer& control, int code) {
    if (code == XUI_EVENT_CLICK && isDialog && &control != this) {
        if (control.name == "DLG.OK") {
            command(1);
        } else if (control.name == "DLG.CANCEL") {
            command(2);
        }
    }
}

void Window::relayoutNativeChildren() {
    if (native) {
        native->relayoutChildren();
    }
}

void Window::invalidate(const Rect& area) {
    if (native) {
        native->invalidate(area);
    }
}

void Window::clientResized(int clientWidth, int clientHeight) {
    if (!root) {
        return;
    }
    Layer& top = *root->control;
    top.rect = Rect{0, 0, clientWidth, clientHeight};
    top.placed();
    LayoutNode(*root);
    notify(this, XUI_EVENT_RESIZED, static_cast<XuiWindow*>(static_cast<void*>(this)));
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
