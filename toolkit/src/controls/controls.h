#pragma once
// The control family. Layer is the base of every control and of Window; the
// fields here are what descriptions set, what layout reads and writes, and
// what the exports expose. Native widgets appear only as opaque pointers.
#include <tinyxml2.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "res/resource.h"

class HoverListener;
class EditFocusListener;
typedef struct _GtkWidget GtkWidget;

namespace Vcl {

enum Kind {
    KindLayer = 1,
    KindRawwin = 2,
    KindEdit = 3,
    KindPanel = 4,
    KindControl = 5,
    KindLabel = 6,
    KindButton = 7,
    KindScroll = 8,
    KindSlider = 9,
    KindList = 10,
    KindCheck = 11,
    KindScrollPanel = 12,
    KindGraber = 13,
};

enum LayoutMode { LayoutHorizontal = 0, LayoutVertical = 1, LayoutGrid = 2 };
enum LayoutItem { ItemFixed = 0, ItemExpand = 1 };
enum Align {
    AlignExpand = 0,
    AlignLeft = 16,
    AlignTop = 17,
    AlignRight = 18,
    AlignBottom = 19,
    AlignCenter = 20,
};

// "align" comma list: the first present in the order expand, center, left,
// right, top, bottom.
int ParseAlign(const std::string& list);

class Window;
class Layer;

// One node per control: the control, its children in document order, the
// range of children that take part in layout and painting, and list-row
// colours.
struct TreeNode {
    ~TreeNode();
    std::unique_ptr<Layer> control;
    std::vector<std::unique_ptr<TreeNode>> children;
    TreeNode* parent = nullptr;
    int first = 0;
    int last = INT_MAX;
    std::unique_ptr<Res::xColor> rowColorOdd;
    std::unique_ptr<Res::xColor> rowColorEven;
    int parity = -1;  // 1 odd row, 0 even row, -1 no row colours
};

// Input record given to onInput (kinds of the pointer router).
enum InputKind {
    InputEnter = 2,
    InputLeave = 3,
    InputMove = 4,
    InputWheel = 5,
    InputPress = 6,
    InputRelease = 7,
    InputDoubleClick = 8,
    InputRightPress = 9,
    InputRightRelease = 10,
    InputRightDoubleClick = 11,
};

struct InputEvent {
    int kind = 0;
    int x = 0;
    int y = 0;
    int steps = 0;
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
    virtual bool load(const tinyxml2::XMLElement* element);
    virtual void paint(void* graphics) { (void)graphics; }
    virtual void onInput(const InputEvent& event) { (void)event; }
    virtual void placed() {}
    virtual void invalidate();
    // Passes an event to the window's host handler. When the control is
    // destroyed by the host during the call, it is freed right after the
    // handler returns and nothing else happens for the event.
    virtual void notify(Layer* control, int code, void* param);

    bool contains(int px, int py) const {
        return px >= x && py >= y && px < x + width && py < y + height;
    }

    std::string name;
    std::string element;
    std::string tag;
    int kind = KindLayer;
    bool visible = true;
    bool enabled = true;
    int x = 0, y = 0, width = 0, height = 0;
    int declaredWidth = 0, declaredHeight = 0;
    int ml = 0, mr = 0, mt = 0, mb = 0;
    int layout = LayoutHorizontal;
    int layoutItem = ItemFixed;
    double expandScale = 0.0;
    int align = AlignExpand;
    int itemIndex = -1;
    intptr_t userData = 0;
    std::u16string tipText;
    HoverListener* hoverListener = nullptr;
    bool mouseAware = false;
    Window* window = nullptr;
    Layer* parent = nullptr;
    TreeNode* node = nullptr;
    int scrollX = 0, scrollY = 0;
    int fixedWidthSum = 0, fixedHeightSum = 0;
    bool inCallback = false;
};

class Panel : public Layer {
public:
    bool load(const tinyxml2::XMLElement* element) override;
    virtual void setText(const std::u16string& text) { (void)text; }
    virtual std::u16string text() const { return {}; }
    virtual void setTextColor(const std::string& color) { (void)color; }
    virtual void setFont(const std::string& fontId) { (void)fontId; }

    std::unique_ptr<Res::xColor> color;
    std::unique_ptr<Res::xImage> image;
    std::u16string tip;
};

class Control : public Panel {
public:
    Control() { mouseAware = true; }
    bool load(const tinyxml2::XMLElement* element) override;
    void onInput(const InputEvent& event) override;
    void setEnable(int enable) override;

    bool speedClick = false;
    bool hovered = false;
    bool pressed = false;
    std::unique_ptr<Res::xImage> imageHover, imagePress, imageDisable;
    std::unique_ptr<Res::xColor> colorHover, colorPress, colorDisable;
};

// Text attributes shared by Label and Button.
struct TextAttributes {
    std::u16string text;
    Res::xFont* font = nullptr;              // registry-owned
    const Res::xColor* textColor = nullptr;  // own or the window's default
    std::unique_ptr<Res::xColor> ownTextColor;
    std::unique_ptr<Res::xColor> colorHover, colorPress, colorDisable;
    bool autosize = false;
    int autosizeMin = 0;
    bool center = false, right = false, vcenter = false, vertical = false;
    bool autowrap = false, autotrim = false;
    int edgeLeft = 0, edgeRight = 0, edgeTop = 0, edgeBottom = 0;
    bool remeasure = true;

    void load(const tinyxml2::XMLElement* element, const Window* window, bool buttonStates);
};

class Label : public Panel {
public:
    bool load(const tinyxml2::XMLElement* element) override;
    void setText(const std::u16string& text) override;
    std::u16string text() const override { return attrs.text; }
    TextAttributes attrs;
};

class Button : public Control {
public:
    bool load(const tinyxml2::XMLElement* element) override;
    void setText(const std::u16string& text) override;
    std::u16string text() const override { return attrs.text; }
    TextAttributes attrs;
};

class Check : public Control {
public:
    bool load(const tinyxml2::XMLElement* element) override;
    bool checked = false;
    std::unique_ptr<Res::xImage> imageChecked, imageCheckedHover, imageCheckedDisable;
    std::unique_ptr<Res::xColor> colorChecked, colorCheckedHover, colorCheckedDisable;
};

class Graber : public Control {
public:
    bool dragging = false;
};

class Scroll : public Control {
public:
    bool load(const tinyxml2::XMLElement* element) override;
    virtual void setPosition(double fraction) { position = fraction; }

    bool horizontal = false;
    std::unique_ptr<Res::xImage> imageScroll, imageScrollHover, imageScrollDisable;
    std::unique_ptr<Res::xImage> imageTracker, imageTrackerHover, imageTrackerDisable;
    int margin = 0;
    int minTracker = 0;
    bool fixedTracker = false;
    double position = 0.0;
    double visibleRatio = 1.0;
    bool dragging = false;
};

class Slider : public Scroll {
public:
    bool load(const tinyxml2::XMLElement* element) override;
};

class ScrollPanel : public Scroll {
public:
    bool load(const tinyxml2::XMLElement* element) override;
};

class List : public Scroll {
public:
    bool load(const tinyxml2::XMLElement* element) override;
    std::unique_ptr<Res::xColor> colorOdd, colorEven;
    int itemHeight = 12;
    // The row template (the first child element of "item"), kept as its own
    // document; rows are built from it.
    std::unique_ptr<tinyxml2::XMLDocument> rowTemplate;
};

class Edit : public Layer {
public:
    // A native entry that outlives its control would call back into freed
    // memory: it goes with the control.
    ~Edit() override;
    bool load(const tinyxml2::XMLElement* element) override;
    virtual void setText(const std::u16string& text);
    virtual std::u16string text() const;
    void setVisible(int visible) override;
    // Creates the native entry inside the window's client area.
    void createNative(GtkWidget* overlay);
    void nativeDestroyed() { entry = nullptr; }

    std::u16string initialText;
    uint32_t style = 0x44000100u;
    uint32_t exStyle = 0;
    std::unique_ptr<Res::xColor> edgeColor, edge2Color;
    Res::xFont* font = nullptr;
    int maxLength = 1024;
    bool focused = false;
    EditFocusListener* focusListener = nullptr;
    GtkWidget* entry = nullptr;  // owned by the native window's widget tree
};

class Rawwin : public Layer {
public:
    ~Rawwin() override;
    bool load(const tinyxml2::XMLElement* element) override;
    GtkWidget* nativeHandle() const override;
    void placed() override;
    void setVisible(int visible) override;
    void createNative(GtkWidget* overlay);
    void destroyNative();
    void nativeDestroyed() { area = nullptr; }

    uint32_t color = 0xFFFFFFu;  // native order 0x00BBGGRR
    std::string title;
    bool autoChildSize = false;
    uint32_t style = 0x46000000u;
    GtkWidget* area = nullptr;  // owned by the native window's widget tree
};

// Creates the control class of an element name; null for other names.
std::unique_ptr<Layer> CreateControl(const std::string& element);
// Kind number of an element name, 0 when it is not a control.
int KindOfElement(const std::string& element);

// Controls in `kind`-table order (for diagnostics and tests).
struct KindRow {
    unsigned char kind;
    char name[16];
};
extern const KindRow kKindTable[13];

}  // namespace Vcl
