#include "support/ui_driver.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/process.h"

namespace zvtest {

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        out.push_back(line);
    }
    return out;
}

// SIGTERM, up to 2 s to leave, then SIGKILL; reaped either way.
void Stop(pid_t& pid, int* status = nullptr) {
    if (pid <= 0) {
        return;
    }
    int s = 0;
    kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, &s, WNOHANG) == pid) {
            pid = -1;
            if (status) {
                *status = s;
            }
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &s, 0);
    if (status) {
        *status = s;
    }
    pid = -1;
}

Display* OpenDisplay(const std::string& name) {
    // The server may drop a connection made while another client leaves.
    for (int i = 0; i < 10; ++i) {
        if (Display* d = XOpenDisplay(name.c_str())) {
            return d;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return nullptr;
}

}  // namespace

bool WaitFor(const std::function<bool()>& ready, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!ready()) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

InspectedProgram::InspectedProgram(const ProgramOptions& options) {
    folder_ = MakeTempFolder("zv-ui-");
    statePath_ = folder_ + "/state.json";
    outPath_ = folder_ + "/stdout.log";
    errPath_ = folder_ + "/stderr.log";
    auto env = options.env;
    env.emplace_back("ZUDOZ_INSPECT", statePath_);
    pid_ = StartProcess(options.argv, env, options.workingFolder, outPath_, errPath_);
    started_ = pid_ > 0;
}

InspectedProgram::~InspectedProgram() {
    Stop(pid_);
    if (!std::getenv("ZV_KEEP_TEST_FILES")) {
        RemoveTree(folder_);
    }
}

bool InspectedProgram::running() {
    if (pid_ <= 0) {
        return false;
    }
    if (waitpid(pid_, &status_, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
    }
    return true;
}

int InspectedProgram::waitExit(int timeoutMs) {
    if (!started_ || !WaitFor([&] { return !running(); }, timeoutMs)) {
        return -1;
    }
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
}

void InspectedProgram::stop() {
    Stop(pid_, &status_);
}

std::string InspectedProgram::output() const {
    return ReadFile(outPath_);
}

std::string InspectedProgram::errors() const {
    return ReadFile(errPath_);
}

std::vector<std::string> InspectedProgram::lines() const {
    return SplitLines(output());
}

std::vector<std::string> InspectedProgram::errorLines() const {
    return SplitLines(errors());
}

bool InspectedProgram::printed(const std::string& line) const {
    for (const auto& l : lines()) {
        if (l == line) {
            return true;
        }
    }
    return false;
}

bool InspectedProgram::waitPrinted(const std::string& line, int timeoutMs) const {
    return WaitFor([&] { return printed(line); }, timeoutMs);
}

std::vector<std::string> InspectedProgram::linesStarting(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& l : lines()) {
        if (l.rfind(prefix, 0) == 0) {
            out.push_back(l);
        }
    }
    return out;
}

std::string InspectedProgram::log() const {
    return "--- stdout\n" + FileTail(outPath_, 4000) + "--- stderr\n" + FileTail(errPath_, 6000);
}

Json::Value InspectedProgram::state() const {
    Json::Value v;
    Json::CharReaderBuilder b;
    std::string errors;
    std::istringstream in(ReadFile(statePath_));
    // A record is replaced whole, so a parse failure means there is none yet.
    if (!Json::parseFromStream(b, in, &v, &errors)) {
        return Json::Value();
    }
    return v;
}

Json::Value InspectedProgram::window(const std::string& id) const {
    const Json::Value all = state();
    for (const auto& w : all["windows"]) {
        if (w["id"].asString() == id) {
            return w;
        }
    }
    return Json::Value();
}

Json::Value InspectedProgram::control(const std::string& windowId, const std::string& name) const {
    const Json::Value w = window(windowId);
    for (const auto& c : w["controls"]) {
        if (c["name"].asString() == name && c["row"].asInt() == -1) {
            return c;
        }
    }
    return Json::Value();
}

Json::Value InspectedProgram::messageBoxes() const {
    const Json::Value boxes = state()["messageBoxes"];
    return boxes.isArray() ? boxes : Json::Value(Json::arrayValue);
}

Json::Value InspectedProgram::menus() const {
    const Json::Value menus = state()["menus"];
    return menus.isArray() ? menus : Json::Value(Json::arrayValue);
}

Json::Value InspectedProgram::waitMessageBox(int timeoutMs) const {
    Json::Value box;
    WaitFor(
        [&] {
            const Json::Value boxes = messageBoxes();
            if (boxes.empty()) {
                return false;
            }
            box = boxes[0];
            return true;
        },
        timeoutMs);
    return box;
}

bool InspectedProgram::waitShown(const std::string& windowId, int timeoutMs) const {
    Json::Value last;
    int steady = 0;
    return WaitFor(
        [&] {
            const Json::Value w = window(windowId);
            bool laidOut = false;
            for (const auto& c : w["controls"]) {
                laidOut = laidOut || c["client"]["height"].asInt() > 0;
            }
            const bool shown = w["visible"].asBool() && w["screen"]["width"].asInt() > 0 && laidOut;
            steady = shown && w["screen"] == last["screen"] ? steady + 1 : 0;
            last = w;
            return steady >= 10;
        },
        timeoutMs);
}

Point Centre(const Json::Value& record) {
    const Json::Value& r = record["screen"];
    return {r["x"].asInt() + r["width"].asInt() / 2, r["y"].asInt() + r["height"].asInt() / 2};
}

XInput::XInput(const std::string& display) : display_(OpenDisplay(display)) {}

XInput::~XInput() {
    if (display_) {
        XCloseDisplay(display_);
    }
}

void XInput::sync() {
    XSync(display_, False);
    // Let the toolkit's loop see one event before the next arrives.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
}

void XInput::moveTo(int x, int y) {
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    sync();
}

void XInput::press(unsigned button) {
    XTestFakeButtonEvent(display_, button, True, CurrentTime);
    sync();
}

void XInput::release(unsigned button) {
    XTestFakeButtonEvent(display_, button, False, CurrentTime);
    sync();
}

void XInput::click(int x, int y, unsigned button) {
    // GTK's double click: within 400 ms and 5 pixels of the previous press;
    // both are taken with room to spare. The time is counted from when the
    // server had processed the previous click (each event is synced), so a
    // server that was slow to take that one cannot shorten the gap.
    constexpr auto kDoubleClickTime = std::chrono::milliseconds(600);
    constexpr int kDoubleClickDistance = 8;
    if (button == last_.button && std::abs(x - last_.x) <= kDoubleClickDistance &&
        std::abs(y - last_.y) <= kDoubleClickDistance) {
        std::this_thread::sleep_until(last_.at + kDoubleClickTime);
    }
    moveTo(x, y);
    press(button);
    release(button);
    last_ = {std::chrono::steady_clock::now(), x, y, button};
}

bool ClickUntil(XInput& input, Point at, const std::function<bool()>& taken, int attempts,
                int perClickMs) {
    return ClickUntil(
        input, [at] { return at; }, taken, attempts, perClickMs);
}

bool ClickUntil(XInput& input, const std::function<Point()>& where,
                const std::function<bool()>& taken, int attempts, int perClickMs) {
    Point last{};
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const Point at = where();
        if (attempt > 0) {
            std::fprintf(stderr,
                         "[ui_driver] the click at (%d, %d) was not taken; clicked again at "
                         "(%d, %d)\n",
                         last.x, last.y, at.x, at.y);
        }
        input.click(at.x, at.y);
        last = at;
        if (WaitFor(taken, perClickMs)) {
            return true;
        }
    }
    return false;
}

void XInput::drag(int x1, int y1, int x2, int y2) {
    moveTo(x1, y1);
    press();
    constexpr int kSteps = 8;
    for (int i = 1; i <= kSteps; ++i) {
        moveTo(x1 + (x2 - x1) * i / kSteps, y1 + (y2 - y1) * i / kSteps);
    }
    release();
}

void XInput::key(unsigned long keysym, unsigned long modifier) {
    const KeyCode mod = modifier ? XKeysymToKeycode(display_, modifier) : 0;
    const KeyCode code = XKeysymToKeycode(display_, keysym);
    if (mod) {
        XTestFakeKeyEvent(display_, mod, True, CurrentTime);
        sync();
    }
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    sync();
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    sync();
    if (mod) {
        XTestFakeKeyEvent(display_, mod, False, CurrentTime);
        sync();
    }
}

void XInput::type(const std::string& text) {
    for (const char c : text) {
        // Printable ASCII keysyms are the characters' own codes.
        unsigned long keysym = static_cast<unsigned char>(c);
        if (c == '\n') {
            keysym = XK_Return;
        } else if (c == '\t') {
            keysym = XK_Tab;
        }
        const KeyCode code = XKeysymToKeycode(display_, keysym);
        const bool shifted = code != 0 && XkbKeycodeToKeysym(display_, code, 0, 0) != keysym &&
                             XkbKeycodeToKeysym(display_, code, 0, 1) == keysym;
        key(keysym, shifted ? XK_Shift_L : 0);
    }
}

OwnDisplay::OwnDisplay(bool windowManager) {
    // A display brought by the test's caller with its own window manager
    // (the XWayland of tests/wayland/rig.sh): used as it is.
    if (const char* given = std::getenv("ZV_TEST_DISPLAY"); given && *given) {
        name_ = given;
        return;
    }
    folder_ = MakeTempFolder("zv-display-");
    // The server picks a free number itself and writes it, once it accepts
    // clients, to the descriptor given (here its standard output): no race
    // with other jobs starting X servers beside the tests.
    const std::string numberFile = folder_ + "/display";
    server_ = StartProcess(
        {"Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}, {}, {},
        numberFile, folder_ + "/xvfb.log");
    std::string number;
    WaitFor(
        [&] {
            const std::string text = ReadFile(numberFile);
            if (text.find('\n') == std::string::npos)
                return false;
            number = text.substr(0, text.find('\n'));
            return true;
        },
        20000);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) {
        problem_ = "Xvfb did not start: " + ReadFile(folder_ + "/xvfb.log");
        return;
    }
    const std::string name = ":" + number;
    Display* d = nullptr;
    WaitFor([&] { return server_ > 0 && (d = XOpenDisplay(name.c_str())) != nullptr; }, 20000);
    if (!d) {
        problem_ = "Xvfb did not start: " + ReadFile(folder_ + "/xvfb.log");
        return;
    }
    if (!windowManager) {
        XCloseDisplay(d);
        name_ = name;
        return;
    }
    manager_ = StartProcess({"openbox", "--sm-disable"}, {{"DISPLAY", name}}, {},
                            folder_ + "/openbox.log", folder_ + "/openbox.log");
    // A window manager that runs announces itself on the root window.
    const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
    const bool managed =
        manager_ > 0 && WaitFor(
                            [&] {
                                Atom type = None;
                                int format = 0;
                                unsigned long n = 0, after = 0;
                                unsigned char* data = nullptr;
                                XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False,
                                                   XA_WINDOW, &type, &format, &n, &after, &data);
                                if (data) {
                                    XFree(data);
                                }
                                return n == 1;
                            },
                            20000);
    XCloseDisplay(d);
    if (!managed) {
        problem_ = "openbox did not start: " + ReadFile(folder_ + "/openbox.log");
        return;
    }
    name_ = name;
}

OwnDisplay::~OwnDisplay() {
    if (folder_.empty())
        return;  // the caller's display: nothing of ours to end
    Stop(manager_);
    Stop(server_);
    RemoveTree(folder_);
}

bool Screenshot(const std::string& display, const std::string& pngPath) {
    const CommandResult r =
        RunXCommand({"import", "-display", display, "-window", "root", pngPath}, 30);
    return r.exitCode == 0 && access(pngPath.c_str(), R_OK) == 0;
}

unsigned long RootWindowProperty(const std::string& display, const std::string& name) {
    Display* d = OpenDisplay(display);
    if (!d) {
        return 0;
    }
    unsigned long value = 0;
    const Atom atom = XInternAtom(d, name.c_str(), True);
    if (atom != None) {
        Atom type = None;
        int format = 0;
        unsigned long n = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, DefaultRootWindow(d), atom, 0, 1, False, AnyPropertyType, &type,
                               &format, &n, &after, &data) == Success &&
            data && format == 32 && n == 1) {
            value = *reinterpret_cast<unsigned long*>(data);
        }
        if (data) {
            XFree(data);
        }
    }
    XCloseDisplay(d);
    return value;
}

bool SetRootWindowProperty(const std::string& display, const std::string& name,
                           unsigned long window) {
    Display* d = OpenDisplay(display);
    if (!d) {
        return false;
    }
    const Atom atom = XInternAtom(d, name.c_str(), False);
    if (window == 0) {
        XDeleteProperty(d, DefaultRootWindow(d), atom);
    } else {
        XChangeProperty(d, DefaultRootWindow(d), atom, XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&window), 1);
    }
    XSync(d, False);
    XCloseDisplay(d);
    return true;
}

PlainWindow::PlainWindow(const std::string& display) : display_(OpenDisplay(display)) {
    if (display_) {
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 10, 10, 0, 0, 0);
        XSync(display_, False);
    }
}

PlainWindow::~PlainWindow() {
    if (display_) {
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }
}

}  // namespace zvtest
