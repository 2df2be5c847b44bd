// A scripted broadcast session without the windows: signs in to the platform,
// shows the media scene with the platform's logo in a preview window, fetches
// the push address, goes live for a while and stops, printing each step. The
// main job runs it under Xvfb against the local stand-in and ingest.
//
//   zv_session --user U --password P --media FILE [--seconds N]
#include <gtk/gtk.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "av_core.h"
#include "login_record.h"
#include "platform/endpoints.h"
#include "platform/gtk_init.h"
#include "platform/main_loop.h"
#include "platform/ui_queue.h"
#include "web_login.h"
#include "web_room.h"

namespace {

struct Options {
    std::string user = "zvtest";
    std::string password = "zv-pass.123";
    std::string media;
    int seconds = 6;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const char* value = argv[i + 1];
        if (key == "--user") {
            options.user = value;
        } else if (key == "--password") {
            options.password = value;
        } else if (key == "--media") {
            options.media = value;
        } else if (key == "--seconds") {
            options.seconds = std::atoi(value);
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && !options.media.empty() && options.seconds > 0;
}

// Receives the web tasks' reports on the worker thread and replays them on
// the UI thread, as the main window does.
class Session : public zv::WebEventReceiver, public zv::AVCoreEvent {
public:
    void OnWebapiEvent(const zv::RoomResult& result) override {
        zv::PostToUi([=, this] {
            std::printf("session: %s -> %s %s\n", zv::RoomActionName(result.action),
                        result.ok() ? "ok" : "failed", result.text.c_str());
            if (result.action == zv::RoomAction::kGetUrl) {
                pushAddress = result.ok() ? result.text : std::string();
                gotUrl = true;
            }
        });
    }
    void SetHeadIcon(const std::string& path) override {
        zv::PostToUi([=] { std::printf("session: avatar ready at %s\n", path.c_str()); });
    }
    void SetLogo(const std::string& path, int32_t position, int32_t width,
                 int32_t height) override {
        zv::PostToUi([=, this] {
            std::printf("session: logo %s, corner %d, %dx%d\n", path.c_str(), position, width,
                        height);
            logo = {path, position, width, height};
            gotLogo = true;
        });
    }
    void OnAudioLevel(float) override {}
    void OnStreamStatus(const zv::StreamStatus& status) override {
        static const char* const kNames[] = {"idle",     "connecting", "live",  "reconnecting",
                                             "stopping", "stopped",    "failed"};
        std::printf("session: stream %s", kNames[static_cast<int>(status.state)]);
        if (status.state == zv::StreamState::Failed) {
            std::printf(" (%s, code %d)", zv::StreamFailureKey(status.code), status.code);
        }
        std::printf("\n");
        state = status.state;
    }
    void OnCaptureProblem(zv::CaptureKind kind, zv::CaptureProblem problem) override {
        std::printf("session: capture %s\n",
                    std::string(zv::CaptureProblemKey(kind, problem)).c_str());
    }

    struct Logo {
        std::string path;
        int position = 0, width = 0, height = 0;
    } logo;
    bool gotLogo = false;
    bool gotUrl = false;
    std::string pushAddress;
    zv::StreamState state = zv::StreamState::Idle;
};

int Fail(const char* what) {
    std::printf("session: FAILED: %s\n", what);
    zv::AVCore::Release();
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: zv_session --media FILE [--user U] [--password P] [--seconds N]\n");
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!zv::InitGtk(&argc, &argv)) {
        std::printf("session: FAILED: no display\n");
        return 1;
    }

    // The record and the receiver outlive every task (the picture tasks too).
    static zv::LoginRecord record;
    static Session session;

    std::printf("session: signing in as %s at %s\n", options.user.c_str(), zv::ApiHost().c_str());
    record.BeginAttempt(zv::LoginEndpoints::FromHosts(zv::ApiHost(), zv::RouteHost()), options.user,
                        options.password);
    AsyncTask::Start(new WebLogin(record, &session));
    if (!zv::RunLoopUntil(
            [&] { return record.LoggedIn() || record.Failure() != zv::LoginFailure::kNone; },
            std::chrono::seconds(30))) {
        return Fail("no answer to the login");
    }
    if (!record.LoggedIn()) {
        std::printf("session: login refused: %s\n", record.ErrorMessage().c_str());
        return Fail("login");
    }
    const zv::LoginReply reply = record.Reply();
    std::printf("session: signed in: %s, room %s, chat %s\n", reply.nickname.c_str(),
                reply.roomId.c_str(), reply.chatUrl.c_str());
    zv::RunLoopUntil([&] { return session.gotLogo; }, std::chrono::seconds(15));

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Zelvio session preview");
    GtkWidget* preview = gtk_drawing_area_new();
    gtk_widget_set_size_request(preview, 640, 360);
    gtk_widget_set_app_paintable(preview, TRUE);
    gtk_container_add(GTK_CONTAINER(window), preview);
    gtk_widget_show_all(window);
    zv::RunLoopUntil([&] { return gtk_widget_get_realized(preview); }, std::chrono::seconds(5));

    zv::AVCore* core = zv::AVCore::Instance();
    if (!core->Reset(preview, 1280, 720, &session)) {
        return Fail("the media engine did not start");
    }
    core->SetMediaFile(options.media.c_str(), true);
    if (session.gotLogo) {
        core->SetLogo(session.logo.path.c_str(), session.logo.position, session.logo.width,
                      session.logo.height);
    }
    core->ShowMediaScene();

    AsyncTask::Start(new WebGetURL(record, session));
    if (!zv::RunLoopUntil([&] { return session.gotUrl; }, std::chrono::seconds(30))) {
        return Fail("no answer to geturl");
    }
    if (session.pushAddress.empty()) {
        return Fail("no push address");
    }
    if (!core->StartStreaming(session.pushAddress, false, "", "")) {
        return Fail("the stream did not start");
    }
    if (!zv::RunLoopUntil([&] { return session.state == zv::StreamState::Live; },
                          std::chrono::seconds(15))) {
        return Fail("the stream did not go live");
    }
    zv::RunLoopFor(std::chrono::seconds(options.seconds));
    core->StopStreaming();
    zv::RunLoopUntil([&] { return session.state == zv::StreamState::Stopped; },
                     std::chrono::seconds(10));
    zv::AVCore::Release();
    gtk_widget_destroy(window);
    std::printf("session: done, pushed to %s\n", session.pushAddress.c_str());
    return 0;
}
