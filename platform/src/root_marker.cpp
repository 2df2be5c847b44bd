#include "platform/root_marker.h"

#include <atomic>
#include <memory>

#include "platform/x_display.h"

// clang-format off
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xlibint.h>  // the connection's resource id range; last, for its macros
// clang-format on

namespace zv {

namespace {

// A connection of our own when the caller has none: markers are read before
// GTK opens its display, and a private connection never disturbs GDK's queue.
class DisplayRef {
public:
    explicit DisplayRef(Display* given) : display_(given) {
        if (display_ == nullptr) {
            display_ = OpenXDisplay();
            owned_ = display_ != nullptr;
        }
    }
    ~DisplayRef() {
        if (owned_) {
            XCloseDisplay(display_);
        }
    }
    DisplayRef(const DisplayRef&) = delete;
    DisplayRef& operator=(const DisplayRef&) = delete;
    Display* get() const { return display_; }

private:
    Display* display_ = nullptr;
    bool owned_ = false;
};

std::atomic<bool> gBadWindow{false};

int RecordError(Display*, XErrorEvent* event) {
    if (event->error_code == BadWindow || event->error_code == BadDrawable) {
        gBadWindow = true;
    }
    return 0;
}

// True when `window` exists. X errors are asynchronous, so the request is
// synced under a temporary handler that records instead of exiting.
bool WindowExists(Display* display, Window window) {
    XSync(display, False);
    gBadWindow = false;
    XErrorHandler previous = XSetErrorHandler(RecordError);
    XWindowAttributes attributes;
    Status status = XGetWindowAttributes(display, window, &attributes);
    XSync(display, False);
    XSetErrorHandler(previous);
    return status != 0 && !gBadWindow;
}

// True when `id` lies in the range of ids the server gave this connection.
// A killed owner leaves its marker behind, and the server hands the same
// range to the next connection, whose own windows then reuse the old ids: a
// window of the asking connection is never another instance's.
bool OwnedByConnection(Display* display, Window id) {
    return (id & ~display->resource_mask) == display->resource_base;
}

}  // namespace

bool SetRootMarker(const std::string& name, XWindowId window, Display* display) {
    DisplayRef ref(display);
    if (ref.get() == nullptr) {
        return false;
    }
    Atom atom = XInternAtom(ref.get(), name.c_str(), False);
    unsigned long value = window;
    XChangeProperty(ref.get(), DefaultRootWindow(ref.get()), atom, XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&value), 1);
    XSync(ref.get(), False);
    return true;
}

std::optional<XWindowId> FindLiveRootMarker(const std::string& name, Display* display) {
    DisplayRef ref(display);
    if (ref.get() == nullptr) {
        return std::nullopt;
    }
    Atom atom = XInternAtom(ref.get(), name.c_str(), True);
    if (atom == None) {
        return std::nullopt;
    }
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    int rc = XGetWindowProperty(ref.get(), DefaultRootWindow(ref.get()), atom, 0, 1, False,
                                XA_WINDOW, &type, &format, &count, &remaining, &data);
    std::unique_ptr<unsigned char, int (*)(void*)> owned(data, XFree);
    if (rc != Success || type != XA_WINDOW || format != 32 || count != 1 || data == nullptr) {
        return std::nullopt;
    }
    // Format-32 properties come back as an array of long.
    Window window = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
    if (window == None || OwnedByConnection(ref.get(), window) ||
        !WindowExists(ref.get(), window)) {
        return std::nullopt;
    }
    return window;
}

void ClearRootMarker(const std::string& name, Display* display) {
    DisplayRef ref(display);
    if (ref.get() == nullptr) {
        return;
    }
    Atom atom = XInternAtom(ref.get(), name.c_str(), True);
    if (atom != None) {
        XDeleteProperty(ref.get(), DefaultRootWindow(ref.get()), atom);
        XSync(ref.get(), False);
    }
}

}  // namespace zv
