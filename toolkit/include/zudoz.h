#pragma once
// Zudoz: the XML-driven toolkit that builds, lays out, paints and runs every
// window of the client from one resource package.
//
// This header is the whole interface: flat functions with undecorated names
// and opaque handles. Every function accepts null handles and then does
// nothing, returning 0, -1, null or an empty text. All functions must be called
// on the thread that runs XUI_LOAD. Windows, controls and resources belong to
// the toolkit and stay valid until XUI_LOAD returns; a menu from
// XUI_MENU_QUERY belongs to the host and is freed with XUI_RESOURCE_FREE.
// Handler and listener objects stay owned by the host.
//
// Texts: names and ids are UTF-8; texts shown on screen are UTF-16
// (char16_t). Returned wide texts live in a per-function buffer that the next
// call of the same function overwrites.
#include <stdint.h>

#if defined(ZUDOZ_BUILDING)
#define ZUDOZ_API __attribute__((visibility("default")))
#else
#define ZUDOZ_API
#endif

// Native handles, opaque here: the toplevel GtkWindow of a toolkit window or
// the widget of a hosted area (raw window), and a Pango font description.
typedef struct _GtkWidget GtkWidget;
typedef struct _PangoFontDescription PangoFontDescription;

// Opaque toolkit handles. A window is also a control: events sent by a window
// carry the window itself as their control (compare with
// reinterpret_cast<XuiControl*>(window)).
struct XuiWindow;
struct XuiControl;
struct XuiResource;
typedef XuiResource XuiMenu;

// Event codes passed to WinHandler::onEvent.
enum XuiEventCode {
    XUI_EVENT_CREATED = 1,      // window: native window and its children exist; param GtkWidget*
    XUI_EVENT_TIMER = 2,        // window: a timer fired; param points at the timer id
    XUI_EVENT_CLOSE = 3,        // window: close asked; param int*, 1 on entry, set 0 to refuse
    XUI_EVENT_CLICK = 4,        // control: left click; param 0
    XUI_EVENT_RCLICK = 5,       // control: right button released inside; param 0
    XUI_EVENT_KEYDOWN = 6,      // edit: key pressed; param XuiKeyRecord*
    XUI_EVENT_KEYUP = 7,        // edit: key released; param XuiKeyRecord*
    XUI_EVENT_VALUE = 8,        // scroll, slider, list: position changed; param float*
    XUI_EVENT_RAW_CREATED = 9,  // rawwin: hosted area created; param GtkWidget* (its GDK
                                // window becomes an X window when its X id is asked for)
    XUI_EVENT_RESIZED = 10,   // window: resized and laid out (param the window); rawwin: moved (0)
    XUI_EVENT_DBLCLICK = 11,  // control: left double click inside; param 0
    XUI_EVENT_SHOW = 12,      // window: shown or hidden by a show call; param int*, 1 shown
    XUI_EVENT_MOVED = 13,     // window: moved; param the window
};

// Record of XUI_EVENT_KEYDOWN / XUI_EVENT_KEYUP: set pass to 0 to swallow
// the key before the edit sees it.
struct XuiKeyRecord {
    uint32_t virtualKey;
    uint32_t pass;
};

// Messages given to AppHandler::preTranslate and afterMessage, one per GDK
// event of the run loop. Key events use the codes below with wParam = the
// Windows virtual-key code mapped from the GDK key value; other events carry
// their own code (pointer events the Windows mouse message numbers, anything
// else 0) and always the GDK event itself.
enum XuiMessageCode {
    XUI_MSG_NONE = 0,
    XUI_MSG_KEYDOWN = 0x100,
    XUI_MSG_KEYUP = 0x101,
    XUI_MSG_MOUSEMOVE = 0x200,
    XUI_MSG_LBUTTONDOWN = 0x201,
    XUI_MSG_LBUTTONUP = 0x202,
    XUI_MSG_LBUTTONDBLCLK = 0x203,
    XUI_MSG_RBUTTONDOWN = 0x204,
    XUI_MSG_RBUTTONUP = 0x205,
    XUI_MSG_RBUTTONDBLCLK = 0x206,
    XUI_MSG_MOUSEWHEEL = 0x20A,
};

struct XuiMsg {
    uint32_t message;  // XuiMessageCode
    uintptr_t wParam;  // keys: virtual-key code; wheel: signed units (120 a notch) in the high word
    intptr_t lParam;   // keys: hardware key code; pointer: x | (y << 16) in window coordinates
    void* nativeEvent;  // the GdkEvent* being delivered
    GtkWidget* widget;  // the toplevel widget the event belongs to, or null
};

// The host application, as the toolkit calls it (virtual slots in this order).
class AppHandler {
public:
    // 1 after the windows are built and before the main window is created;
    // 0 after the run loop has ended.
    virtual void onRun(int starting) = 0;
    // Key messages before they are handled: nonzero consumes the message.
    virtual int preTranslate(XuiMsg* msg) = 0;
    // Every message after it was handled (consumed or not).
    virtual void afterMessage(XuiMsg* msg) = 0;

protected:
    ~AppHandler() = default;
};

// The host's handler of one window: every event of the window and of its
// controls arrives here (re-entrantly, on the run loop's thread).
class WinHandler {
public:
    virtual int onEvent(XuiControl* control, int code, void* param) = 0;  // result ignored

protected:
    ~WinHandler() = default;
};

// Told when the pointer enters or leaves a control (name = the control's id).
class HoverListener {
public:
    virtual void entered(const char* name, int itemIndex) = 0;
    virtual void left(const char* name, int itemIndex) = 0;

protected:
    ~HoverListener() = default;
};

// Told when an edit gains or loses the keyboard focus.
class EditFocusListener {
public:
    virtual void focusGained(const char* name) = 0;
    virtual void focusLost(const char* name) = 0;

protected:
    ~EditFocusListener() = default;
};

// Receives files dropped on a window, as UTF-8 paths in drop order.
class DragDropHandler {
public:
    virtual void dropped(const char* const* paths, int count) = 0;

protected:
    ~DragDropHandler() = default;
};

extern "C" {

// Loads the package at `packagePath` (UTF-16 file path) and its ".cust"
// overlay, builds every window, calls app->onRun(1), creates the package's
// first window and runs the loop until that window's native window is gone
// (or gtk_main_quit() is called on the loop's thread, the quit message).
// Returns 0 after a run, -1 when loading failed. `app` may be null.
ZUDOZ_API int XUI_LOAD(AppHandler* app, const char16_t* packagePath, const char* language);

// Binds `handler` to the loaded window named `name`; null when none.
ZUDOZ_API XuiWindow* XUI_WIN_REGISTER(const char* name, WinHandler* handler);
// A new window built from the description of the window named `name`.
ZUDOZ_API XuiWindow* XUI_WIN_REGISTER_NEWINSTANCE(const char* name, WinHandler* handler);
// Creates the native window (owned by `parent`'s native window when given);
// 1 on success or when it exists already, 0 otherwise.
ZUDOZ_API int XUI_WIN_CREATE(XuiWindow* window, XuiWindow* parent);
// Runs the window as a modal dialog over `parent`; 1 when ended by OK, else 0.
ZUDOZ_API int XUI_WIN_MODAL(XuiWindow* window, XuiWindow* parent);
// Sends the command `code` to the window: 1 (OK) and 2 (Cancel) end a dialog.
ZUDOZ_API void XUI_WIN_ENDMODAL(XuiWindow* window, int code);
// Destroys the native window; the window object stays and can be created again.
ZUDOZ_API void XUI_WIN_DESTROY(XuiWindow* window);
// The native window or null while there is none: the GtkWindow of a
// top-level window or dialog; for a child window (style without "overlapped"
// or "popup"), the windowed widget inside its owner's client area.
ZUDOZ_API GtkWidget* XUI_WIN_RAW(XuiWindow* window);
// Timers of the window's native window (there is no native timer to set on
// the handle here): XUI_EVENT_TIMER with a pointer to `id` arrives every
// `milliseconds` until the timer is killed or the native window goes; setting
// an existing id restarts it. 1 when set, 0 without a native window.
ZUDOZ_API int XUI_WIN_SETTIMER(XuiWindow* window, unsigned id, unsigned milliseconds);
ZUDOZ_API void XUI_WIN_KILLTIMER(XuiWindow* window, unsigned id);
// The control named `name` in the window (the later of two with one name).
ZUDOZ_API XuiControl* XUI_VCL_QUERY(XuiWindow* window, const char* name);
// Copies the control's id, element keyword and tag into the buffers (each cut
// to its size and always terminated; a null buffer or size 0 is skipped) and
// stores its row id (-1 outside list rows). 1, or 0 for a null control.
ZUDOZ_API int XUI_COMMON_GET(XuiControl* control, char* name, int nameSize, char* kind,
                             int kindSize, char* tag, int tagSize, int* rowId);

// Visibility and enabling. XUI_VISIBLE_SET on a window shows or hides its
// native window; on a control it lays the parent out again and repaints.
ZUDOZ_API void XUI_VISIBLE_SET(XuiControl* control, int visible);
ZUDOZ_API int XUI_VISIBLE_GET(XuiControl* control);
// A disabled control takes no input and shows its disabled look.
ZUDOZ_API void XUI_ENABLE_SET(XuiControl* control, int enable);
ZUDOZ_API int XUI_ENABLE_GET(XuiControl* control);
// The checked state of a check control (no event is sent).
ZUDOZ_API void XUI_CHECK_SET(XuiControl* control, int checked);
ZUDOZ_API int XUI_CHECK_GET(XuiControl* control);
// The text of a label, button or edit; other kinds ignore it.
ZUDOZ_API void XUI_TEXT_SET(XuiControl* control, const char16_t* text);
ZUDOZ_API const char16_t* XUI_TEXT_GET(XuiControl* control);
// The host's own word stored with a control (0 for null).
ZUDOZ_API void XUI_DATA_SET(XuiControl* control, int value);
ZUDOZ_API int XUI_DATA_GET(XuiControl* control);

// Images by slot: 1 "image", 2 "image-hover", 3 "image-press",
// 4 "image-disable", 5 "image-scroll", 6 "image-scroll-hover",
// 7 "image-tracker", 8 "image-tracker-hover". XUI_IMAGE_SET selects a frame
// of the image in the slot; XUI_IMAGE_GET reads it back (slots 1 to 4; -1 for
// other slots, an empty slot or null).
ZUDOZ_API void XUI_IMAGE_SET(XuiControl* control, int frameIndex, int slot);
ZUDOZ_API int XUI_IMAGE_GET(XuiControl* control, int slot);
// A picture file (UTF-8 path) as the normal image, stretched. 1 once the new
// image exists (an undecodable file draws nothing), 0 when none could be made
// and the old image stays.
ZUDOZ_API int XUI_IMAGE_SET_WITHPATH(XuiControl* control, const char* path);
// A copy of the image resource `id` at frame `index` as the normal image;
// an undefined id does nothing.
ZUDOZ_API void XUI_IMAGE_SET_WITHID(XuiControl* control, const char* id, int index);
// which 0: the text colour; which 1: the background colour. `color` is
// written as in the package: "#p1p2p3" or "#p1p2p3,AA" (red p3, blue p1).
ZUDOZ_API void XUI_COLOR_SET(XuiControl* control, int which, const char* color);
// The font resource `id` for the control's text (undefined ids ignored).
ZUDOZ_API void XUI_FONT_SET(XuiControl* control, const char* id);

// Geometry. XUI_SIZE_GET gives the rectangle in the window's client area, or
// with x and y on the screen when toScreen is nonzero (any output pointer may
// be null). XUI_SIZE_SET changes only width and height (x and y are ignored).
ZUDOZ_API void XUI_SIZE_GET(XuiControl* control, int* x, int* y, int* width, int* height,
                            int toScreen);
ZUDOZ_API void XUI_SIZE_SET(XuiControl* control, int x, int y, int width, int height);
// Nonzero: the control takes the free space ("expand"); zero: back to its
// declared size, "fixed".
ZUDOZ_API void XUI_EXPAND_SET(XuiControl* control, int expand);
// 0 horizontal, 1 vertical, 2 grid (low byte used).
ZUDOZ_API void XUI_LAYOUT_SET(XuiControl* control, int layout);
// Scroll bars, sliders, scroll panels and lists: the position as a fraction
// 0 to 1. Unless force is nonzero, an unchanged fraction or a tracker the
// user is dragging is left alone. No event is sent.
ZUDOZ_API void XUI_PERCENT_SET(XuiControl* control, float fraction, int force);
ZUDOZ_API float XUI_PERCENT_GET(XuiControl* control);
// Many changes in a row: the window is not redrawn between the two calls;
// the end lays the whole tree out and repaints it once.
ZUDOZ_API void XUI_FLUSH_PREPARE(XuiWindow* window);
ZUDOZ_API void XUI_FLUSH_END(XuiWindow* window);

// Tooltip shown while the pointer is over the control (null clears it; at
// most 255 characters are kept).
ZUDOZ_API void XUI_SET_TIPS(XuiControl* control, const char16_t* text);
// Listeners stay owned by the host; null removes them.
ZUDOZ_API void XUI_SET_EXTRA(XuiControl* control, HoverListener* listener);
ZUDOZ_API void XUI_SET_EDITFOCUS(XuiControl* edit, EditFocusListener* listener);
ZUDOZ_API void XUI_SET_DRAGDROP(XuiWindow* window, DragDropHandler* handler);

// List rows, built from the list's row template. Item ids start at 1 and are
// never reused within a list. XUI_ITEM_APPEND returns the new id (-1 for
// null); XUI_ITEM_DATA the row's data (0 when the id is absent, -1 for null).
typedef bool (*XuiItemLess)(int a, int b);
ZUDOZ_API int XUI_ITEM_APPEND(XuiControl* list, int data);
ZUDOZ_API void XUI_ITEM_REMOVE(XuiControl* list, int itemId);
ZUDOZ_API void XUI_ITEM_RESET(XuiControl* list);
// Orders the rows by their data; `less` must be a strict ordering.
ZUDOZ_API void XUI_ITEM_SORT(XuiControl* list, XuiItemLess less);
ZUDOZ_API int XUI_ITEM_COUNT(XuiControl* list);
ZUDOZ_API int XUI_ITEM_DATA(XuiControl* list, int itemId);
// The control named `name` inside the row, or null.
ZUDOZ_API XuiControl* XUI_ITEM_QUERY(XuiControl* list, int itemId, const char* name);
// Scrolls so that the row comes into view.
ZUDOZ_API void XUI_ITEM_MOVETO(XuiControl* list, int itemId);
// The row's own height (lists whose item height is negative).
ZUDOZ_API void XUI_UPDATE_ITEM_SIZE(XuiControl* list, int itemId, int height);

// Resources by id. Undefined ids give the empty text, 0 or null.
ZUDOZ_API const char16_t* XUI_STRING_GET(const char* id);
ZUDOZ_API int XUI_COLOR_GET(const char* id);                   // 0x00BBGGRR
ZUDOZ_API PangoFontDescription* XUI_FONT_GET(const char* id);  // owned by the toolkit
ZUDOZ_API const unsigned char* XUI_DATAFILE_GET(const char* id);
ZUDOZ_API int XUI_DATAFILE_GET_LENTH(const char* id);
// The language given to XUI_LOAD (at most 127 bytes).
ZUDOZ_API const char* XUI_GET_LANGUAGE(void);
// A copy of the menu resource `id`, owned by the host.
ZUDOZ_API XuiMenu* XUI_MENU_QUERY(const char* id);
// Menu items by their "id" (undefined ids do nothing).
ZUDOZ_API void XUI_MENU_CHECKITEM(XuiMenu* menu, const char* itemId, int checked);
ZUDOZ_API void XUI_MENU_ENABLEITEM(XuiMenu* menu, const char* itemId, int enable);
// Removes the item; always 0.
ZUDOZ_API int XUI_MENU_REMOVEITEM(XuiMenu* menu, const char* itemId);
ZUDOZ_API const char16_t* XUI_MENU_GETITEMTEXT(XuiMenu* menu, const char* itemId);
// Tidies a menu after removals: empty submenus and surplus separators go.
ZUDOZ_API void XUI_MENU_FIX(XuiMenu* menu);
// Shows the menu at the screen point over the window and waits until it
// closes; the chosen item's "id", or the empty string when nothing was
// chosen (Escape, a click elsewhere) or the item has no id. alignLeft
// nonzero puts the menu's left edge at x, zero its right edge.
ZUDOZ_API const char* XUI_MENU_POPUP(XuiMenu* menu, XuiWindow* window, int x, int y, int alignLeft);
// Frees a resource the host owns; anything else is ignored.
ZUDOZ_API void XUI_RESOURCE_FREE(XuiResource* resource);

}  // extern "C"
