#pragma once
// Test helpers for running programs and owning server processes.
//
//   RunCommand({"ffprobe", ...})   runs a program to completion, returns its
//                                  exit code and its merged stdout+stderr
//   Ffprobe(file)                  ffprobe's JSON (streams + format) of a media
//                                  file; a null Json::Value when unreadable
//   MakeTestClip(path, ...)        ffmpeg writes a test clip (picture + tone,
//                                  H.264 + AAC mp4) to a file
//   PushTestStream(url, seconds)   ffmpeg pushes a generated test picture and
//                                  tone (H.264 + AAC, FLV) to an RTMP address
//   FreePort()                     a loopback TCP port that was free just now
//   ClosedPort                     a loopback TCP port held for the test's
//                                  lifetime on which every connection is refused
//   ChildProcess                   a spawned server owned by PID: terminated
//                                  (SIGTERM, then SIGKILL) and reaped on
//                                  destruction; it also receives SIGTERM when
//                                  the spawning THREAD ends, so a crashed test
//                                  leaves no server behind
//
// Everything here throws std::runtime_error with a readable message when the
// environment is broken (missing program, no free port), so tests fail loudly.
#include <json/json.h>
#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

namespace zvtest {

struct CommandResult {
    int exitCode = -1;   // the exit status; 128 + signal when killed; -1 when it could not run
    std::string output;  // stdout and stderr as they interleaved
    bool timedOut = false;
};

// The one way the test helpers start a program: argv[0] searched in PATH,
// `env` over the test's environment, in `folder` (the current one when
// empty), stdin from /dev/null, stdout and stderr appended to the given files
// (they may be the same). The child gets SIGTERM when the spawning thread
// ends and keeps none of the test's other descriptors. The caller owns and
// reaps the PID; -1 when it cannot be started.
pid_t StartProcess(const std::vector<std::string>& argv,
                   const std::vector<std::pair<std::string, std::string>>& env,
                   const std::string& folder, const std::string& outPath,
                   const std::string& errPath);

// Runs argv[0] (searched in PATH) with the given arguments and waits at most
// `timeoutSeconds`; a program still running then is killed (timedOut set).
CommandResult RunCommand(const std::vector<std::string>& argv, double timeoutSeconds = 60);

// RunCommand for X client tools (xdotool, import): retried a few times while
// it fails, since the X server may drop a new connection when another client
// disconnects at the same moment.
CommandResult RunXCommand(const std::vector<std::string>& argv, double timeoutSeconds = 30);

// `ffprobe -show_streams -show_format -of json file`; null when ffprobe fails.
Json::Value Ffprobe(const std::string& file);
// The first stream of a codec type ("video", "audio") in Ffprobe's record;
// null when there is none.
Json::Value StreamOf(const Json::Value& probe, const std::string& type);

// Pushes `seconds` of a 320x240 15 fps test picture with a 440 Hz tone to an
// RTMP address in real time. Exit code 0 when the ingest accepted all of it.
CommandResult PushTestStream(const std::string& rtmpUrl, double seconds = 2.0);

// Writes a clip of `seconds` to `path`: the testsrc2 picture at 25 fps and a
// 440 Hz tone at 44100 Hz, H.264 + AAC in mp4. Throws std::runtime_error
// with ffmpeg's output when it cannot be made.
void MakeTestClip(const std::string& path, double seconds, int width, int height);

// Asks the kernel for an unused loopback port (bind to port 0) and releases it.
int FreePort();

// A loopback port bound but never listened on, for as long as the object
// lives: connections to it are refused, and no other program on the machine
// can start listening there meanwhile (unlike a FreePort() number).
class ClosedPort {
public:
    ClosedPort();
    ~ClosedPort();
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;
    int Port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

// True when a TCP connection to 127.0.0.1:port succeeds.
bool PortAcceptsConnections(int port);

// The repository root (for tools/ingest/ingest.sh and tools/standin/standin.py);
// the environment variable ZV_SOURCE_DIR overrides the built-in path.
std::string SourceDir();

// A fresh folder under $TMPDIR (or /tmp) named <prefix>XXXXXX.
std::string MakeTempFolder(const std::string& prefix);

// Removes a file, a link or a folder with everything in it, without a shell.
// Links inside are removed, never followed; folders the owner made read-only
// or unreadable are opened up first. Goes on past what it cannot remove and
// returns true when nothing is left at `path` (also when nothing was there).
bool RemoveTree(const std::string& path);

// The last `maxBytes` of a text file (for error messages), empty if unreadable.
std::string FileTail(const std::string& path, size_t maxBytes = 2000);

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv (argv[0] searched in PATH) with stdin from /dev/null and
    // stdout+stderr appended to `logFile`. Throws when it cannot be started.
    void Spawn(const std::vector<std::string>& argv, const std::string& logFile);

    pid_t Pid() const { return pid_; }
    // True while the process has not exited (reaps it once it has).
    bool Running();
    // SIGTERM, wait up to `graceSeconds`, then SIGKILL; always reaps. The exit
    // code (as in CommandResult) is returned; -1 when nothing was running.
    int Terminate(double graceSeconds = 5.0);

private:
    pid_t pid_ = -1;
    int status_ = 0;
};

}  // namespace zvtest
