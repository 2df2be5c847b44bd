// The main window on its own, with a recording engine, platform and page
// runtime in place of the real ones, for the window tests: every call the
// window makes is printed as one line on stdout ("engine: ShowVideoScene",
// "request: geturl", "page: <url> <w>x<h> chat"), and the test plays the
// engine's, the platform's and the page's side by appending lines to the
// file named by $ZV_HOST_COMMANDS:
//
//   stream connecting|live|reconnecting <delay>|failed <code>|stopped
//   room geturl|startrecord|stoprecord ok|refused|unreadable [text]
//   start ok|refuse      the answer of later StartStreaming calls
//   level <0..1>         the mixed level the window reads
//   kickout <text>       roster <count>
//   capture desktop|window missing|cancelled|refused|revoked|ended
//                        a portal capture's problem, as the engine reports it
//
// Usage: zv_main_win_host <package> ; $ZV_HOST_ALLOW_RECORD=0 signs in an
// account that may not record, $ZV_HOST_ENGINE_FAILS=1 makes Reset fail; a
// $WAYLAND_DISPLAY makes it a Wayland session's window (still on X11).
#include <glib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "login_record.h"
#include "main_win.h"
#include "platform/utf.h"
#include "web_event_inbox.h"
#include "window_services.h"
#include "xf_app.h"

namespace {

// One line each: the line breaks inside a window entry are shown as '|'.
void Say(std::string line) {
    for (char& c : line) {
        c = c == '\r' || c == '\n' ? '|' : c;
    }
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

bool EnvOn(const char* name) {
    const char* v = std::getenv(name);
    return v && std::string(v) == "1";
}

class RecordingEngine final : public zv::MediaEngine {
public:
    bool Reset(GtkWidget*, int width, int height, zv::AVCoreEvent*) override {
        Say("engine: Reset " + std::to_string(width) + "x" + std::to_string(height));
        return !EnvOn("ZV_HOST_ENGINE_FAILS");
    }
    void ShowVideoScene() override { Say("engine: ShowVideoScene"); }
    void ShowWindowCapture() override { Say("engine: ShowWindowCapture"); }
    void ShowDesktopCapture() override { Say("engine: ShowDesktopCapture"); }
    void ShowCompoundScene() override { Say("engine: ShowCompoundScene"); }
    void ShowMediaScene() override { Say("engine: ShowMediaScene"); }
    void SetCameraDevice(const char* id) override {
        Say(std::string("engine: SetCameraDevice ") + id);
    }
    void SetMicDevice(const char* id) override { Say(std::string("engine: SetMicDevice ") + id); }
    void SetCaptureWindow(const char* window) override {
        Say(std::string("engine: SetCaptureWindow ") + window);
    }
    void SetCaptureMonitor(int monitor) override {
        Say("engine: SetCaptureMonitor " + std::to_string(monitor));
    }
    void SetMediaFile(const char* path, bool loop) override {
        Say(std::string("engine: SetMediaFile ") + path + (loop ? " loop" : " once"));
    }
    void SetLogo(const char* path, int corner, int width, int height) override {
        Say(std::string("engine: SetLogo ") + path + " " + std::to_string(corner) + " " +
            std::to_string(width) + "x" + std::to_string(height));
    }
    void SetMergeCorner(int corner) override {
        Say("engine: SetMergeCorner " + std::to_string(corner));
    }
    void ToggleDesktopAudio() override {
        desktopAudio_ = !desktopAudio_;
        Say(std::string("engine: ToggleDesktopAudio ") + (desktopAudio_ ? "1" : "0"));
    }
    bool IsDesktopAudioOn() const override { return desktopAudio_; }
    bool StartStreaming(const std::string& address, bool useAuth, const char*,
                        const char*) override {
        Say("engine: StartStreaming " + address + (useAuth ? " auth" : ""));
        streaming_ = startAnswer_;
        return startAnswer_;
    }
    const char* LastStartFailureKey() const override {
        return startAnswer_ ? "" : "s.stream.error.start";
    }
    void StopStreaming() override { Say("engine: StopStreaming"); }
    OutputStats GetOutputStats() const override {
        // A steady 2000 kbit/s while streaming: 250 000 bytes per reading.
        if (streaming_) {
            sent_ += 250000;
        }
        return {sent_, 3, 0};
    }
    void SetVolume(float deflection) override {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", deflection);
        Say(std::string("engine: SetVolume ") + text);
    }
    void SetMuted(bool muted) override {
        Say(std::string("engine: SetMuted ") + (muted ? "1" : "0"));
    }
    void ListCameras(std::vector<std::string>& ids) override {
        ids.push_back("Cam A:/dev/video0");
        ids.push_back("Cam B:/dev/video1");
    }
    void ListWindows(std::vector<std::string>& windows) override {
        windows.push_back("77\r\nvim: notes.txt\r\nxterm");
    }
    void ListMicrophones(std::vector<std::string>& names, std::vector<std::string>& ids) override {
        names = {"Built-in", "USB mic"};
        ids = {"DEFAULT", "alsa_input.usb"};
    }

    void SetStartAnswer(bool ok) { startAnswer_ = ok; }

private:
    bool desktopAudio_ = true;
    bool startAnswer_ = true;
    bool streaming_ = false;
    mutable uint64_t sent_ = 0;
};

class Host;

// Stands in for the login window: the package's first window, which the
// loop lives by; it opens the main window at once and hides.
class FirstWindow final : public xfWindow {
public:
    explicit FirstWindow(MainWin& main) : main_(main) {}
    void OnCreate() override { StartTimer(1, 10); }
    void OnTimer(unsigned id) override {
        StopTimer(id);
        main_.Create();
        SetVisible(false);
        Say("host: ready");
    }

private:
    MainWin& main_;
};

class Host final : public xfApp,
                   private zv::EngineHost,
                   private zv::PageRuntime,
                   private zv::PlatformRequests {
public:
    Host() : main_({record_, inbox_, *this, *this, *this}), first_(main_) {
        zv::LoginReply reply;
        reply.nickname = "测试主播";
        reply.signature = "今天也要开心";
        reply.chatUrl = "http://pages.test/chat";
        reply.giftUrl = "http://pages.test/gift";
        reply.allowRecord = std::getenv("ZV_HOST_ALLOW_RECORD") == nullptr ||
                            std::string(std::getenv("ZV_HOST_ALLOW_RECORD")) != "0";
        record_.SetReply(reply);
    }

    void OnInit() override {
        first_.Register("w.login");
        main_.Register("w.main");
        if (const char* path = std::getenv("ZV_HOST_COMMANDS")) {
            commands_ = path;
            g_timeout_add(30, &Host::Poll, this);
        }
    }

private:
    zv::MediaEngine& Engine() override { return engine_; }
    void Release() override { Say("host: Release"); }
    void ReleaseForExit(std::chrono::milliseconds budget) override {
        Say("host: ReleaseForExit " + std::to_string(budget.count()));
    }
    float MixedLevel() override { return level_; }
    bool CreateView(GtkWidget*, int width, int height, const std::string& url,
                    zv::browser::WebViewCallback* receiver) override {
        Say("page: " + url + " " + std::to_string(width) + "x" + std::to_string(height) +
            (receiver ? " chat" : " none"));
        return true;
    }
    void Login() override { Say("request: login"); }
    void Room(zv::RoomAction action) override {
        Say(std::string("request: ") + zv::RoomActionName(action));
    }

    static gboolean Poll(gpointer self) {
        static_cast<Host*>(self)->RunNewCommands();
        return G_SOURCE_CONTINUE;
    }

    // One line at a time from where the last one ended: a command that opens
    // a box runs a nested loop in which later commands are run already.
    void RunNewCommands() {
        for (;;) {
            std::ifstream in(commands_, std::ios::binary);
            in.seekg(static_cast<std::streamoff>(done_));
            std::string line;
            if (!std::getline(in, line) || in.eof()) {
                return;  // nothing new, or a line not finished yet
            }
            done_ += line.size() + 1;
            RunCommand(line);
        }
    }

    void RunCommand(const std::string& line) {
        std::istringstream words(line);
        std::string verb, what;
        words >> verb >> what;
        std::string rest;
        std::getline(words >> std::ws, rest);
        if (verb == "stream") {
            zv::StreamStatus s;
            const int number = std::atoi(rest.c_str());
            if (what == "connecting") {
                s.state = zv::StreamState::Connecting;
            } else if (what == "live") {
                s.state = zv::StreamState::Live;
            } else if (what == "reconnecting") {
                s.state = zv::StreamState::Reconnecting;
                s.retryDelaySec = number;
            } else if (what == "failed") {
                s.state = zv::StreamState::Failed;
                s.code = number;
            } else {
                s.state = zv::StreamState::Stopped;
            }
            main_.OnStreamStatus(s);
        } else if (verb == "room") {
            std::string outcome;
            std::istringstream r(rest);
            r >> outcome;
            std::string text;
            std::getline(r >> std::ws, text);
            zv::RoomResult result;
            result.action = what == "geturl"        ? zv::RoomAction::kGetUrl
                            : what == "startrecord" ? zv::RoomAction::kStartRecord
                                                    : zv::RoomAction::kStopRecord;
            result.failure = outcome == "ok"        ? zv::RoomFailure::kNone
                             : outcome == "refused" ? zv::RoomFailure::kRefused
                                                    : zv::RoomFailure::kUnreadable;
            result.text = text;
            main_.OnWebapiEvent(result);
        } else if (verb == "start") {
            engine_.SetStartAnswer(what == "ok");
        } else if (verb == "level") {
            level_ = static_cast<float>(std::atof(what.c_str()));
        } else if (verb == "kickout") {
            const std::u16string message = zv::Utf8ToUtf16(what + (rest.empty() ? "" : " " + rest));
            main_.OnJsKickout(message.c_str());
        } else if (verb == "roster") {
            main_.OnJsUpdateRoster(std::atoi(what.c_str()));
        } else if (verb == "capture") {
            static const std::map<std::string, zv::CaptureProblem> kProblems = {
                {"missing", zv::CaptureProblem::kPortalMissing},
                {"cancelled", zv::CaptureProblem::kCancelled},
                {"refused", zv::CaptureProblem::kRefused},
                {"revoked", zv::CaptureProblem::kTokenRevoked},
                {"ended", zv::CaptureProblem::kStreamEnded},
                {"noanswer", zv::CaptureProblem::kNoAnswer}};
            const auto problem = kProblems.find(rest);
            if (problem != kProblems.end()) {
                main_.OnCaptureProblem(
                    what == "window" ? zv::CaptureKind::kWindow : zv::CaptureKind::kDesktop,
                    problem->second);
            }
        }
        Say("host: did " + line);
    }

    zv::LoginRecord record_;
    WebEventInbox inbox_;
    RecordingEngine engine_;
    float level_ = 0;
    MainWin main_;
    FirstWindow first_;
    std::string commands_;
    size_t done_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <package>\n", argv[0]);
        return 2;
    }
    setenv("GDK_BACKEND", "x11", 1);  // as the client does
    Host host;
    return host.Run(argv[1], "zh_CN");
}
