#include "support/process.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

#ifndef ZV_SUPPORT_SOURCE_DIR
#define ZV_SUPPORT_SOURCE_DIR "."
#endif

namespace zvtest {
namespace {

using Clock = std::chrono::steady_clock;

// Resolves a program name through PATH in the parent, so the forked child
// only has to call async-signal-safe functions before exec.
std::string ResolveProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        return name;
    }
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    throw std::runtime_error("program not found in PATH: " + name);
}

struct Argv {
    explicit Argv(const std::vector<std::string>& args) : strings(args) {
        for (auto& s : strings) {
            pointers.push_back(s.data());
        }
        pointers.push_back(nullptr);
    }
    std::vector<std::string> strings;
    std::vector<char*> pointers;
};

int DecodeStatus(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return -1;
}

// In the child between fork and exec: only async-signal-safe calls. `envp`
// null keeps the test's environment; `folder` null its working folder.
[[noreturn]] void ExecChild(const std::string& program, char* const* argv, char* const* envp,
                            const char* folder, int in, int out, int err, pid_t parent) {
    // The server must not outlive the test that started it, even if the test
    // crashes before its destructors run.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) {
        _exit(127);
    }
    if (folder && chdir(folder) != 0) {
        _exit(126);
    }
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    // Descriptors the test process holds (sockets, pipes of other children)
    // must not live on in a server that outlives them.
    close_range(3, ~0U, 0);
    // Leave the test's signal mask and dispositions behind.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    if (envp) {
        execve(program.c_str(), argv, envp);
    } else {
        execv(program.c_str(), argv);
    }
    _exit(127);
}

}  // namespace

CommandResult RunCommand(const std::vector<std::string>& argv, double timeoutSeconds) {
    CommandResult result;
    if (argv.empty()) {
        result.output = "RunCommand: empty command";
        return result;
    }
    std::string program;
    try {
        program = ResolveProgram(argv[0]);
    } catch (const std::exception& e) {
        result.output = e.what();
        return result;
    }
    Argv args(argv);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        result.output = std::string("pipe: ") + std::strerror(errno);
        return result;
    }
    int devnull = open("/dev/null", O_RDONLY | O_CLOEXEC);
    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid == 0) {
        ExecChild(program, args.pointers.data(), nullptr, nullptr, devnull, fds[1], fds[1], parent);
    }
    close(fds[1]);
    if (devnull >= 0) {
        close(devnull);
    }
    if (pid < 0) {
        close(fds[0]);
        result.output = std::string("fork: ") + std::strerror(errno);
        return result;
    }
    auto deadline = Clock::now() + std::chrono::duration<double>(timeoutSeconds);
    char buffer[4096];
    int status = 0;
    bool reaped = false;
    for (;;) {
        if (!reaped && waitpid(pid, &status, WNOHANG) == pid) {
            // The program ended; a child it left behind may still hold the
            // pipe, so only take what is already buffered.
            reaped = true;
            fcntl(fds[0], F_SETFL, O_NONBLOCK);
            ssize_t n;
            while ((n = read(fds[0], buffer, sizeof buffer)) > 0) {
                result.output.append(buffer, static_cast<size_t>(n));
            }
            break;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        int r = poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 200)));
        if (r < 0 && errno != EINTR) {
            break;
        }
        if (r > 0) {
            ssize_t n = read(fds[0], buffer, sizeof buffer);
            if (n > 0) {
                result.output.append(buffer, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                break;  // every writer closed: the program ended (or closed its output)
            }
        }
    }
    close(fds[0]);
    // Output closed but the program may still be running: honour the deadline.
    while (!reaped) {
        pid_t w = waitpid(pid, &status, WNOHANG);
        if (w == pid) {
            break;
        }
        if (w < 0 && errno != EINTR) {
            return result;
        }
        if (Clock::now() >= deadline) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    result.exitCode = DecodeStatus(status);
    return result;
}

Json::Value Ffprobe(const std::string& file) {
    CommandResult r = RunCommand(
        {"ffprobe", "-v", "error", "-show_streams", "-show_format", "-of", "json", file}, 30);
    if (r.exitCode != 0) {
        return Json::Value();
    }
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream in(r.output);
    if (!Json::parseFromStream(builder, in, &root, &errors)) {
        return Json::Value();
    }
    return root;
}

Json::Value StreamOf(const Json::Value& probe, const std::string& type) {
    for (const auto& s : probe["streams"]) {
        if (s["codec_type"].asString() == type) {
            return s;
        }
    }
    return Json::Value();
}

CommandResult PushTestStream(const std::string& rtmpUrl, double seconds) {
    std::string duration = std::to_string(seconds);
    return RunCommand({"ffmpeg",    "-hide_banner",
                       "-loglevel", "error",
                       "-nostdin",  "-re",
                       "-f",        "lavfi",
                       "-i",        "testsrc=size=320x240:rate=15",
                       "-f",        "lavfi",
                       "-i",        "sine=frequency=440:sample_rate=44100",
                       "-t",        duration,
                       "-c:v",      "libx264",
                       "-preset",   "ultrafast",
                       "-g",        "15",
                       "-pix_fmt",  "yuv420p",
                       "-c:a",      "aac",
                       "-f",        "flv",
                       rtmpUrl},
                      seconds + 30);
}

namespace {

// A loopback TCP socket bound to a port the kernel picks; the port through `port`.
int BindLoopbackSocket(const char* who, int& port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error(std::string(who) + ": socket: " + std::strerror(errno));
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        int e = errno;
        close(fd);
        throw std::runtime_error(std::string(who) + ": bind: " + std::strerror(e));
    }
    port = ntohs(addr.sin_port);
    return fd;
}

}  // namespace

int FreePort() {
    int port = 0;
    close(BindLoopbackSocket("FreePort", port));
    return port;
}

ClosedPort::ClosedPort() {
    fd_ = BindLoopbackSocket("ClosedPort", port_);
}

ClosedPort::~ClosedPort() {
    close(fd_);
}

bool PortAcceptsConnections(int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

std::string SourceDir() {
    const char* env = std::getenv("ZV_SOURCE_DIR");
    return env && *env ? env : ZV_SUPPORT_SOURCE_DIR;
}

std::string MakeTempFolder(const std::string& prefix) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + prefix + "XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
        throw std::runtime_error("mkdtemp " + pattern + ": " + std::strerror(errno));
    }
    return buffer.data();
}

namespace {

// Empties the folder open at `folder`, working through descriptors so that a
// symbolic link met on the way is removed as a link and never entered, even
// if something swaps an entry for a link meanwhile. Goes on past entries it
// cannot remove.
void RemoveContents(int folder) {
    const int listing = dup(folder);
    DIR* dir = listing >= 0 ? fdopendir(listing) : nullptr;
    if (dir == nullptr) {
        if (listing >= 0) {
            close(listing);
        }
        return;
    }
    // The names first: removing while reading may make readdir skip entries.
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    closedir(dir);
    for (const std::string& name : names) {
        if (unlinkat(folder, name.c_str(), 0) == 0 || errno == ENOENT) {
            continue;
        }
        if (errno == EACCES || errno == EPERM) {
            // A folder without write permission keeps its entries.
            fchmod(folder, S_IRWXU);
            if (unlinkat(folder, name.c_str(), 0) == 0) {
                continue;
            }
        }
        const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
        int child = openat(folder, name.c_str(), flags);
        if (child < 0 && errno == EACCES &&
            fchmodat(folder, name.c_str(), S_IRWXU, AT_SYMLINK_NOFOLLOW) == 0) {
            child = openat(folder, name.c_str(), flags);  // a folder we may not read
        }
        if (child < 0) {
            continue;  // not a folder (or a link to one): nothing more to try
        }
        fchmod(child, S_IRWXU);
        RemoveContents(child);
        close(child);
        unlinkat(folder, name.c_str(), AT_REMOVEDIR);
    }
}

}  // namespace

bool RemoveTree(const std::string& given) {
    // "link/" would resolve the link: the trailing slashes go first.
    std::string path = given;
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    if (path.empty() || path == "/") {
        return false;
    }
    // The path itself may be a file or a link: either goes as it is.
    if (unlink(path.c_str()) != 0 && errno != ENOENT) {
        const int folder = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folder >= 0) {
            fchmod(folder, S_IRWXU);
            RemoveContents(folder);
            close(folder);
        }
        rmdir(path.c_str());
    }
    struct stat st;
    return lstat(path.c_str(), &st) != 0 && errno == ENOENT;
}

std::string FileTail(const std::string& path, size_t maxBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return all.size() > maxBytes ? all.substr(all.size() - maxBytes) : all;
}

ChildProcess::~ChildProcess() {
    Terminate();
}

pid_t StartProcess(const std::vector<std::string>& argv,
                   const std::vector<std::pair<std::string, std::string>>& env,
                   const std::string& folder, const std::string& outPath,
                   const std::string& errPath) {
    if (argv.empty()) {
        return -1;
    }
    std::string program;
    try {
        program = ResolveProgram(argv[0]);
    } catch (const std::exception&) {
        return -1;
    }
    // Everything the child needs is made before the fork.
    std::map<std::string, std::string> merged;
    for (char** e = environ; e && *e; ++e) {
        if (const char* eq = std::strchr(*e, '=')) {
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
    Argv envp(envStrings);
    Argv args(argv);
    const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    const int err = errPath == outPath
                        ? out
                        : open(errPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        ExecChild(program, args.pointers.data(), envp.pointers.data(),
                  folder.empty() ? nullptr : folder.c_str(), in, out, err, parent);
    }
    for (int fd : {in, out, err != out ? err : -1}) {
        if (fd >= 0) {
            close(fd);
        }
    }
    return pid;
}

void ChildProcess::Spawn(const std::vector<std::string>& argv, const std::string& logFile) {
    if (pid_ > 0 && Running()) {
        throw std::runtime_error("ChildProcess::Spawn: a process is already running");
    }
    if (argv.empty()) {
        throw std::runtime_error("ChildProcess::Spawn: empty command");
    }
    std::string program = ResolveProgram(argv[0]);
    Argv args(argv);
    int out = open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (out < 0) {
        throw std::runtime_error("cannot open log " + logFile + ": " + std::strerror(errno));
    }
    int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid == 0) {
        ExecChild(program, args.pointers.data(), nullptr, nullptr, in, out, out, parent);
    }
    close(out);
    if (in >= 0) {
        close(in);
    }
    if (pid < 0) {
        throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    }
    pid_ = pid;
    status_ = 0;
}

bool ChildProcess::Running() {
    if (pid_ <= 0) {
        return false;
    }
    int status = 0;
    pid_t w = waitpid(pid_, &status, WNOHANG);
    if (w == pid_ || (w < 0 && errno == ECHILD)) {
        status_ = status;
        pid_ = -1;
        return false;
    }
    return true;
}

int ChildProcess::Terminate(double graceSeconds) {
    if (pid_ <= 0) {
        return -1;
    }
    pid_t pid = pid_;
    kill(pid, SIGTERM);
    auto deadline = Clock::now() + std::chrono::duration<double>(graceSeconds);
    int status = 0;
    for (;;) {
        pid_t w = waitpid(pid, &status, WNOHANG);
        if (w == pid || (w < 0 && errno != EINTR)) {
            break;
        }
        if (Clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
    status_ = status;
    return DecodeStatus(status);
}

CommandResult RunXCommand(const std::vector<std::string>& argv, double timeoutSeconds) {
    CommandResult result;
    for (int attempt = 0; attempt < 5; ++attempt) {
        result = RunCommand(argv, timeoutSeconds);
        if (result.exitCode == 0) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return result;
}

void MakeTestClip(const std::string& path, double seconds, int width, int height) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const std::string duration = std::to_string(seconds);
    const CommandResult r = RunCommand({"ffmpeg",
                                        "-nostdin",
                                        "-y",
                                        "-loglevel",
                                        "error",
                                        "-f",
                                        "lavfi",
                                        "-i",
                                        "testsrc2=size=" + size + ":rate=25:duration=" + duration,
                                        "-f",
                                        "lavfi",
                                        "-i",
                                        "sine=frequency=440:sample_rate=44100:duration=" + duration,
                                        "-c:v",
                                        "libx264",
                                        "-preset",
                                        "ultrafast",
                                        "-pix_fmt",
                                        "yuv420p",
                                        "-c:a",
                                        "aac",
                                        "-shortest",
                                        path},
                                       120);
    if (r.exitCode != 0) {
        throw std::runtime_error("ffmpeg could not make the clip: " + r.output);
    }
}

}  // namespace zvtest
