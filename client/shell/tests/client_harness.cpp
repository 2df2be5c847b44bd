#include "client_harness.h"

#include <X11/keysym.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

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

}  // namespace

ClientInstall::ClientInstall(bool withPackage) {
    root_ = zvtest::MakeTempFolder("zv-client-");
    // ZV_CLIENT_DIST runs another build of the client (the sanitized one).
    const char* other = std::getenv("ZV_CLIENT_DIST");
    const fs::path dist = fs::path(other && *other ? other : ZV_DIST_DIR) / "bin";
    fs::create_directories(root_ + "/bin");
    for (const char* name : {"Zelvio", "libZudoz.so", "webext"}) {
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
    bool closed = false;
    for (int attempt = 0; attempt < 5 && !closed; ++attempt) {
        input.key(keysym);
        closed = zvtest::WaitFor([&] { return !client.running() || client.messageBoxes().empty(); },
                                 1500);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    input.moveTo(0, 0);
    return closed;
}

void ChooseVideoFile(zvtest::InspectedProgram& client, zvtest::XInput& input,
                     const std::string& path) {
    const auto at = zvtest::Centre(client.control("w.main", "btn.push.vod"));
    input.click(at.x, at.y);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    input.type(path);
    input.key(XK_Return);
}

std::string PackageText(const std::string& id) {
    const std::string xml = ReadAll(ZV_SOURCE_DIR "/resources/package/resource.xml");
    const std::regex entry("<res id=\"" + std::regex_replace(id, std::regex("\\."), "\\.") +
                           "\" type=\"string\">([^<]*)</res>");
    std::smatch m;
    if (!std::regex_search(xml, m, entry)) {
        throw std::runtime_error("no text resource " + id + " in the package");
    }
    return m[1];
}

std::string ScreenshotPath(const std::string& name) {
    const std::string folder = ZV_BUILD_DIR "/test-screens";
    fs::create_directories(folder);
    return folder + "/" + name + ".png";
}

}  // namespace clienttest
