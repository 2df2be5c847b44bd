#include "live_support.h"

#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <glib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/process.h"

namespace live {

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Starts argv[0] from PATH with `env` added to the environment and its
// output appended to `logPath`; -1 when it cannot be started.
pid_t Spawn(const std::vector<std::string>& argv,
            const std::vector<std::pair<std::string, std::string>>& env,
            const std::string& logPath) {
    gchar** envp = g_get_environ();
    for (const auto& [k, v] : env) {
        envp = g_environ_setenv(envp, k.c_str(), v.c_str(), TRUE);
    }
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    g_strfreev(envp);
    return pid;
}

void Stop(pid_t& pid) {
    if (pid <= 0) {
        return;
    }
    kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
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

GalleryProcess::GalleryProcess(const std::string& display, const std::vector<std::string>& args) {
    folder_ = zvtest::MakeTempFolder("zudoz-live-");
    statePath_ = folder_ + "/state.json";
    logPath_ = folder_ + "/gallery.log";
    std::vector<std::string> argv = {ZUDOZ_GALLERY};
    argv.insert(argv.end(), args.begin(), args.end());
    pid_ = Spawn(argv, {{"DISPLAY", display}, {"ZUDOZ_INSPECT", statePath_}}, logPath_);
}

GalleryProcess::~GalleryProcess() {
    Stop(pid_);
    zvtest::RemoveTree(folder_);
}

bool GalleryProcess::running() {
    if (pid_ <= 0) {
        return false;
    }
    if (waitpid(pid_, &status_, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
    }
    return true;
}

int GalleryProcess::waitExit(int timeoutMs) {
    if (!WaitFor([&] { return !running(); }, timeoutMs)) {
        return -1;
    }
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
}

std::vector<std::string> GalleryProcess::lines() const {
    std::vector<std::string> out;
    std::istringstream in(ReadFile(logPath_));
    for (std::string line; std::getline(in, line);) {
        out.push_back(line);
    }
    return out;
}

bool GalleryProcess::printed(const std::string& line) const {
    for (const auto& l : lines()) {
        if (l == line) {
            return true;
        }
    }
    return false;
}

bool GalleryProcess::waitPrinted(const std::string& line, int timeoutMs) const {
    return WaitFor([&] { return printed(line); }, timeoutMs);
}

std::vector<std::string> GalleryProcess::linesStarting(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& l : lines()) {
        if (l.rfind(prefix, 0) == 0) {
            out.push_back(l);
        }
    }
    return out;
}

Json::Value GalleryProcess::state() const {
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

Json::Value GalleryProcess::window() const {
    const Json::Value all = state();
    for (const auto& w : all["windows"]) {
        if (w["id"].asString() == "w.gallery") {
            return w;
        }
    }
    return Json::Value();
}

Json::Value GalleryProcess::control(const std::string& name) const {
    const Json::Value w = window();
    for (const auto& c : w["controls"]) {
        if (c["name"].asString() == name && c["row"].asInt() == -1) {
            return c;
        }
    }
    return Json::Value();
}

bool GalleryProcess::waitShown(int timeoutMs) const {
    // Shown and laid out, and in the same place for a while: a window
    // manager may still move a window it has just mapped.
    Json::Value last;
    int steady = 0;
    return WaitFor(
        [&] {
            Json::Value w = window();
            const bool shown = w["visible"].asBool() && w["screen"]["width"].asInt() > 0 &&
                               control("l.status")["client"]["height"].asInt() > 0;
            steady = shown && w["screen"] == last["screen"] ? steady + 1 : 0;
            last = w;
            return steady >= 10;
        },
        timeoutMs);
}

std::string GalleryProcess::log() const {
    return ReadFile(logPath_);
}

Point Centre(const Json::Value& record) {
    const Json::Value& r = record["screen"];
    return {r["x"].asInt() + r["width"].asInt() / 2, r["y"].asInt() + r["height"].asInt() / 2};
}

XInput::XInput(const std::string& display) {
    // The server may drop a connection made while another client leaves.
    for (int i = 0; i < 10 && !display_; ++i) {
        display_ = XOpenDisplay(display.c_str());
        if (!display_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
}

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

void XInput::key(unsigned long keysym) {
    const KeyCode code = XKeysymToKeycode(display_, keysym);
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    sync();
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    sync();
}

void XInput::type(const std::string& text) {
    for (char c : text) {
        key(static_cast<unsigned long>(static_cast<unsigned char>(c)));
    }
}

OwnDisplay::OwnDisplay() {
    folder_ = zvtest::MakeTempFolder("zudoz-display-");
    int number = -1;
    for (int n = 600 + getpid() % 200; n < 1000; ++n) {
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
    server_ = Spawn({"Xvfb", name, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}, {},
                    folder_ + "/xvfb.log");
    Display* d = nullptr;
    WaitFor([&] { return server_ > 0 && (d = XOpenDisplay(name.c_str())) != nullptr; }, 8000);
    if (!d) {
        problem_ = "Xvfb did not start: " + ReadFile(folder_ + "/xvfb.log");
        return;
    }
    manager_ = Spawn({"openbox", "--sm-disable"}, {{"DISPLAY", name}}, folder_ + "/openbox.log");
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
    zvtest::RemoveTree(folder_);
}

}  // namespace live
