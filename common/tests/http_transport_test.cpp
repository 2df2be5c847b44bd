// The transport's own behaviour over loopback HTTP: streaming to a sink, the
// limits that apply to streams and those that do not, aborting from the
// sink, status handling and requests that do not leak into each other. The
// client's in-memory exchanges are covered through WebApi in web_api_test.
#include "http_transport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/loopback_server.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using zvtest::LoopbackServer;
using zvtest::ReceivedRequest;

std::string Head(const std::string& status, size_t length) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(length) +
           "\r\nConnection: close\r\n\r\n";
}

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i % 251);
    }
    return bytes;
}

// Sends `bytes` in `blocks` pieces with a pause between them.
void SendInBlocks(int fd, const std::string& bytes, size_t blocks) {
    const size_t step = (bytes.size() + blocks - 1) / blocks;
    for (size_t at = 0; at < bytes.size(); at += step) {
        LoopbackServer::Send(fd, bytes.substr(at, step));
        std::this_thread::sleep_for(20ms);
    }
}

// Sends a few bytes every 50 ms until the client goes away or `limit` passes.
void Drip(int fd, std::chrono::seconds limit = 30s) {
    const auto end = Clock::now() + limit;
    const std::string block(10, 'd');
    while (Clock::now() < end &&
           ::send(fd, block.data(), block.size(), MSG_NOSIGNAL) == ssize_t(block.size())) {
        std::this_thread::sleep_for(50ms);
    }
}

class RecordingSink : public zv::HttpSink {
public:
    bool Write(const char* data, size_t size) override {
        body.append(data, size);
        return ++writes < refuseWrite;
    }
    bool Progress(int64_t total, int64_t received) override {
        progress.emplace_back(total, received);
        return !(refuseProgressOnceReceiving && received > 0);
    }
    std::string body;
    int writes = 0;
    int refuseWrite = INT_MAX;  // the write with this number refuses
    bool refuseProgressOnceReceiving = false;
    std::vector<std::pair<int64_t, int64_t>> progress;
};

TEST(HttpTransportStream, DeliversTheWholeBodyInOrderWithProgress) {
    const std::string body = Pattern(300000);
    LoopbackServer server([&](int fd, const ReceivedRequest&) {
        LoopbackServer::Send(fd, Head("200 OK", body.size()));
        SendInBlocks(fd, body, 10);
    });
    zv::HttpTransport transport;
    RecordingSink sink;
    const zv::HttpResult result = transport.Stream({.url = server.Url("/setup.exe")}, sink);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.announced, 300000);
    EXPECT_EQ(result.received, 300000);
    EXPECT_TRUE(result.error.empty());
    EXPECT_EQ(sink.body, body);
    ASSERT_FALSE(sink.progress.empty());
    bool sawTotal = false;
    for (size_t i = 0; i < sink.progress.size(); ++i) {
        const auto [total, received] = sink.progress[i];
        sawTotal |= total == 300000;
        EXPECT_LE(received, 300000);
        if (i > 0) {
            EXPECT_GE(received, sink.progress[i - 1].second);
        }
    }
    EXPECT_TRUE(sawTotal);
}

TEST(HttpTransportStream, ReplyCapAppliesToStringsOnly) {
    const std::string body = Pattern(50000);
    LoopbackServer server([&](int fd, const ReceivedRequest&) {
        LoopbackServer::Send(fd, Head("200 OK", body.size()) + body);
    });
    zv::HttpTransport transport;
    zv::HttpLimits limits;
    limits.replyBytes = 1000;
    transport.SetLimits(limits);

    RecordingSink sink;
    const zv::HttpResult streamed = transport.Stream({.url = server.Url("/big")}, sink);
    EXPECT_TRUE(streamed.ok) << streamed.error;
    EXPECT_EQ(sink.body, body);

    std::string reply;
    const zv::HttpResult fetched = transport.Fetch({.url = server.Url("/big")}, reply);
    EXPECT_FALSE(fetched.ok);
    EXPECT_LE(reply.size(), 1000u);
    EXPECT_NE(fetched.error.find("larger than 1000 bytes"), std::string::npos) << fetched.error;
}

TEST(HttpTransportStream, StalledStreamFailsAfterTheStallLimitKeepingWhatArrived) {
    std::atomic<bool> release{false};
    LoopbackServer server([&](int fd, const ReceivedRequest&) {
        LoopbackServer::Send(fd, Head("200 OK", 100000) + "partial");
        const auto end = Clock::now() + 30s;
        while (!release && Clock::now() < end) {
            std::this_thread::sleep_for(20ms);
        }
    });
    zv::HttpTransport transport;
    zv::HttpLimits limits;
    limits.connectSeconds = 2;
    limits.stallSeconds = 2;
    transport.SetLimits(limits);
    RecordingSink sink;
    const auto start = Clock::now();
    const zv::HttpResult result = transport.Stream({.url = server.Url("/stall")}, sink);
    const auto elapsed = Clock::now() - start;
    release = true;
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(sink.body, "partial");
    EXPECT_GE(elapsed, 1500ms);
}

TEST(HttpTransportStream, TotalLimitEndsATransferThatKeepsMoving) {
    LoopbackServer server([](int fd, const ReceivedRequest&) {
        LoopbackServer::Send(fd, Head("200 OK", 1000000));
        Drip(fd);
    });
    zv::HttpTransport transport;
    zv::HttpLimits limits;
    limits.totalSeconds = 1;
    transport.SetLimits(limits);
    RecordingSink sink;
    const auto start = Clock::now();
    const zv::HttpResult result = transport.Stream({.url = server.Url("/drip")}, sink);
    EXPECT_FALSE(result.ok);
    EXPECT_GE(Clock::now() - start, 900ms);
    EXPECT_FALSE(sink.body.empty());  // it was moving, not stalled
}

TEST(HttpTransportStream, SinkCanAbortFromWriteOrProgress) {
    struct Case {
        const char* name;
        int refuseWrite;
        bool refuseProgress;
    };
    LoopbackServer server([](int fd, const ReceivedRequest&) {
        LoopbackServer::Send(fd, Head("200 OK", 1000000));
        Drip(fd);
    });
    for (const Case& c :
         {Case{"write refuses", 1, false}, Case{"progress refuses", INT_MAX, true}}) {
        zv::HttpTransport transport;
        RecordingSink sink;
        sink.refuseWrite = c.refuseWrite;
        sink.refuseProgressOnceReceiving = c.refuseProgress;
        const auto start = Clock::now();
        const zv::HttpResult result = transport.Stream({.url = server.Url("/abort")}, sink);
        EXPECT_FALSE(result.ok) << c.name;
        EXPECT_FALSE(result.error.empty()) << c.name;
        EXPECT_LT(result.received, 1000000) << c.name;
        EXPECT_LT(Clock::now() - start, 10s) << c.name;  // not left to the stall limit
    }
}

TEST(HttpTransportStream, ErrorStatusFailsOnlyWhenAsked) {
    struct Case {
        const char* status;
        bool failOnErrorStatus;
        bool ok;
        long code;
        bool bodyKept;
    };
    const Case cases[] = {
        {"404 Not Found", true, false, 404, false},
        {"500 Internal Server Error", true, false, 500, false},
        {"404 Not Found", false, true, 404, true},
        {"200 OK", true, true, 200, true},
    };
    for (const Case& c : cases) {
        const std::string body(5000, 'e');
        LoopbackServer server([&](int fd, const ReceivedRequest&) {
            LoopbackServer::Send(fd, Head(c.status, body.size()) + body);
        });
        zv::HttpTransport transport;
        RecordingSink sink;
        const zv::HttpResult result = transport.Stream(
            {.url = server.Url("/f"), .failOnErrorStatus = c.failOnErrorStatus}, sink);
        const std::string label = std::string(c.status) + (c.failOnErrorStatus ? " (fail)" : "");
        EXPECT_EQ(result.ok, c.ok) << label;
        EXPECT_EQ(result.status, c.code) << label;
        EXPECT_EQ(sink.body, c.bodyKept ? body : std::string()) << label;
    }
}

TEST(HttpTransportRequests, OptionsOfOneRequestDoNotCarryOverToTheNext) {
    LoopbackServer server(
        [](int fd, const ReceivedRequest&) { LoopbackServer::Send(fd, Head("200 OK", 2) + "ok"); });
    zv::HttpTransport transport;
    std::string reply;
    ASSERT_TRUE(transport
                    .Fetch({.url = server.Url("/a"),
                            .post = true,
                            .body = "x=1",
                            .credentials = "u:p",
                            .failOnErrorStatus = true},
                           reply)
                    .ok);
    ASSERT_TRUE(transport.Fetch({.url = server.Url("/b")}, reply).ok);
    EXPECT_EQ(reply, "okok");  // appended, as the client's exchanges expect
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].head.rfind("POST /a HTTP/1.1", 0), 0u);
    EXPECT_NE(requests[0].head.find("Authorization: Basic"), std::string::npos);
    EXPECT_EQ(requests[0].body, "x=1");
    EXPECT_EQ(requests[1].head.rfind("GET /b HTTP/1.1", 0), 0u);
    EXPECT_EQ(requests[1].head.find("Authorization"), std::string::npos);
    EXPECT_TRUE(requests[1].body.empty());
}

TEST(HttpTransportRequests, NoServerMeansNoStatusAndAReason) {
    int port;
    {
        LoopbackServer probe([](int, const ReceivedRequest&) {});
        port = probe.Port();
    }
    zv::HttpTransport transport;
    RecordingSink sink;
    const zv::HttpResult result =
        transport.Stream({.url = "http://127.0.0.1:" + std::to_string(port) + "/x"}, sink);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.received, 0);
    EXPECT_FALSE(result.error.empty());
    EXPECT_TRUE(sink.body.empty());
}

}  // namespace
