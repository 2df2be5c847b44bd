#include "support/client_harness.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "support/process.h"

namespace clienttest {

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> out;
    std::istringstream in(ReadAll(path));
    for (std::string line; std::getline(in, line);) {
        out.push_back(line);
    }
    return out;
}

void WriteScript(const std::string& path, const std::string& body) {
    std::ofstream(path, std::ios::binary) << "#!/bin/sh\n" << body;
    chmod(path.c_str(), 0755);
}

// A hard link keeps the path the program is started by (the client looks
// for its package and its updater from there) without copying it; across
// file systems a copy does the same.
void Place(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (fs::is_directory(from)) {
        fs::create_directories(to);
        for (const auto& entry : fs::directory_iterator(from)) {
            Place(entry.path(), to / entry.path().filename());
        }
        return;
    }
    fs::create_hard_link(from, to, ec);
    if (ec) {
        fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    }
}

// What the window manager tells about the toplevel windows of a display,
// through a connection of its own.
class WindowManagerView {
public:
    explicit WindowManagerView(const std::string& display)
        : display_(display.empty() ? nullptr : XOpenDisplay(display.c_str())) {}
    ~WindowManagerView() {
        if (display_) {
            XCloseDisplay(display_);
        }
    }
    WindowManagerView(const WindowManagerView&) = delete;
    WindowManagerView& operator=(const WindowManagerView&) = delete;
    bool ok() const { return display_ != nullptr; }

    // The windows it manages (_NET_CLIENT_LIST).
    std::vector<Window> Managed() {
        std::vector<Window> out;
        for (const unsigned long w : RootProperty("_NET_CLIENT_LIST")) {
            out.push_back(static_cast<Window>(w));
        }
        return out;
    }
    // The window that has the keyboard (_NET_ACTIVE_WINDOW); 0 for none.
    Window Active() {
        const std::vector<unsigned long> v = RootProperty("_NET_ACTIVE_WINDOW");
        return v.empty() ? 0 : static_cast<Window>(v[0]);
    }
    std::string Title(Window w) {
        const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
        const std::string name = Property(w, "_NET_WM_NAME", utf8);
        return name;
    }
    long Pid(Window w) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        long pid = -1;
        if (XGetWindowProperty(display_, w, XInternAtom(display_, "_NET_WM_PID", False), 0, 1,
                               False, XA_CARDINAL, &type, &format, &count, &after,
                               &data) == Success &&
            data && count == 1 && format == 32) {
            pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
        }
        if (data) {
            XFree(data);
        }
        return pid;
    }
    // The managed window titled `title`; 0 when there is none.
    Window Titled(const std::string& title) {
        for (const Window w : Managed()) {
            if (Title(w) == title) {
                return w;
            }
        }
        return 0;
    }

private:
    std::vector<unsigned long> RootProperty(const char* name) {
        std::vector<unsigned long> out;
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XSync(display_, False);
        if (XGetWindowProperty(display_, DefaultRootWindow(display_),
                               XInternAtom(display_, name, False), 0, 4096, False, AnyPropertyType,
                               &type, &format, &count, &after, &data) == Success &&
            data && format == 32) {
            const auto* values = reinterpret_cast<unsigned long*>(data);
            out.assign(values, values + count);
        }
        if (data) {
            XFree(data);
        }
        return out;
    }
    std::string Property(Window w, const char* name, Atom kind) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::string out;
        // A window that is gone gives BadWindow: ignored, it has no title.
        XErrorHandler old = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        if (XGetWindowProperty(display_, w, XInternAtom(display_, name, False), 0, 4096, False,
                               kind, &type, &format, &count, &after, &data) == Success &&
            data && format == 8) {
            out.assign(reinterpret_cast<char*>(data), count);
        }
        XSync(display_, False);
        XSetErrorHandler(old);
        if (data) {
            XFree(data);
        }
        return out;
    }

    Display* display_;
};

// The DISPLAY a running program was started with; empty when unknown.
std::string DisplayOf(pid_t pid) {
    const std::string environ = ReadAll("/proc/" + std::to_string(pid) + "/environ");
    std::istringstream in(environ);
    for (std::string entry; std::getline(in, entry, '\0');) {
        if (entry.rfind("DISPLAY=", 0) == 0) {
            return entry.substr(8);
        }
    }
    return {};
}

std::string DecodeXmlText(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t end = text[i] == '&' ? text.find(';', i) : std::string::npos;
        if (end == std::string::npos) {
            out += text[i];
            continue;
        }
        const std::string entity = text.substr(i + 1, end - i - 1);
        if (entity == "amp") {
            out += '&';
        } else if (entity == "lt") {
            out += '<';
        } else if (entity == "gt") {
            out += '>';
        } else if (entity == "quot") {
            out += '"';
        } else if (entity == "apos") {
            out += '\'';
        } else if (entity.size() > 1 && entity[0] == '#') {
            const unsigned long code = entity[1] == 'x' ? std::stoul(entity.substr(2), nullptr, 16)
                                                        : std::stoul(entity.substr(1));
            if (code >= 0x80) {
                throw std::runtime_error("only ASCII character references are decoded: " + entity);
            }
            out += static_cast<char>(code);
        } else {
            throw std::runtime_error("unknown entity &" + entity + ";");
        }
        i = end;
    }
    return out;
}

}  // namespace

ClientInstall::ClientInstall(bool withPackage) {
    root_ = zvtest::MakeTempFolder("zv-client-");
    // ZV_CLIENT_DIST runs another build of the client (the sanitized one).
    const char* other = std::getenv("ZV_CLIENT_DIST");
    const fs::path dist = fs::path(other && *other ? other : ZV_DIST_DIR) / "bin";
    fs::create_directories(root_ + "/bin");
    for (const char* name : {"Zelvio", "libZudoz.so", "libzvbrowser.so", "webext"}) {
        if (!fs::exists(dist / name)) {
            throw std::runtime_error("not built: " + (dist / name).string());
        }
        Place(dist / name, fs::path(root_) / "bin" / name);
    }
    if (withPackage) {
        if (!fs::exists(dist / "Zelvio.dat")) {
            throw std::runtime_error("the package is not built: " + (dist / "Zelvio.dat").string());
        }
        Place(dist / "Zelvio.dat", fs::path(root_) / "bin" / "Zelvio.dat");
    }
    fs::create_directories(root_ + "/ZvUpdator");
    WriteScript(root_ + "/ZvUpdator/zvupdate",
                "echo \"args=$# $*\" >> '" + root_ + "/updater.log'\n");
}

ClientInstall::~ClientInstall() {
    if (!std::getenv("ZV_KEEP_TEST_FILES")) {
        zvtest::RemoveTree(root_);
    }
}

std::vector<std::string> ClientInstall::updaterStarts() const {
    return Lines(root_ + "/updater.log");
}

bool ClientInstall::waitUpdaterStarts(size_t count, int timeoutMs) const {
    return zvtest::WaitFor([&] { return updaterStarts().size() >= count; }, timeoutMs);
}

ClientHome::ClientHome() {
    root = zvtest::MakeTempFolder("zv-home-");
    work = root + "/work";
    config = root + "/config";
    data = root + "/data";
    for (const auto& d : {work, config, data}) {
        fs::create_directories(d);
    }
    opener = root + "/opener";
    openerLog = root + "/opened.log";
    WriteScript(opener, "printf '%s\\n' \"$1\" >> '" + openerLog + "'\n");
}

ClientHome::~ClientHome() {
    if (!std::getenv("ZV_KEEP_TEST_FILES")) {
        zvtest::RemoveTree(root);
    }
}

std::vector<std::string> ClientHome::opened() const {
    return Lines(openerLog);
}

std::string ClientHome::session() const {
    return ReadAll(work + "/.session");
}

bool ClientHome::hasSession() const {
    return fs::exists(work + "/.session");
}

void ClientHome::writeSession(const std::string& bytes) const {
    std::ofstream(work + "/.session", std::ios::binary) << bytes;
}

std::unique_ptr<zvtest::InspectedProgram> StartClient(const ClientInstall& install,
                                                      const ClientHome& home,
                                                      const ClientRun& run) {
    zvtest::ProgramOptions o;
    o.argv = {install.executable()};
    o.workingFolder = run.workingFolder.empty() ? home.work : run.workingFolder;
    o.env = {{"DISPLAY", run.display},
             {"XDG_CONFIG_HOME", home.config},
             {"XDG_DATA_HOME", home.data},
             {"XDG_CACHE_HOME", home.root + "/cache"},
             {"ZELVIO_OPENER", home.opener}};
    if (run.trace) {
        o.env.emplace_back("ZELVIO_TRACE", "1");
    }
    if (run.platform) {
        o.env.emplace_back("ZELVIO_API_HOST", run.platform->ApiHost());
        o.env.emplace_back("ZELVIO_ROUTE_HOST", run.platform->RouteHost());
        o.env.emplace_back("ZELVIO_ACCOUNT_HOST", run.platform->AccountHost());
    }
    if (!run.apiHost.empty()) {
        o.env.emplace_back("ZELVIO_API_HOST", run.apiHost);
    }
    return std::make_unique<zvtest::InspectedProgram>(o);
}

namespace {

size_t CodePoints(const std::string& utf8) {
    size_t n = 0;
    for (const unsigned char c : utf8) {
        n += (c & 0xC0) != 0x80;
    }
    return n;
}

}  // namespace

bool TypeInto(zvtest::InspectedProgram& client, zvtest::XInput& input, const std::string& window,
              const std::string& field, const std::string& text) {
    const auto at = zvtest::Centre(client.control(window, field));
    input.click(at.x, at.y);
    input.key(XK_End);
    for (size_t n = CodePoints(client.control(window, field)["text"].asString()); n > 0; --n) {
        input.key(XK_BackSpace);
    }
    input.type(text);
    // A password edit shows one bullet a character.
    return zvtest::WaitFor([&] {
        return CodePoints(client.control(window, field)["text"].asString()) == CodePoints(text);
    });
}

std::string SignIn(zvtest::InspectedProgram& client, zvtest::XInput& input, const std::string& user,
                   const std::string& password, int timeoutMs) {
    if (!TypeInto(client, input, "w.login", "r.name", user) ||
        !TypeInto(client, input, "w.login", "r.pass", password)) {
        return "the login fields did not take the typed text:\n" + client.log();
    }
    const auto login = zvtest::Centre(client.control("w.login", "b.login"));
    input.click(login.x, login.y);
    if (!client.waitShown("w.main", timeoutMs)) {
        return "the main window did not come up:\n" + client.log();
    }
    return {};
}

bool AnswerMessageBox(zvtest::InspectedProgram& client, zvtest::XInput& input,
                      unsigned long keysym) {
    const Json::Value boxes = client.messageBoxes();
    if (boxes.empty()) {
        return !client.running();
    }
    const std::string caption = boxes[0]["caption"].asString();
    WindowManagerView wm(DisplayOf(client.pid()));
    // The key goes to the box once the window manager has given it the
    // keyboard: a key pressed before that lands on the window below, and one
    // pressed again after a slow answer on whatever comes next.
    Window box = 0;
    const auto boxHasKeyboard = [&] {
        box = wm.Titled(caption);
        return box != 0 && wm.Active() == box;
    };
    const auto closedNow = [&] { return !client.running() || client.messageBoxes().empty(); };
    bool closed = false;
    // A key the box missed (the window manager gave it the keyboard a moment
    // after it reported it active) is pressed again, but only while that very
    // box is still open and holds the keyboard.
    for (int attempt = 0; attempt < 5 && !closed; ++attempt) {
        if (wm.ok() && !zvtest::WaitFor([&] { return closedNow() || boxHasKeyboard(); }, 15000) &&
            attempt > 0) {
            break;
        }
        if (closedNow()) {
            closed = true;
            break;
        }
        input.key(keysym);
        closed = zvtest::WaitFor(closedNow, attempt == 0 ? 4000 : 8000);
    }
    // Its frame goes with it only when the window manager lets the box go;
    // a click before that lands on the frame.
    if (closed && wm.ok() && box != 0) {
        zvtest::WaitFor(
            [&] {
                const std::vector<Window> managed = wm.Managed();
                return std::find(managed.begin(), managed.end(), box) == managed.end();
            },
            15000);
    }
    input.moveTo(0, 0);
    return closed;
}

void ChooseVideoFile(zvtest::InspectedProgram& client, zvtest::XInput& input,
                     const std::string& path) {
    WindowManagerView wm(DisplayOf(client.pid()));
    if (!wm.ok()) {
        throw std::runtime_error("no window manager view of the client's display");
    }
    const std::vector<Window> before = wm.Managed();
    const auto at = zvtest::Centre(client.control("w.main", "btn.push.vod"));
    input.click(at.x, at.y);
    // The dialog has no inspection record: it is the client's window that
    // the window manager did not manage before the click.
    Window dialog = 0;
    const auto dialogManaged = [&] {
        for (const Window w : wm.Managed()) {
            if (std::find(before.begin(), before.end(), w) == before.end() &&
                wm.Pid(w) == client.pid()) {
                dialog = w;
                return true;
            }
        }
        return false;
    };
    if (!zvtest::WaitFor(dialogManaged, 30000)) {
        std::string seen;
        for (const Window w : wm.Managed()) {
            seen += " '" + wm.Title(w) + "' (pid " + std::to_string(wm.Pid(w)) + ")";
        }
        throw std::runtime_error("the video file dialog did not come up; managed:" + seen + "\n" +
                                 client.log());
    }
    // Keys go to it once it holds the keyboard.
    zvtest::WaitFor([&] { return wm.Active() == dialog; }, 15000);
    // Control+L opens the dialog's location field with its text selected;
    // keys that came before the dialog took the keyboard are typed again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        input.key(XK_l, XK_Control_L);
        input.type(path);
        input.key(XK_Return);
        if (zvtest::WaitFor(
                [&] {
                    const std::vector<Window> managed = wm.Managed();
                    return std::find(managed.begin(), managed.end(), dialog) == managed.end();
                },
                5000)) {
            return;
        }
    }
    throw std::runtime_error("the video file dialog did not take the path " + path);
}

std::string PackageText(const std::string& id) {
    const std::string xml = ReadAll(ZV_SOURCE_DIR "/resources/package/resource.xml");
    const std::regex entry("<res id=\"" + std::regex_replace(id, std::regex("\\."), "\\.") +
                           "\" type=\"string\">([^<]*)</res>");
    std::smatch m;
    if (!std::regex_search(xml, m, entry)) {
        throw std::runtime_error("no text resource " + id + " in the package");
    }
    return DecodeXmlText(m[1]);
}

std::string ScreenshotPath(const std::string& name) {
    const std::string folder = ZV_BUILD_DIR "/test-screens";
    fs::create_directories(folder);
    return folder + "/" + name + ".png";
}

}  // namespace clienttest
