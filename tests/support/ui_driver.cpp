#include "support/ui_driver.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "support/process.h"

extern char** environ;

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

std::string FindInPath(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        return name;
    }
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/local/bin:/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

// Starts argv with `env` over the test's environment, stdin from /dev/null
// and the two streams to the given files; -1 when it cannot be started.
pid_t Spawn(const std::vector<std::string>& argv,
            const std::vector<std::pair<std::string, std::string>>& env, const std::string& folder,
            const std::string& outPath, const std::string& errPath) {
    if (argv.empty()) {
        return -1;
    }
    const std::string program = FindInPath(argv[0]);
    if (program.empty()) {
        return -1;
    }
    // Everything the child needs is made before the fork: after it only
    // async-signal-safe calls are allowed.
    std::map<std::string, std::string> merged;
    for (char** e = environ; e && *e; ++e) {
        const char* eq = std::strchr(*e, '=');
        if (eq) {
            merged[std::string(*e, static_cast<size_t>(eq - *e))] = eq + 1;
        }
    }
    for (const auto& [k, v] : env) {
        merged[k] = v;
    }
    std::vector<std::string> envStrings;
    for (const auto& [k, v] : merged) {
        envStrings.push_back(k + "=" + v);
    }
    std::vector<char*> envp, args;
    for (auto& s : envStrings) {
        envp.push_back(s.data());
    }
    envp.push_back(nullptr);
    std::vector<std::string> argStrings = argv;
    for (auto& s : argStrings) {
        args.push_back(s.data());
    }
    args.push_back(nullptr);
    const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // A crashed test leaves no program behind.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) {
            _exit(127);
        }
        if (!folder.empty() && chdir(folder.c_str()) != 0) {
            _exit(126);
        }
        dup2(in, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        close_range(3, ~0U, 0);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        signal(SIGPIPE, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        execve(program.c_str(), args.data(), envp.data());
        _exit(127);
    }
    for (int fd : {in, out, err}) {
        if (fd >= 0) {
            close(fd);
        }
    }
    return pid;
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
    pid_ = Spawn(options.argv, env, options.workingFolder, outPath_, errPath_);
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
    moveTo(x, y);
    press(button);
    release(button);
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
    folder_ = MakeTempFolder("zv-display-");
    int first = 600 + getpid() % 200, last = 999;
    if (const char* range = std::getenv("ZVTEST_DISPLAYS")) {
        if (std::sscanf(range, "%d-%d", &first, &last) != 2) {
            problem_ = std::string("ZVTEST_DISPLAYS is not \"first-last\": ") + range;
            return;
        }
    }
    int number = -1;
    for (int n = first; n <= last; ++n) {
        const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
        if (access(lock.c_str(), F_OK) != 0 && access(socket.c_str(), F_OK) != 0) {
            number = n;
            break;
        }
    }
    if (number < 0) {
        problem_ = "no free display number";
        return;
    }
    const std::string name = ":" + std::to_string(number);
    server_ = Spawn({"Xvfb", name, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}, {}, {},
                    folder_ + "/xvfb.log", folder_ + "/xvfb.log");
    Display* d = nullptr;
    WaitFor([&] { return server_ > 0 && (d = XOpenDisplay(name.c_str())) != nullptr; }, 8000);
    if (!d) {
        problem_ = "Xvfb did not start: " + ReadFile(folder_ + "/xvfb.log");
        return;
    }
    if (!windowManager) {
        XCloseDisplay(d);
        name_ = name;
        return;
    }
    manager_ = Spawn({"openbox", "--sm-disable"}, {{"DISPLAY", name}}, {}, folder_ + "/openbox.log",
                     folder_ + "/openbox.log");
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
                            8000);
    XCloseDisplay(d);
    if (!managed) {
        problem_ = "openbox did not start: " + ReadFile(folder_ + "/openbox.log");
        return;
    }
    name_ = name;
}

OwnDisplay::~OwnDisplay() {
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
