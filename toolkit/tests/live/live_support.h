#pragma once
// The live tests' tools: the gallery program run as a child with its
// inspection file and its event lines, real input through XTest at the
// coordinates the inspection file gives, and an X server with a window
// manager of a test's own.
#include <X11/Xlib.h>
#include <json/json.h>
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace live {

// Polls `ready` every 20 ms for at most `timeoutMs`; true once it held.
bool WaitFor(const std::function<bool()>& ready, int timeoutMs = 5000);

// The gallery host as a child process on `display`, with ZUDOZ_INSPECT set
// to a file of its own; killed and reaped on destruction.
class GalleryProcess {
public:
    GalleryProcess(const std::string& display, const std::vector<std::string>& args);
    ~GalleryProcess();
    GalleryProcess(const GalleryProcess&) = delete;
    GalleryProcess& operator=(const GalleryProcess&) = delete;

    bool running();
    // Waits for the exit; its code, or -1 when it did not end in time.
    int waitExit(int timeoutMs);

    // The lines it printed so far (events, menu choices, exit).
    std::vector<std::string> lines() const;
    bool printed(const std::string& line) const;
    bool waitPrinted(const std::string& line, int timeoutMs = 5000) const;
    // Lines that begin with `prefix`.
    std::vector<std::string> linesStarting(const std::string& prefix) const;

    // The last inspection record (null before the first one).
    Json::Value state() const;
    // The window record of the gallery window, null when it is not there.
    Json::Value window() const;
    // A named control of the gallery window (row -1), null when absent.
    Json::Value control(const std::string& name) const;
    // Waits until the gallery window is viewable and laid out.
    bool waitShown(int timeoutMs = 8000) const;

    std::string log() const;

private:
    pid_t pid_ = -1;
    int status_ = 0;
    std::string folder_, statePath_, logPath_;
};

// The centre of a record's "screen" rectangle.
struct Point {
    int x = 0, y = 0;
};
Point Centre(const Json::Value& record);

// Real input on an X display of its own connection.
class XInput {
public:
    explicit XInput(const std::string& display);
    ~XInput();
    XInput(const XInput&) = delete;
    XInput& operator=(const XInput&) = delete;
    bool ok() const { return display_ != nullptr; }

    void moveTo(int x, int y);
    void click(int x, int y, unsigned button = 1);
    void press(unsigned button = 1);
    void release(unsigned button = 1);
    // A press here, a move in steps to (x2, y2), a release there.
    void drag(int x1, int y1, int x2, int y2);
    void key(unsigned long keysym);
    // Letters and digits, one key each.
    void type(const std::string& text);

private:
    void sync();
    Display* display_ = nullptr;
};

// An Xvfb of its own on a free display number with openbox on it; the
// display name is empty when either could not be started.
class OwnDisplay {
public:
    OwnDisplay();
    ~OwnDisplay();
    OwnDisplay(const OwnDisplay&) = delete;
    OwnDisplay& operator=(const OwnDisplay&) = delete;
    const std::string& name() const { return name_; }
    const std::string& problem() const { return problem_; }

private:
    pid_t server_ = -1, manager_ = -1;
    std::string name_, problem_, folder_;
};

}  // namespace live
