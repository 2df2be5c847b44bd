// The main window's broadcast switches, used through real input against the
// platform stand-in and a real RTMP ingest: what reaches the ingest, the
// status line a streamer reads, the platform's refusals, an ingest that is
// missing or goes away while live, the audience count, kick-out and closing.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <set>

#include "main_session.h"
#include "support/process.h"

namespace {

using clienttest::PackageText;
using clienttest::WaitRecording;
using zvtest::StreamOf;

const std::string kLive = clienttest::PackageText("s.status.live");
const std::string kLiveRecording = clienttest::PackageText("s.status.live.recording");
const std::string kRecordOnly = clienttest::PackageText("s.status.recordonly");

class MainLive : public clienttest::MainSession {
protected:
    // Clicks a switch once its lock is over.
    void Toggle(const std::string& name) {
        ASSERT_TRUE(WaitEnabled(name)) << name << " stayed locked";
        Click(name);
    }

    // Turns a switch on once its lock is over; a click lost while the window
    // below a box that just closed takes the pointer back is clicked again.
    void SwitchOn(const std::string& name) {
        ASSERT_TRUE(WaitEnabled(name)) << name << " stayed locked";
        TurnOn(name);
    }

    // Goes live and waits until the ingest records; the statuses seen on
    // the way.
    std::vector<std::string> GoLive() {
        std::vector<std::string> seen;
        SwitchOn("c.online");
        zvtest::WaitFor(
            [&] {
                const std::string s = Text("l.status");
                if (!s.empty() && (seen.empty() || seen.back() != s)) {
                    seen.push_back(s);
                }
                return s == kLive;
            },
            20000);
        EXPECT_EQ(Text("l.status"), kLive) << client_->log();
        EXPECT_TRUE(Checked("c.online"));
        return seen;
    }
};

TEST_F(MainLive, GoingLiveSendsTheVideoSceneAndRecordingJoinsTheStatus) {
    ASSERT_NO_FATAL_FAILURE(SignIn());
    EXPECT_EQ(Text("l.status"), "");
    EXPECT_FALSE(Visible("l.health")) << "no health while idle";
    EXPECT_TRUE(Visible("l.record")) << "the account may record";

    // A loopback connect may be over before the connecting text is drawn.
    for (const auto& status : GoLive()) {
        EXPECT_TRUE(status == PackageText("s.stream.connecting") || status == kLive) << status;
    }
    const std::string file = WaitRecording(*ingest_, "live", 8000);
    ASSERT_FALSE(file.empty()) << "nothing reached the ingest:\n" << ingest_->Log();

    // Health: a rate and the dropped frames, once a second.
    const std::regex health(R"(^\d+ kbit/s · 丢帧 \d+$)");
    EXPECT_TRUE(zvtest::WaitFor(
        [&] { return Visible("l.health") && std::regex_match(Text("l.health"), health); }, 5000))
        << "l.health: \"" << Text("l.health") << "\"";

    Toggle("c.record");
    EXPECT_TRUE(WaitRoomRequests("/room/startrecord", 1));
    EXPECT_TRUE(WaitText("l.status", kLiveRecording)) << Text("l.status");
    EXPECT_TRUE(Checked("c.record"));

    Toggle("c.online");
    EXPECT_TRUE(WaitText("l.status", "")) << Text("l.status");
    EXPECT_TRUE(WaitRoomRequests("/room/stoprecord", 1)) << "going off-line ends the recording";
    EXPECT_TRUE(zvtest::WaitFor([&] { return !Checked("c.record"); }));
    EXPECT_FALSE(Checked("c.online"));
    EXPECT_TRUE(zvtest::WaitFor([&] { return !Visible("l.health"); }, 3000));

    const Json::Value probe = zvtest::Ffprobe(file);
    ASSERT_FALSE(probe.isNull()) << file;
    const Json::Value video = StreamOf(probe, "video"), audio = StreamOf(probe, "audio");
    EXPECT_EQ(video["codec_name"].asString(), "h264");
    EXPECT_EQ(video["width"].asInt(), 1280);
    EXPECT_EQ(video["height"].asInt(), 720);
    EXPECT_EQ(audio["codec_name"].asString(), "aac");
    EXPECT_EQ(audio["sample_rate"].asString(), "44100");
    EXPECT_EQ(audio["channels"].asInt(), 1);
    EXPECT_GT(std::stod(probe["format"].get("duration", "0").asString()), 1.0);
}

TEST_F(MainLive, RecordOnlyGoesToTheRecordApplicationAndClosingAsksNothing) {
    ASSERT_NO_FATAL_FAILURE(SignIn());
    const size_t liveBefore = ingest_->Recordings("live").size();
    Toggle("c.recordonly");
    ASSERT_TRUE(WaitText("l.status", kRecordOnly, 20000)) << Text("l.status") << client_->log();
    EXPECT_FALSE(Visible("l.online"));
    EXPECT_FALSE(Visible("l.record"));
    EXPECT_TRUE(Visible("l.recordonly"));
    EXPECT_FALSE(WaitRecording(*ingest_, "record", 8000).empty()) << ingest_->Log();
    EXPECT_EQ(ingest_->Recordings("live").size(), liveBefore) << "nothing goes live";

    Click("NC.CLOSE");
    EXPECT_EQ(client_->waitExit(3000), 0) << "closing in record-only mode ends at once\n"
                                          << client_->log();
    EXPECT_TRUE(install_->waitUpdaterStarts(1));
}

TEST_F(MainLive, AStreamThatCannotStartSaysWhyAndTurnsTheSwitchOff) {
    ASSERT_NO_FATAL_FAILURE(SignIn());
    Json::Value refused;
    refused["json"]["result"] = false;
    refused["json"]["message"] = "房间已被封禁";
    Json::Value notJson;
    notJson["body"] = "<html>busy</html>";
    notJson["content_type"] = "text/html";
    Json::Value deadIngest;
    deadIngest["json"]["result"] = true;
    deadIngest["json"]["url"] =
        "rtmp://127.0.0.1:" + std::to_string(zvtest::FreePort()) + "/live/k";
    struct Case {
        const char* what;
        Json::Value reply;
        std::string box, status;
    } cases[] = {
        {"the platform refuses", refused, "房间已被封禁", ""},
        {"the reply is not JSON", notJson, "获取授权信息失败！", ""},
        {"no ingest listens", deadIngest, PackageText("s.stream.error.connect"),
         PackageText("s.stream.error.connect")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Script("/room/geturl", c.reply);
        SwitchOn("c.online");
        const Json::Value box = Box(20000);
        EXPECT_EQ(box["text"].asString(), c.box);
        EXPECT_EQ(box["caption"].asString(), "提示信息");
        Answer(true);
        EXPECT_FALSE(Checked("c.online"));
        EXPECT_EQ(Text("l.status"), c.status);
        EXPECT_FALSE(Visible("l.health"));
    }
    EXPECT_TRUE(client_->running());
}

TEST_F(MainLive, AnAddressThatArrivesAfterTheSwitchWasTurnedOffStartsNothing) {
    ASSERT_NO_FATAL_FAILURE(SignIn());
    Json::Value slow;
    // Long enough to turn the switch off again on a busy machine.
    slow["delay"] = 6.0;
    slow["json"]["result"] = true;
    slow["json"]["url"] = ingest_->PushUrl("live", "late");
    Script("/room/geturl", slow);
    const size_t before = ingest_->Recordings("live").size();
    SwitchOn("c.online");
    // Off again before the answer: once the click's lock is over (its 300 ms
    // are the broadcast machine's table tests' to check, too short to be
    // seen reliably through the inspector), and after a click elsewhere, so
    // that the two clicks on the switch are no double click.
    ASSERT_TRUE(WaitEnabled("c.online"));
    Click("l.status");
    const size_t since = TraceCount();
    Toggle("c.online");
    EXPECT_TRUE(zvtest::WaitFor([&] { return !Checked("c.online"); }));
    ASSERT_TRUE(WaitRoomRequests("/room/geturl", 1));
    EXPECT_FALSE(WaitTrace("MainWin::OnWebapiEvent: action=geturl, ok=1", since, 15000).empty())
        << "the late address reached the window";
    // The window has handled everything before these clicks once it shows them.
    Click("b.giftlist");
    ASSERT_TRUE(zvtest::WaitFor([&] { return Visible("l.giftlist"); }));
    Click("b.preview");
    ASSERT_TRUE(zvtest::WaitFor([&] { return Visible("l.preview"); }));
    EXPECT_FALSE(Checked("c.online"));
    EXPECT_EQ(Text("l.status"), "");
    EXPECT_TRUE(client_->messageBoxes().empty());
    EXPECT_EQ(ingest_->Recordings("live").size(), before) << "nothing was sent";
}

TEST_F(MainLive, AnIngestThatGoesAwayWhileLiveIsReconnectedTo) {
    ASSERT_NO_FATAL_FAILURE(SignIn());
    GoLive();
    ASSERT_FALSE(WaitRecording(*ingest_, "live", 8000).empty());
    const std::string reconnecting = PackageText("s.stream.reconnecting");
    const std::string prefix = reconnecting.substr(0, reconnecting.find("%d"));

    ingest_->Stop();
    EXPECT_TRUE(zvtest::WaitFor([&] { return Text("l.status").rfind(prefix, 0) == 0; }, 20000))
        << Text("l.status");
    EXPECT_TRUE(std::regex_search(Text("l.status"), std::regex(R"(\d+ 秒后)")))
        << "the seconds to the next attempt: " << Text("l.status");
    EXPECT_TRUE(Checked("c.online")) << "reconnecting is still live";

    const size_t before = ingest_->Recordings("live").size();
    ingest_->Start();
    EXPECT_TRUE(WaitText("l.status", kLive, 40000)) << Text("l.status") << client_->log();
    EXPECT_TRUE(zvtest::WaitFor([&] { return ingest_->Recordings("live").size() > before; }, 10000))
        << "the stream comes back to the ingest";
    Toggle("c.online");
    EXPECT_TRUE(WaitText("l.status", ""));
}

TEST_F(MainLive, RefusedRecordingRequestsLeaveTheSwitchAsItWas) {
    ASSERT_NO_FATAL_FAILURE(SignIn());
    GoLive();
    Json::Value busy;
    busy["json"]["result"] = false;
    busy["json"]["message"] = "录制服务忙";
    Script("/room/startrecord", busy);
    Toggle("c.record");
    EXPECT_EQ(Box()["text"].asString(), "录制服务忙");
    Answer(true);
    EXPECT_FALSE(Checked("c.record"));
    EXPECT_EQ(Text("l.status"), kLive);

    SwitchOn("c.record");
    ASSERT_TRUE(WaitText("l.status", kLiveRecording)) << Text("l.status");
    Json::Value stuck;
    stuck["json"]["result"] = false;
    stuck["json"]["message"] = "停止录制失败";
    Script("/room/stoprecord", stuck);
    Toggle("c.online");
    EXPECT_EQ(Box()["text"].asString(), "停止录制失败");
    Answer(true);
    EXPECT_TRUE(Checked("c.record")) << "the platform still records";
    EXPECT_FALSE(Checked("c.online"));
    EXPECT_EQ(Text("l.status"), "");
}

TEST_F(MainLive, TheChatPageCountsTheAudienceAndAKickOutEndsTheProcess) {
    ASSERT_NO_FATAL_FAILURE(SignIn());
    Json::Value online;
    online["count"] = 1234;
    platform_->Control("online", online);
    EXPECT_TRUE(WaitText("l.online.count", "1234", 20000)) << Text("l.online.count");

    GoLive();
    Json::Value kick;
    kick["reason"] = "违规直播";
    platform_->Control("kickout", kick);
    const Json::Value box = Box(20000);
    EXPECT_EQ(box["text"].asString(), "您已被踢出！\r\n违规直播");
    EXPECT_EQ(box["caption"].asString(), "提醒信息");
    Answer(true);
    EXPECT_EQ(client_->waitExit(5000), 0) << client_->log();
    EXPECT_TRUE(install_->waitUpdaterStarts(1)) << "the updater starts after a kick-out";
}

TEST_F(MainLive, ClosingWhileLiveAsksAndCancelKeepsStreaming) {
    ASSERT_NO_FATAL_FAILURE(SignIn());
    GoLive();
    const std::string file = WaitRecording(*ingest_, "live", 8000);
    ASSERT_FALSE(file.empty());

    Click("NC.CLOSE");
    Json::Value box = Box();
    EXPECT_EQ(box["text"].asString(), PackageText("s.exit"));
    EXPECT_EQ(box["buttons"].size(), 2u);
    Answer(false);
    EXPECT_TRUE(client_->running());
    EXPECT_EQ(Text("l.status"), kLive);
    const long size = clienttest::FileBytes(file);
    EXPECT_TRUE(zvtest::WaitFor([&] { return clienttest::FileBytes(file) > size + 2000; }, 10000))
        << "still streaming after Cancel";

    zvtest::ClickUntil(
        *input_, [&] { return zvtest::Centre(Control("NC.CLOSE")); },
        [&] { return !client_->messageBoxes().empty(); });
    box = Box();
    EXPECT_EQ(box["text"].asString(), PackageText("s.exit"));
    Answer(true);
    EXPECT_EQ(client_->waitExit(3000), 0) << client_->log();
}

}  // namespace
