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
    XUI_EVENT_RAW_CREATED = 9,  // rawwin: hosted area created; param GtkWidget*
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
    uint32_t message;   // XuiMessageCode
    uintptr_t wParam;   // keys: virtual-key code; wheel: signed steps * 120 in the high word
    intptr_t lParam;    // keys: hardware key code; pointer: x | (y << 16) in window coordinates
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
// Frees a resource the host owns; anything else is ignored.
ZUDOZ_API void XUI_RESOURCE_FREE(XuiResource* resource);

}  // extern "C"
