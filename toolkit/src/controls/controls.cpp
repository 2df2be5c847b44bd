// Control objects: common and per-kind attributes, event delivery.
#include "controls/controls.h"

#include <cstring>

#include "platform/trace.h"
#include "platform/utf.h"
#include "res/resource_manager.h"
#include "res/xml_attr.h"
#include "window/tree.h"
#include "window/window.h"
#include "zudoz.h"

namespace Vcl {

const KindRow kKindTable[13] = {
    {KindLayer, "layer"},   {KindRawwin, "rawwin"},   {KindEdit, "edit"},
    {KindPanel, "panel"},   {KindControl, "control"}, {KindLabel, "label"},
    {KindButton, "button"}, {KindScroll, "scroll"},   {KindSlider, "slider"},
    {KindList, "list"},     {KindCheck, "check"},     {KindScrollPanel, "spanel"},
    {KindGraber, "graber"},
};

int KindOfElement(const std::string& element) {
    for (const auto& row : kKindTable) {
        if (element == row.name) {
            return row.kind;
        }
    }
    return 0;
}

std::unique_ptr<Layer> CreateControl(const std::string& element) {
    std::unique_ptr<Layer> c;
    switch (KindOfElement(element)) {
        case KindLayer:
            c = std::make_unique<Layer>();
            break;
        case KindRawwin:
            c = std::make_unique<Rawwin>();
            break;
        case KindEdit:
            c = std::make_unique<Edit>();
            break;
        case KindPanel:
            c = std::make_unique<Panel>();
            break;
        case KindControl:
            c = std::make_unique<Control>();
            break;
        case KindLabel:
            c = std::make_unique<Label>();
            break;
        case KindButton:
            c = std::make_unique<Button>();
            break;
        case KindScroll:
            c = std::make_unique<Scroll>();
            break;
        case KindSlider:
            c = std::make_unique<Slider>();
            break;
        case KindList:
            c = std::make_unique<List>();
            break;
        case KindCheck:
            c = std::make_unique<Check>();
            break;
        case KindScrollPanel:
            c = std::make_unique<ScrollPanel>();
            break;
        case KindGraber:
            c = std::make_unique<Graber>();
            break;
        default:
            return nullptr;
    }
    c->kind = KindOfElement(element);
    c->element = element;
    return c;
}

int ParseAlign(const std::string& list) {
    bool has[5] = {};
    static const char* const kOrder[5] = {"expand", "center", "left", "right", "top"};
    bool bottom = false;
    for (const auto& item : xml::SplitList(list)) {
        for (int i = 0; i < 5; ++i) {
            has[i] = has[i] || item == kOrder[i];
        }
        bottom = bottom || item == "bottom";
    }
    if (has[0])
        return AlignExpand;
    if (has[1])
        return AlignCenter;
    if (has[2])
        return AlignLeft;
    if (has[3])
        return AlignRight;
    if (has[4])
        return AlignTop;
    if (bottom)
        return AlignBottom;
    return AlignExpand;
}

TreeNode::~TreeNode() {
    children.clear();  // descendants first, so none outlives its parent's control
    if (control && control->inCallback) {
        DeferDeletion(std::move(control));
    }
}

Layer::Layer() = default;

Layer::~Layer() {
    if (window && window != this) {
        window->forget(this);
    }
}

void Layer::setEnable(int enable) {
    enabled = enable != 0;
}

void Layer::setVisible(int show) {
    visible = show != 0;
}

GtkWidget* Layer::nativeHandle() const {
    return window ? window->nativeHandle() : nullptr;
}

void Layer::invalidate() {}

bool Layer::load(const tinyxml2::XMLElement* e) {
    name = xml::Text(e, "id");
    if (xml::Has(e, "tag")) {
        tag = xml::Text(e, "tag");
    } else if (parent) {
        tag = parent->tag;
    }
    visible = xml::Text(e, "visible") != "false";
    enabled = xml::Text(e, "enable") != "false";
    declaredWidth = xml::Decimal(e, "width");
    declaredHeight = xml::Decimal(e, "height");
    width = declaredWidth;
    height = declaredHeight;
    ml = xml::Decimal(e, "ml");
    mr = xml::Decimal(e, "mr");
    mt = xml::Decimal(e, "mt");
    mb = xml::Decimal(e, "mb");
    std::string l = xml::Text(e, "layout");
    layout = l == "vertical" ? LayoutVertical : l == "grid" ? LayoutGrid : LayoutHorizontal;
    layoutItem = xml::Text(e, "layoutItem") == "expand" ? ItemExpand : ItemFixed;
    // A ratio must be a positive finite number; anything else means none.
    expandScale = xml::Real(e, "expandScale", 0.0);
    if (!(expandScale > 0.0 && expandScale < 1e6)) {
        expandScale = 0.0;
    }
    align = ParseAlign(xml::Text(e, "align"));
    return true;
}

void Layer::notify(Layer* control, int code, void* param) {
    Window* w = window ? window : dynamic_cast<Window*>(this);
    if (!w || !control) {
        return;
    }
    const bool wasInCallback = control->inCallback;
    control->inCallback = true;
    if (w->handler) {
        // Host code runs beneath GTK's C frames: nothing may unwind through them.
        try {
            w->handler->onEvent(reinterpret_cast<XuiControl*>(control), code, param);
        } catch (...) {
            ZV_TRACE("xui: host handler threw on event %d; ignored", code);
        }
    }
    if (wasInCallback) {
        // A nested event of a control that is still in an outer one: the
        // outermost event frees it, since its caller still holds the control.
        if (IsDeferred(control)) {
            return;
        }
    } else if (TakeDeferred(control)) {
        return;  // destroyed by the host inside its own event
    }
    control->inCallback = wasInCallback;
    if (code == XUI_EVENT_CLICK && w->isDialog && control != w) {
        if (control->name == "DLG.OK") {
            w->command(1);
        } else if (control->name == "DLG.CANCEL") {
            w->command(2);
        }
    }
}

namespace {

const Window* OwnerWindow(const Layer* l) {
    return l->window;
}

}  // namespace

bool Panel::load(const tinyxml2::XMLElement* e) {
    if (!Layer::load(e)) {
        return false;
    }
    auto& r = xResourceManager::Instance();
    color = r.readColor(e->Attribute("color"));
    image = r.readImage(e->Attribute("image"));
    if (auto* t = r.findAs<Res::xText>(xml::Text(e, "tip"))) {
        tip = t->text;
        tipText = t->text;
    }
    return true;
}

bool Control::load(const tinyxml2::XMLElement* e) {
    if (!Panel::load(e)) {
        return false;
    }
    auto& r = xResourceManager::Instance();
    speedClick = xml::StrictBool(e, "speedclick");
    imageHover = r.readImage(e->Attribute("image-hover"));
    imagePress = r.readImage(e->Attribute("image-press"));
    imageDisable = r.readImage(e->Attribute("image-disable"));
    colorHover = r.readColor(e->Attribute("color-hover"));
    colorPress = r.readColor(e->Attribute("color-press"));
    colorDisable = r.readColor(e->Attribute("color-disable"));
    return true;
}

void Control::setEnable(int enable) {
    Layer::setEnable(enable);
    if (!enabled) {
        hovered = false;
    }
    invalidate();
}

void Control::onInput(const InputEvent& e) {
    if (!enabled) {
        return;
    }
    switch (e.kind) {
        case InputEnter:
            hovered = true;
            invalidate();
            if (hoverListener) {
                hoverListener->entered(name.c_str(), itemIndex);
            }
            break;
        case InputLeave:
            hovered = false;
            invalidate();
            if (hoverListener) {
                hoverListener->left(name.c_str(), itemIndex);
            }
            break;
        case InputPress:
            pressed = true;
            invalidate();
            if (speedClick) {
                notify(this, XUI_EVENT_CLICK, nullptr);
            }
            break;
        case InputRelease:
            pressed = false;
            invalidate();
            if (!speedClick && contains(e.x, e.y)) {
                notify(this, XUI_EVENT_CLICK, nullptr);
            }
            break;
        case InputDoubleClick:
            if (contains(e.x, e.y)) {
                notify(this, XUI_EVENT_DBLCLICK, nullptr);
            }
            break;
        case InputRightRelease:
            if (contains(e.x, e.y)) {
                notify(this, XUI_EVENT_RCLICK, nullptr);
            }
            break;
        default:
            break;
    }
}

void TextAttributes::load(const tinyxml2::XMLElement* e, const Window* w, bool buttonStates) {
    auto& r = xResourceManager::Instance();
    if (auto* t = r.findAs<Res::xText>(xml::Text(e, "text"))) {
        text = t->text;
    }
    font = r.findAs<Res::xFont>(xml::Text(e, "font"));
    if (!font && w) {
        font = w->font;
    }
    ownTextColor = r.readColor(e->Attribute("text-color"));
    textColor = ownTextColor ? ownTextColor.get() : (w ? w->textColor.get() : nullptr);
    if (buttonStates) {
        colorHover = r.readColor(e->Attribute("text-color-hover"));
        colorPress = r.readColor(e->Attribute("text-color-press"));
        colorDisable = r.readColor(e->Attribute("text-color-disable"));
    }
    autosize = xml::StrictBool(e, "autosize");
    autosizeMin = xml::Decimal(e, "autosize-min");
    for (const auto& flag : xml::SplitList(xml::Text(e, "text-spec"))) {
        center = center || flag == "center";
        right = right || flag == "right";
        vcenter = vcenter || flag == "vcenter";
        vertical = vertical || flag == "vertical";
        autowrap = autowrap || flag == "autowrap";
        autotrim = autotrim || flag == "autotrim";
    }
    if (center) {
        right = false;
    }
    edgeLeft = xml::Decimal(e, "text-edge-left");
    edgeRight = xml::Decimal(e, "text-edge-right");
    edgeTop = xml::Decimal(e, "text-edge-top");
    edgeBottom = xml::Decimal(e, "text-edge-bottom");
}

bool Label::load(const tinyxml2::XMLElement* e) {
    if (!Panel::load(e)) {
        return false;
    }
    attrs.load(e, OwnerWindow(this), false);
    return true;
}

void Label::setText(const std::u16string& t) {
    if (t.size() != attrs.text.size()) {
        attrs.remeasure = true;
    }
    attrs.text = t;
    invalidate();
}

bool Button::load(const tinyxml2::XMLElement* e) {
    if (!Control::load(e)) {
        return false;
    }
    attrs.load(e, OwnerWindow(this), true);
    return true;
}

void Button::setText(const std::u16string& t) {
    if (t.size() != attrs.text.size()) {
        attrs.remeasure = true;
    }
    attrs.text = t;
    invalidate();
}

bool Check::load(const tinyxml2::XMLElement* e) {
    if (!Control::load(e)) {
        return false;
    }
    auto& r = xResourceManager::Instance();
    imageChecked = r.readImage(e->Attribute("image-checked"));
    imageCheckedHover = r.readImage(e->Attribute("image-checked-hover"));
    imageCheckedDisable = r.readImage(e->Attribute("image-checked-disable"));
    colorChecked = r.readColor(e->Attribute("color-checked"));
    colorCheckedHover = r.readColor(e->Attribute("color-checked-hover"));
    colorCheckedDisable = r.readColor(e->Attribute("color-checked-disable"));
    return true;
}

bool Scroll::load(const tinyxml2::XMLElement* e) {
    if (!Control::load(e)) {
        return false;
    }
    auto& r = xResourceManager::Instance();
    horizontal = xml::Text(e, "scrolltype") == "horizontal";
    imageScroll = r.readImage(e->Attribute("image-scroll"));
    imageScrollHover = r.readImage(e->Attribute("image-scroll-hover"));
    imageScrollDisable = r.readImage(e->Attribute("image-scroll-disable"));
    imageTracker = r.readImage(e->Attribute("image-tracker"));
    imageTrackerHover = r.readImage(e->Attribute("image-tracker-hover"));
    imageTrackerDisable = r.readImage(e->Attribute("image-tracker-disable"));
    margin = xml::Decimal(e, "margin");
    minTracker = xml::Decimal(e, "mintracker");
    fixedTracker = xml::LooseBool(e, "fixedtracker");
    return true;
}

bool Slider::load(const tinyxml2::XMLElement* e) {
    if (!Scroll::load(e)) {
        return false;
    }
    fixedTracker = true;
    return true;
}

bool ScrollPanel::load(const tinyxml2::XMLElement* e) {
    if (!Scroll::load(e)) {
        return false;
    }
    horizontal = false;
    return true;
}

bool List::load(const tinyxml2::XMLElement* e) {
    if (!Scroll::load(e)) {
        return false;
    }
    auto& r = xResourceManager::Instance();
    colorOdd = r.readColor(e->Attribute("color-odd"));
    colorEven = r.readColor(e->Attribute("color-even"));
    const tinyxml2::XMLElement* item = e->FirstChildElement("item");
    const tinyxml2::XMLElement* templ = item ? item->FirstChildElement() : nullptr;
    if (!templ) {
        return false;  // a list without a row description is not a list
    }
    itemHeight = xml::Decimal(item, "height", 12);
    if (itemHeight == 0) {
        itemHeight = 12;  // a zero row height would divide by zero when placing rows
    }
    rowTemplate = std::make_unique<tinyxml2::XMLDocument>();
    rowTemplate->InsertEndChild(templ->DeepClone(rowTemplate.get()));
    return true;
}

bool Edit::load(const tinyxml2::XMLElement* e) {
    if (!Layer::load(e)) {
        return false;
    }
    auto& r = xResourceManager::Instance();
    if (auto* t = r.findAs<Res::xText>(xml::Text(e, "title"))) {
        initialText = t->text;
    }
    style = 0x44000100u;
    for (const auto& k : xml::SplitList(xml::Text(e, "style"))) {
        if (k == "autovscroll")
            style |= 0x40;
        else if (k == "autohscroll")
            style |= 0x80;
        else if (k == "multiline")
            style |= 0x4;
        else if (k == "wantreturn")
            style |= 0x1000;
        else if (k == "tabstop")
            style |= 0x10000;
        else if (k == "readonly")
            style |= 0x800;
        else if (k == "number")
            style |= 0x2000;
        else if (k == "password")
            style |= 0x20;
        else if (k == "border")
            exStyle |= 0x20000;
    }
    if (visible) {
        style |= 0x10000000u;
    }
    edgeColor = r.readColor(e->Attribute("edgecolor"));
    edge2Color = r.readColor(e->Attribute("edge2color"));
    font = r.findAs<Res::xFont>(xml::Text(e, "font"));
    if (!font && window) {
        font = window->font;
    }
    maxLength = xml::Decimal(e, "maxlength", 1024);
    return true;
}

bool Rawwin::load(const tinyxml2::XMLElement* e) {
    if (!Layer::load(e)) {
        return false;
    }
    if (auto c = xResourceManager::Instance().readColor(e->Attribute("color"))) {
        color = c->native();
    }
    title = xml::Text(e, "title");
    autoChildSize = xml::StrictBool(e, "autochildsize");
    style = 0x46000000u | (visible ? 0x10000000u : 0u);
    return true;
}

}  // namespace Vcl
