#pragma once
// Layer: the base of every control and of the window. The fields are what
// descriptions set, what layout reads and writes, and what the exports
// expose. Native widgets appear only as opaque pointers.
#include <tinyxml2.h>

#include <cstdint>
#include <memory>
#include <string>

#include "controls/kind.h"
#include "controls/owner.h"
#include "draw/image_cache.h"
#include "draw/rect.h"
#include "input/input_event.h"

class HoverListener;

namespace Res {
class xResourceManager;
class xFont;
class xImage;
}  // namespace Res

namespace Vcl {

class Layer;
class Painter;
struct TreeNode;

// What a control's load may read: the registry for resource attributes, the
// window for defaults and events, the parent for inherited attributes.
struct LoadScope {
    const Res::xResourceManager& resources;
    ControlOwner* owner = nullptr;
    Layer* parent = nullptr;
};

// A handle that does not keep its control alive and reads null once the
// control is destroyed or parked for deletion, so state held across host
// calls (hover, capture, focus) can never reach a freed control.
class ControlRef {
public:
    ControlRef() = default;
    Layer* get() const { return alive_.expired() ? nullptr : control_; }
    explicit operator bool() const { return get() != nullptr; }
    bool is(const Layer* control) const { return control && get() == control; }

private:
    friend class Layer;
    ControlRef(Layer* control, std::weak_ptr<const bool> alive)
        : control_(control), alive_(std::move(alive)) {}
    Layer* control_ = nullptr;
    std::weak_ptr<const bool> alive_;
};

class Layer {
public:
    Layer();
    virtual ~Layer();
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    virtual void setEnable(int enable);
    virtual void setVisible(int visible);
    virtual GtkWidget* nativeHandle() const;
    // Common attributes; derived kinds read their own after calling this.
    virtual bool load(const tinyxml2::XMLElement* element, const LoadScope& scope);
    virtual void paint(Painter& painter, const Rect& update) {
        (void)painter;
        (void)update;
    }
    virtual void onInput(const InputEvent& event) { (void)event; }
    virtual void placed() {}
    virtual void invalidate();
    // Passes an event to the window's host handler. When the control is
    // destroyed by the host during the call, it is freed right after the
    // handler returns and nothing else happens for the event.
    virtual void notify(Layer* control, int code, void* param);

    // What the host may ask of any control (the exports). Each kind
    // overrides what applies to it; the rest is ignored.
    virtual void setText(const std::u16string& text) { (void)text; }
    virtual std::u16string text() const { return {}; }
    virtual void setTextColor(uint32_t argb) { (void)argb; }
    // The background colour ("color"), made when the kind had none.
    virtual void setBackgroundColor(uint32_t argb) { (void)argb; }
    // A font resource owned by the registry (never null).
    virtual void setFont(Res::xFont* font) { (void)font; }
    virtual bool isChecked() const { return false; }
    // Without an event.
    virtual void setChecked(bool checked) { (void)checked; }
    // Image slots 1 to 8: "image", "image-hover", "image-press",
    // "image-disable", "image-scroll", "image-scroll-hover", "image-tracker",
    // "image-tracker-hover". Null when the kind has no such slot or it is
    // empty.
    virtual Res::xImage* imageSlot(int slot) {
        (void)slot;
        return nullptr;
    }
    // Replaces the normal image (slot 1); false when the kind has none.
    virtual bool setNormalImage(std::unique_ptr<Res::xImage> image) {
        (void)image;
        return false;
    }
    // Scroll family: the position as a fraction 0 to 1, and the host's move
    // to one (no event; ignored while dragging or unchanged unless forced).
    virtual double percent() const { return 0.0; }
    virtual void setPercent(double fraction, bool force) {
        (void)fraction;
        (void)force;
    }

    bool contains(int px, int py) const { return rect.contains(px, py); }
    // True when this control and every ancestor are visible.
    bool shown() const;
    // A weak handle; null from the start when the control is already parked.
    ControlRef ref() const { return ControlRef(const_cast<Layer*>(this), alive_); }
    // Makes every handle read null (the control is leaving the tree).
    void retire() { alive_.reset(); }

    std::string name;
    std::string element;
    std::string tag;
    Kind kind = Kind::Layer;
    bool visible = true;
    bool enabled = true;
    Rect rect;
    int declaredWidth = 0, declaredHeight = 0;
    int ml = 0, mr = 0, mt = 0, mb = 0;
    LayoutMode layout = LayoutMode::Horizontal;
    LayoutItem layoutItem = LayoutItem::Fixed;
    double expandScale = 0.0;
    Align align = Align::Expand;
    int itemIndex = -1;
    intptr_t userData = 0;
    std::u16string tipText;
    HoverListener* hoverListener = nullptr;
    bool mouseAware = false;
    ControlOwner* owner = nullptr;  // the window (a window is its own owner)
    Layer* parent = nullptr;
    TreeNode* node = nullptr;
    int scrollX = 0, scrollY = 0;
    int fixedWidthSum = 0, fixedHeightSum = 0;
    bool inCallback = false;
    // The rendering of the control's images at its size (see ImageCache);
    // invalidate() drops it.
    ImageCache cache;

private:
    std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
};

// "align" comma list: the first present in the order expand, center, left,
// right, top, bottom.
Align ParseAlign(const std::string& list);

// Deferred deletion: a control destroyed inside its own event is parked
// here (by ~TreeNode) and freed when that event returns.
void DeferDeletion(std::unique_ptr<Layer> control);
// Frees `control` when it is parked; true when it was.
bool TakeDeferred(Layer* control);
// True while `control` is parked for deletion.
bool IsDeferred(const Layer* control);
size_t DeferredCount();

}  // namespace Vcl
