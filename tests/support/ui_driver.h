#pragma once
// Driving a program drawn by the toolkit as a person would: the program runs
// as a child with its own inspection file (ZUDOZ_INSPECT, the state of every
// window, message box and popup menu as JSON, rewritten whenever it changes),
// real input goes through XTest at the places that file gives, and an X
// server with a window manager can be had per test.
//
//   zvtest::OwnDisplay display;                  // Xvfb + openbox of the test's own
//   zvtest::InspectedProgram p({.argv = {exe}, .env = {{"DISPLAY", display.name()}}});
//   p.waitShown("w.login");
//   zvtest::XInput input(display.name());
//   auto at = zvtest::Centre(p.control("w.login", "b.login"));
//   input.click(at.x, at.y);
//   p.waitMessageBox();                          // the box's caption, text, flags
//   input.key(XK_Return);
//   p.waitExit(10000);                           // its exit code
#include <json/json.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

typedef struct _XDisplay Display;

namespace zvtest {

// Polls `ready` every 20 ms for at most `timeoutMs`; true once it held.
bool WaitFor(const std::function<bool()>& ready, int timeoutMs = 5000);

struct ProgramOptions {
    std::vector<std::string> argv;  // argv[0]: a path, or a name searched in PATH
    // Added to (or replacing in) the test's own environment.
    std::vector<std::pair<std::string, std::string>> env;
    std::string workingFolder;  // empty: the test's own
};

// A program run as a child with its own inspection file; stdout and stderr
// are captured to files of their own. Killed (SIGTERM, then SIGKILL) and
// reaped by PID on destruction.
class InspectedProgram {
public:
    explicit InspectedProgram(const ProgramOptions& options);
    ~InspectedProgram();
    InspectedProgram(const InspectedProgram&) = delete;
    InspectedProgram& operator=(const InspectedProgram&) = delete;

    bool started() const { return started_; }
    pid_t pid() const { return pid_; }
    bool running();
    // Waits for the exit: its status code (0..255, 128 + signal when killed),
    // or -1 when it did not end in time.
    int waitExit(int timeoutMs);
    // SIGTERM, then SIGKILL after a grace period; reaped either way.
    void stop();

    std::string output() const;              // stdout so far
    std::string errors() const;              // stderr so far
    std::vector<std::string> lines() const;  // stdout, line by line
    std::vector<std::string> errorLines() const;
    bool printed(const std::string& line) const;  // a whole stdout line
    bool waitPrinted(const std::string& line, int timeoutMs = 5000) const;
    std::vector<std::string> linesStarting(const std::string& prefix) const;
    // Both streams, for failure messages.
    std::string log() const;

    // The last inspection record; null before the first one.
    Json::Value state() const;
    // The record of a window by its description id; null when absent.
    Json::Value window(const std::string& id) const;
    // A named control of a window outside list rows (row -1); null when absent.
    Json::Value control(const std::string& windowId, const std::string& name) const;
    // The open message boxes (an array, empty when none).
    Json::Value messageBoxes() const;
    Json::Value menus() const;
    // Waits until a message box is open and returns the first one; null on
    // time-out.
    Json::Value waitMessageBox(int timeoutMs = 8000) const;
    // Waits until the window is visible, laid out (a control has a height)
    // and has kept its place for a while (a window manager may still move a
    // window it has just mapped).
    bool waitShown(const std::string& windowId, int timeoutMs = 10000) const;

    const std::string& folder() const { return folder_; }

private:
    pid_t pid_ = -1;
    int status_ = 0;
    bool started_ = false;
    std::string folder_, statePath_, outPath_, errPath_;
};

// The centre of a record's "screen" rectangle.
struct Point {
    int x = 0, y = 0;
};
Point Centre(const Json::Value& record);

// Real input on an X display through a connection of its own.
class XInput {
public:
    explicit XInput(const std::string& display);
    ~XInput();
    XInput(const XInput&) = delete;
    XInput& operator=(const XInput&) = delete;
    bool ok() const { return display_ != nullptr; }

    void moveTo(int x, int y);
    // A single click. One on the spot of the previous click is held back
    // until the desktop's double-click time has passed since that one: two
    // quick clicks on one place are a double click, not two clicks, for the
    // program under test.
    void click(int x, int y, unsigned button = 1);
    void press(unsigned button = 1);
    void release(unsigned button = 1);
    // A press here, a move in steps to (x2, y2), a release there.
    void drag(int x1, int y1, int x2, int y2);
    // One key; with `modifier` (a keysym such as XK_Control_L) held around it.
    void key(unsigned long keysym, unsigned long modifier = 0);
    // Printable ASCII, '\n' and '\t'; Shift is held for the characters that
    // need it on the server's keyboard map.
    void type(const std::string& text);

private:
    void sync();
    Display* display_ = nullptr;
    struct LastClick {
        std::chrono::steady_clock::time_point at;
        int x = 0, y = 0;
        unsigned button = 0;
    } last_;
};

// Clicks `at` until `taken()` holds, waiting up to `perClickMs` after each
// click; false when it never did. A click can be lost while a window is
// still taking the pointer (one that has just mapped, or one under a box that
// has just closed); each retry is told on stderr so the logs show how often.
bool ClickUntil(XInput& input, Point at, const std::function<bool()>& taken, int attempts = 3,
                int perClickMs = 5000);
// The same, asking `where` before every click: a window the window manager
// places after it has mapped may have moved since the first one.
bool ClickUntil(XInput& input, const std::function<Point()>& where,
                const std::function<bool()>& taken, int attempts = 3, int perClickMs = 5000);

// An Xvfb of its own with openbox on it. The server picks its number
// (-displayfd); the name is empty when the server or the window manager
// could not be started (problem() tells why).
class OwnDisplay {
public:
    explicit OwnDisplay(bool windowManager = true);
    ~OwnDisplay();
    OwnDisplay(const OwnDisplay&) = delete;
    OwnDisplay& operator=(const OwnDisplay&) = delete;
    const std::string& name() const { return name_; }
    const std::string& problem() const { return problem_; }

private:
    pid_t server_ = -1, manager_ = -1;
    std::string name_, problem_, folder_;
};

// The whole screen of `display` as a PNG; false when it could not be taken.
bool Screenshot(const std::string& display, const std::string& pngPath);

// A 32-bit window id held in a property of the root window; 0 when absent.
unsigned long RootWindowProperty(const std::string& display, const std::string& name);
// Sets (or, with 0, deletes) such a property.
bool SetRootWindowProperty(const std::string& display, const std::string& name,
                           unsigned long window);

// A plain X window of the test's own (not mapped) that lives as long as the
// object: something for root properties to name.
class PlainWindow {
public:
    explicit PlainWindow(const std::string& display);
    ~PlainWindow();
    PlainWindow(const PlainWindow&) = delete;
    PlainWindow& operator=(const PlainWindow&) = delete;
    unsigned long id() const { return window_; }

private:
    Display* display_ = nullptr;
    unsigned long window_ = 0;
};

}  // namespace zvtest
