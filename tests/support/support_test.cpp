// Checks the test-support helpers against the real programs they drive.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

#include "support/standin.h"

namespace zvtest {
namespace {

TEST(RunCommandTest, ReportsExitCodeAndMergedOutput) {
    CommandResult r = RunCommand({"sh", "-c", "echo out; echo err >&2; exit 3"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.output.find("out\n"), std::string::npos);
    EXPECT_NE(r.output.find("err\n"), std::string::npos);
    EXPECT_FALSE(r.timedOut);
}

TEST(RunCommandTest, MissingProgramAndTimeout) {
    CommandResult missing = RunCommand({"zv-no-such-program-xyz"});
    EXPECT_EQ(missing.exitCode, -1);
    EXPECT_NE(missing.output.find("zv-no-such-program-xyz"), std::string::npos);

    auto start = std::chrono::steady_clock::now();
    CommandResult slow = RunCommand({"sleep", "30"}, 0.3);
    EXPECT_TRUE(slow.timedOut);
    EXPECT_EQ(slow.exitCode, 128 + SIGKILL);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(RunCommandTest, BackgroundChildHoldingOutputDoesNotBlock) {
    // The shell exits at once but its child keeps the output pipe open.
    auto start = std::chrono::steady_clock::now();
    CommandResult r = RunCommand({"sh", "-c", "sleep 1 & echo started; exit 4"}, 5.0);
    EXPECT_NE(r.output.find("started"), std::string::npos);
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_FALSE(r.timedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
}

TEST(RunCommandTest, ChildInheritsNoDescriptorsOfTheTest) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);  // deliberately without close-on-exec
    CommandResult r = RunCommand(
        {"sh", "-c",
         "test -e /proc/self/fd/" + std::to_string(fds[1]) + " && echo leaked || echo clean"});
    close(fds[0]);
    close(fds[1]);
    EXPECT_EQ(r.output, "clean\n");
}

TEST(FreePortTest, PortIsBindableAndNotListening) {
    int a = FreePort();
    EXPECT_GT(a, 1024);
    EXPECT_FALSE(PortAcceptsConnections(a));
}

bool CanBindLoopback(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

TEST(FreePortTest, AClosedPortRefusesAndCannotBeTakenWhileHeld) {
    int port = 0;
    {
        ClosedPort held;
        port = held.Port();
        EXPECT_GT(port, 1024);
        EXPECT_FALSE(PortAcceptsConnections(port));
        EXPECT_FALSE(CanBindLoopback(port));  // nobody else can listen there
    }
    EXPECT_TRUE(CanBindLoopback(port));  // released with the object
}

TEST(ChildProcessTest, TerminateReapsAndReportsSignal) {
    std::string folder = MakeTempFolder("zv-child-");
    pid_t pid;
    {
        ChildProcess child;
        child.Spawn({"sleep", "30"}, folder + "/log");
        pid = child.Pid();
        EXPECT_TRUE(child.Running());
        EXPECT_EQ(child.Terminate(), 128 + SIGTERM);
        EXPECT_FALSE(child.Running());
    }
    // Reaped: the PID no longer names our child.
    EXPECT_NE(kill(pid, 0), 0);
    RemoveTree(folder);
}

TEST(ChildProcessTest, SpawnOfMissingProgramThrows) {
    ChildProcess child;
    EXPECT_THROW(child.Spawn({"zv-no-such-program-xyz"}, "/dev/null"), std::runtime_error);
}

TEST(IngestTest, RecordsPushedStreamAndRestartsOnSamePort) {
    std::string folder;
    {
        Ingest ingest;
        folder = ingest.Folder();
        const int port = ingest.Port();
        ASSERT_TRUE(PortAcceptsConnections(port));
        EXPECT_EQ(ingest.PushUrl("live", "k1"),
                  "rtmp://127.0.0.1:" + std::to_string(port) + "/live/k1");
        EXPECT_TRUE(ingest.Recordings().empty());

        CommandResult push = PushTestStream(ingest.PushUrl("live", "k1"), 2.0);
        ASSERT_EQ(push.exitCode, 0) << push.output << ingest.Log();
        std::vector<std::string> live = ingest.Recordings("live");
        ASSERT_EQ(live.size(), 1u);
        EXPECT_NE(live[0].find("/recordings/live/k1-"), std::string::npos) << live[0];
        Json::Value probe = Ffprobe(live[0]);
        ASSERT_TRUE(probe.isObject()) << live[0];
        std::set<std::string> codecs;
        for (const auto& s : probe["streams"]) {
            codecs.insert(s["codec_name"].asString());
        }
        EXPECT_EQ(codecs, (std::set<std::string>{"h264", "aac"}));
        EXPECT_GT(std::stod(probe["format"]["duration"].asString()), 1.5);

        ingest.Stop();
        EXPECT_FALSE(PortAcceptsConnections(port));
        CommandResult refused = PushTestStream(ingest.PushUrl("live", "k2"), 1.0);
        EXPECT_NE(refused.exitCode, 0);

        ingest.Start();
        EXPECT_EQ(ingest.Port(), port);
        EXPECT_TRUE(PortAcceptsConnections(port));
        CommandResult again = PushTestStream(ingest.PushUrl("record", "k3"), 1.0);
        ASSERT_EQ(again.exitCode, 0) << again.output;
        std::vector<std::string> record = ingest.Recordings("record");
        ASSERT_EQ(record.size(), 1u);
        EXPECT_TRUE(Ffprobe(record[0]).isObject());
        EXPECT_EQ(ingest.Recordings().size(), 2u);
    }
    // The destructor stopped the server and removed its folder.
    EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST(IngestTest, TwoIngestsRunSideBySide) {
    Ingest a;
    Ingest b;
    EXPECT_NE(a.Port(), b.Port());
    EXPECT_NE(a.Folder(), b.Folder());
    EXPECT_TRUE(PortAcceptsConnections(a.Port()));
    EXPECT_TRUE(PortAcceptsConnections(b.Port()));
}

TEST(StandInTest, ServesControlsAndLogsOverLoopback) {
    pid_t pid;
    std::string folder;
    {
        StandIn platform;
        pid = platform.Pid();
        folder = platform.Folder();
        std::set<int> ports = {platform.ApiPort(), platform.RoutePort(), platform.AccountPort()};
        EXPECT_EQ(ports.size(), 3u);
        EXPECT_EQ(platform.ApiHost(), "http://127.0.0.1:" + std::to_string(platform.ApiPort()));

        platform.ExportEnvironment();
        EXPECT_EQ(std::string(getenv("ZELVIO_ROUTE_HOST")), platform.RouteHost());
        EXPECT_EQ(std::string(getenv("ZELVIO_ACCOUNT_HOST")), platform.AccountHost());

        Json::Value account;
        account["username"] = "tester";
        account["password"] = "a b&c";
        account["roomid"] = "555";
        Json::Value added = platform.Control("account", account);
        EXPECT_EQ(added["dataresult"]["roomid"].asString(), "555");

        const std::string body = "username=tester&userpwd=a%20b%26c&clientversion=2.0";
        HttpReply login = HttpRequest("POST", platform.ApiHost() + "/Api/npushstream/nlogin", body,
                                      {"Content-Type: application/x-www-form-urlencoded"});
        ASSERT_TRUE(login.ok) << login.error;
        EXPECT_NE(login.body.find("\"success\": \"true\""), std::string::npos) << login.body;

        Json::Value script;
        script["path"] = "/room/geturl";
        script["status"] = 500;
        script["body"] = "broken";
        platform.Control("script", script);
        HttpReply geturl = HttpRequest("GET", platform.RouteHost() + "/room/geturl?id=555&ver=", {},
                                       {}, "q7vx:k3Vq8ZrT1wN");
        EXPECT_EQ(geturl.status, 500);
        EXPECT_EQ(geturl.body, "broken");

        Json::Value log = platform.Requests();
        ASSERT_EQ(log.size(), 2u);
        EXPECT_EQ(log[0]["body"].asString(), body);
        EXPECT_EQ(log[1]["query"].asString(), "id=555&ver=");
        EXPECT_EQ(log[1]["auth"]["user"].asString(), "q7vx");
        EXPECT_TRUE(log[1]["scripted"].asBool());
        EXPECT_EQ(platform.Errors().size(), 0u);

        HttpReply unknown = HttpRequest("GET", platform.RouteHost() + "/room/nothing");
        EXPECT_EQ(unknown.status, 404);
        ASSERT_EQ(platform.Errors().size(), 1u);
        EXPECT_NE(platform.Errors()[0]["error"].asString().find("unknown path"), std::string::npos);

        EXPECT_THROW(platform.Control("no-such-command"), std::runtime_error);
        Json::Value bad;
        bad["path"] = "no-slash";
        EXPECT_THROW(platform.Control("script", bad), std::runtime_error);
    }
    EXPECT_NE(kill(pid, 0), 0);  // terminated and reaped
    EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST(StandInTest, PushAddressLeadsToARecordingOnTheIngest) {
    Ingest ingest;
    StandInOptions options;
    options.rtmpPort = ingest.Port();
    StandIn platform(options);
    HttpReply geturl = HttpRequest("GET", platform.RouteHost() + "/room/geturl?id=10001&ver=2.0.1",
                                   {}, {}, "q7vx:k3Vq8ZrT1wN");
    Json::Value reply;
    Json::CharReaderBuilder builder;
    std::istringstream in(geturl.body);
    ASSERT_TRUE(Json::parseFromStream(builder, in, &reply, nullptr)) << geturl.body;
    ASSERT_TRUE(reply["result"].asBool());
    const std::string url = reply["url"].asString();
    ASSERT_EQ(url.rfind(ingest.PushUrl("live", ""), 0), 0u) << url;

    CommandResult push = PushTestStream(url, 1.0);
    ASSERT_EQ(push.exitCode, 0) << push.output << ingest.Log();
    std::vector<std::string> files = ingest.Recordings("live");
    ASSERT_EQ(files.size(), 1u);
    const std::string key = url.substr(url.rfind('/') + 1);
    EXPECT_NE(files[0].find("/" + key + "-"), std::string::npos) << files[0];
    EXPECT_EQ(Ffprobe(files[0])["streams"].size(), 2u);
}

TEST(StandInTest, StartFailureThrowsWithTheReason) {
    StandInOptions options;
    options.extraArgs = {"--password", "short"};  // refused: not 11 characters
    try {
        StandIn platform(options);
        FAIL() << "a stand-in with a bad option started";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("11 characters"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace zvtest
