// What the network and the platform throw at the client, through its windows:
// replies with HTTP 500, bodies that are not JSON, connections closed without
// a reply or in the middle of one, a server that holds the reply back, and an
// ingest that stalls while live. The client never crashes or hangs, tells the
// streamer what happened, and loses nothing: the remembered name, the
// recording made so far.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>

#include "main_session.h"
#include "support/process.h"

namespace {

using clienttest::WaitRecording;

struct Fault {
    const char* what;
    Json::Value reply;  // the stand-in's script, without the path
};

std::vector<Fault> Faults(const std::string& json) {
    Json::Value status500;
    status500["status"] = 500;
    status500["body"] = "Internal Server Error";
    status500["content_type"] = "text/plain";
    Json::Value html;
    html["body"] = "<html><body>maintenance</body></html>";
    html["content_type"] = "text/html";
    Json::Value closed;
    closed["close"] = true;
    Json::Value cut;
    cut["body"] = json;
    cut["content_type"] = "application/json";
    cut["close_after_bytes"] = 12;
    Json::Value held;
    held["hang"] = 3.0;
    return {{"HTTP 500", status500},
            {"a body that is not JSON", html},
            {"closed without a reply", closed},
            {"closed in the middle of the reply", cut},
            {"the reply held back, then the connection dropped", held}};
}

class ClientFaults : public clienttest::MainSession {};

TEST_F(ClientFaults, LoginFaultsAreReportedAndTheNextLoginWorks) {
    home_->writeSession("主播 小明");
    ASSERT_TRUE(zvtest::SetRootWindowProperty(display_->name(), clienttest::kInstanceMarker, 0));
    client_ = clienttest::StartClient(*install_, *home_,
                                      {.display = display_->name(), .platform = platform_});
    ASSERT_TRUE(client_->waitShown("w.login", 20000)) << client_->log();
    const std::string accepted =
        R"({"success":"true","dataresult":{"roomid":"10001","nickname":"n"}})";
    // A reply that never comes: the transfer gives up once nothing has
    // arrived for its stall time.
    Json::Value never;
    never["hang"] = true;
    std::vector<Fault> faults = Faults(accepted);
    faults.push_back({"a reply that never comes", never});
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.what);
        Json::Value s = f.reply;
        s["path"] = "/Api/npushstream/nlogin";
        s["role"] = "api";
        platform_->Control("script", s);
        ASSERT_TRUE(clienttest::TypeInto(*client_, *input_, "w.login", "r.name", "zvtest"));
        ASSERT_TRUE(clienttest::TypeInto(*client_, *input_, "w.login", "r.pass", "zv-pass.123"));
        const auto at = zvtest::Centre(client_->control("w.login", "b.login"));
        input_->click(at.x, at.y);
        const Json::Value box = Box(45000);
        EXPECT_EQ(box["text"].asString().rfind("登录失败！", 0), 0u) << box["text"].asString();
        Answer(true);
        EXPECT_TRUE(client_->running());
        EXPECT_TRUE(client_->window("w.login")["visible"].asBool());
        EXPECT_FALSE(client_->control("w.login", "l.loading")["visible"].asBool());
        EXPECT_EQ(home_->session(), "主播 小明") << "a failed login keeps the remembered name";
    }
    const std::string problem = clienttest::SignIn(*client_, *input_, "zvtest", "zv-pass.123");
    EXPECT_TRUE(problem.empty()) << problem;
    EXPECT_EQ(home_->session(), "zvtest");
}

TEST_F(ClientFaults, PushAddressFaultsAreReportedAndGoingLiveStillWorks) {
    ASSERT_NO_FATAL_FAILURE(SignIn());
    for (const Fault& f : Faults(R"({"result":true,"url":"rtmp://127.0.0.1:1/live/k"})")) {
        SCOPED_TRACE(f.what);
        Script("/room/geturl", f.reply);
        ASSERT_TRUE(WaitEnabled("c.online"));
        TurnOn("c.online");
        const Json::Value box = Box(30000);
        EXPECT_EQ(box["text"].asString(), "获取授权信息失败！");
        Answer(true);
        EXPECT_TRUE(client_->running());
        EXPECT_FALSE(Checked("c.online"));
        EXPECT_EQ(Text("l.status"), "");
    }
    ASSERT_TRUE(WaitEnabled("c.online"));
    TurnOn("c.online");
    EXPECT_TRUE(WaitText("l.status", clienttest::PackageText("s.status.live"), 20000))
        << client_->log();
}

TEST_F(ClientFaults, AnIngestThatStallsWhileLiveNeitherHangsTheWindowNorLosesTheRecording) {
    ASSERT_NO_FATAL_FAILURE(SignIn());
    TurnOn("c.online");
    ASSERT_TRUE(WaitText("l.status", clienttest::PackageText("s.status.live"), 20000))
        << client_->log();
    const std::string file = WaitRecording(*ingest_, "live", 8000);
    ASSERT_FALSE(file.empty());

    ASSERT_EQ(kill(ingest_->Pid(), SIGSTOP), 0);
    // Whatever happens below, the ingest moves again for the next test.
    struct Resume {
        pid_t pid;
        ~Resume() { kill(pid, SIGCONT); }
    } resume{ingest_->Pid()};
    // The ingest takes next to nothing once the connection's buffers are
    // full (the stream is 2800 kbit/s): the health line says so, and the
    // window goes on answering all the while.
    EXPECT_TRUE(zvtest::WaitFor(
        [&] {
            const std::string health = Text("l.health");
            return !health.empty() && std::atoi(health.c_str()) < 200;
        },
        30000))
        << "still sending to a stopped ingest: " << Text("l.health");
    for (int i = 0; i < 4; ++i) {
        Click(i % 2 ? "b.preview" : "b.giftlist");
        EXPECT_TRUE(zvtest::WaitFor([&] { return Visible(i % 2 ? "l.preview" : "l.giftlist"); }))
            << "the window stopped answering while the ingest stalled";
    }
    ASSERT_EQ(kill(ingest_->Pid(), SIGCONT), 0);
    EXPECT_TRUE(WaitText("l.status", clienttest::PackageText("s.status.live"), 40000))
        << "live again once the ingest moves: " << Text("l.status");
    const long before = clienttest::FileBytes(file);
    Click("c.online");
    EXPECT_TRUE(WaitText("l.status", ""));
    EXPECT_TRUE(client_->running());
    EXPECT_GE(clienttest::FileBytes(file), before);
    EXPECT_FALSE(zvtest::Ffprobe(file).isNull()) << "the recording so far is readable";
}

}  // namespace
