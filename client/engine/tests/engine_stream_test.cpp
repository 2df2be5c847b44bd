// Streaming to a real RTMP ingest (nginx) with real encoders, and the stream
// reports the sink hears: failed starts, reconnects, bounded stops.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <obs.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <optional>

#include <cstdlib>
#include <regex>
#include <string>

#include "engine_fixture.h"
#include "platform/main_loop.h"
#include "support/process.h"
#include "support/standin.h"

namespace {

using namespace std::chrono_literals;
using zv::AVCore;
using zv::StreamState;

std::string Newest(const std::vector<std::string>& files, const std::string& key) {
    std::string found;
    for (const std::string& f : files) {
        if (f.find("/" + key + "-") != std::string::npos)
            found = f;
    }
    return found;
}

long FileSize(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

// Mean and spread of a grey 64x36 thumbnail of the frame at `second`.
bool FrameStats(const std::string& file, double second, double& mean, double& spread) {
    const std::string out = zvtest::EngineTestFolder() + "/frame.gray";
    const auto r = zvtest::RunCommand(
        {"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-ss", std::to_string(second), "-i",
         file, "-frames:v", "1", "-vf", "scale=64:36,format=gray", "-f", "rawvideo", out},
        30);
    if (r.exitCode != 0)
        return false;
    FILE* f = fopen(out.c_str(), "rb");
    if (!f)
        return false;
    unsigned char px[64 * 36];
    const size_t n = fread(px, 1, sizeof px, f);
    fclose(f);
    if (n != sizeof px)
        return false;
    double sum = 0, sq = 0;
    for (unsigned char p : px) {
        sum += p;
        sq += static_cast<double>(p) * p;
    }
    mean = sum / n;
    spread = std::sqrt(sq / n - mean * mean);
    return true;
}

// The loudest sample of the file's sound in dBFS (volumedetect).
double MaxVolume(const std::string& file) {
    const auto r = zvtest::RunCommand({"ffmpeg", "-nostdin", "-hide_banner", "-i", file, "-vn",
                                       "-af", "volumedetect", "-f", "null", "-"},
                                      30);
    std::smatch m;
    static const std::regex re("max_volume: (-?[0-9.]+|-inf) dB");
    if (!std::regex_search(r.output, m, re) || m[1] == "-inf")
        return -1000;
    return std::stod(m[1]);
}

// A loopback port whose connections the kernel completes but nobody ever
// answers: the RTMP handshake waits forever.
class SilentListener {
public:
    // On `port`, or on a free one when 0.
    explicit SilentListener(int port = 0) {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        const int on = 1;
        setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<uint16_t>(port));
        socklen_t len = sizeof addr;
        if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
            listen(fd_, 8) != 0 ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
            throw std::runtime_error("no silent listener");
        }
        port_ = ntohs(addr.sin_port);
    }
    ~SilentListener() { close(fd_); }
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    std::string PushUrl(const std::string& key) const {
        return "rtmp://127.0.0.1:" + std::to_string(port_) + "/live/" + key;
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

class EngineStream : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = zvtest::EngineTestFolder();
        clip = zvtest::MakeClip(folder, "clip.mp4", 4.0);
        core = AVCore::Instance();
        ready = core->Reset(nullptr, 1280, 720, &sink);
        if (ready) {
            core->SetMediaFile(clip.c_str(), true);
            core->ShowMediaScene();
        }
    }
    static void TearDownTestSuite() { AVCore::Release(); }
    void SetUp() override {
        ASSERT_TRUE(ready) << "AVCore::Reset failed";
        mark = sink.statuses.size();
    }
    void TearDown() override {
        core->StopStreaming();
        zv::RunLoopUntil([] { return !zv::IsStreamActive(core->GetStreamStatus().state); }, 6s);
    }

    // Waits for `state` reported after `from`; its index or -1.
    int WaitFor(StreamState state, std::chrono::milliseconds timeout, size_t from) {
        int index = -1;
        zv::RunLoopUntil(
            [&] {
                index = sink.Find(state, from);
                return index >= 0;
            },
            timeout);
        return index;
    }
    int WaitFor(StreamState state, std::chrono::milliseconds timeout) {
        return WaitFor(state, timeout, mark);
    }
    // Media flowing: waits until the output has sent `seconds` more of video
    // (at 8000/1001 frames a second) than when called, however busy the
    // machine is.
    static bool WaitMediaSent(double seconds) {
        const long from = core->GetOutputStats().totalFrames;
        const auto frames = static_cast<long>(seconds * 8000 / 1001);
        return zv::RunLoopUntil([&] { return core->GetOutputStats().totalFrames >= from + frames; },
                                60s);
    }

    static inline std::string folder, clip;
    static inline AVCore* core = nullptr;
    static inline bool ready = false;
    static inline zvtest::RecordingSink sink;
    size_t mark = 0;
};

TEST_F(EngineStream, MediaSceneReachesTheIngestAsH264AndAac) {
    zvtest::Ingest ingest;
    ASSERT_TRUE(core->StartStreaming(ingest.PushUrl("live", "media"), false, "", ""));
    ASSERT_GE(WaitFor(StreamState::Live, 10s), 0) << sink.Describe();
    EXPECT_EQ(sink.statuses[mark].state, StreamState::Connecting) << sink.Describe();
    EXPECT_EQ(core->GetStreamStatus().state, StreamState::Live);
    ASSERT_TRUE(WaitMediaSent(6)) << "frames sent: " << core->GetOutputStats().totalFrames;
    core->StopStreaming();
    ASSERT_GE(WaitFor(StreamState::Stopped, 5s), 0) << sink.Describe();
    EXPECT_EQ(sink.Find(StreamState::Failed, mark), -1) << sink.Describe();

    const std::string file = Newest(ingest.Recordings("live"), "media");
    ASSERT_FALSE(file.empty()) << ingest.Log();
    const Json::Value probe = zvtest::Ffprobe(file);
    ASSERT_FALSE(probe.isNull());
    bool sawVideo = false, sawAudio = false;
    for (const Json::Value& s : probe["streams"]) {
        if (s["codec_type"].asString() == "video") {
            sawVideo = true;
            EXPECT_EQ(s["codec_name"].asString(), "h264");
            EXPECT_EQ(s["width"].asInt(), 1280);
            EXPECT_EQ(s["height"].asInt(), 720);
        } else if (s["codec_type"].asString() == "audio") {
            sawAudio = true;
            EXPECT_EQ(s["codec_name"].asString(), "aac");
            EXPECT_EQ(s["sample_rate"].asString(), "44100");
            EXPECT_EQ(s["channels"].asInt(), 1);
        }
    }
    EXPECT_TRUE(sawVideo);
    EXPECT_TRUE(sawAudio);

    // The picture is the clip's colour bars, not black; the sound is its tone.
    double mean = 0, spread = 0;
    ASSERT_TRUE(FrameStats(file, 2.0, mean, spread));
    EXPECT_GT(mean, 30.0);
    EXPECT_GT(spread, 20.0);
    EXPECT_GT(MaxVolume(file), -30.0);

    // The 4-second clip started playing before the stream and loops: the end
    // of a recording of more than 4 seconds still shows it.
    const double duration = std::stod(probe["format"]["duration"].asString());
    ASSERT_GT(duration, 4.5);
    ASSERT_TRUE(FrameStats(file, duration - 0.5, mean, spread));
    EXPECT_GT(spread, 20.0) << "picture at " << duration - 0.5 << " s";
}

TEST_F(EngineStream, ShortAddressIsRefusedAndAcceptedOnesAreSplitAtTheLastSlash) {
    obs_output_t* before = obs_get_output_by_name("main rtmp stream");
    EXPECT_FALSE(core->StartStreaming("rtmp:/k", false, "", ""));  // 7 characters
    obs_output_t* after = obs_get_output_by_name("main rtmp stream");
    EXPECT_EQ(before, after);  // nothing created or replaced
    obs_output_release(before);
    obs_output_release(after);
    zv::RunLoopFor(100ms);
    EXPECT_EQ(sink.statuses.size(), mark);

    // Accepted, split at the last '/' with the query kept in the key, and
    // then reported as failed since nothing listens there.
    zvtest::ClosedPort closed;
    const std::string server = "rtmp://127.0.0.1:" + std::to_string(closed.Port()) + "/live/";
    EXPECT_TRUE(core->StartStreaming(server + "ab?t=1&u=2", false, "", ""));
    obs_service_t* service = obs_get_service_by_name("our cloud");
    ASSERT_NE(service, nullptr);
    obs_data_t* settings = obs_service_get_settings(service);
    EXPECT_STREQ(obs_data_get_string(settings, "server"), server.c_str());
    EXPECT_STREQ(obs_data_get_string(settings, "key"), "ab?t=1&u=2");
    for (const char* key : {"server", "key", "use_auth", "username", "password"}) {
        EXPECT_TRUE(obs_data_has_user_value(settings, key)) << key;
    }
    EXPECT_FALSE(obs_data_get_bool(settings, "use_auth"));
    obs_data_release(settings);
    obs_service_release(service);
    EXPECT_GE(WaitFor(StreamState::Failed, 10s), 0) << sink.Describe();
    EXPECT_EQ(sink.Find(StreamState::Live, mark), -1) << sink.Describe();
}

TEST_F(EngineStream, NothingListeningIsReportedAsAFailedStart) {
    zvtest::ClosedPort closed;
    const int port = closed.Port();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(core->StartStreaming("rtmp://127.0.0.1:" + std::to_string(port) + "/live/none",
                                     false, "", ""));
    const int failed = WaitFor(StreamState::Failed, 5s);
    ASSERT_GE(failed, 0) << sink.Describe();
    EXPECT_EQ(sink.statuses[failed].code, OBS_OUTPUT_CONNECT_FAILED);
    EXPECT_STREQ(zv::StreamFailureKey(sink.statuses[failed].code), "s.stream.error.connect");
    EXPECT_EQ(sink.Find(StreamState::Live, mark), -1) << sink.Describe();
    EXPECT_EQ(sink.Find(StreamState::Reconnecting, mark), -1) << sink.Describe();
    EXPECT_LT(sink.times[failed] - started, 3s);
    EXPECT_EQ(core->GetStreamStatus().state, StreamState::Failed);
}

TEST_F(EngineStream, SecondStartReplacesTheFirstStream) {
    zvtest::Ingest ingest;
    ASSERT_TRUE(core->StartStreaming(ingest.PushUrl("live", "first"), false, "", ""));
    ASSERT_GE(WaitFor(StreamState::Live, 10s), 0) << sink.Describe();
    obs_output_t* first = obs_get_output_by_name("main rtmp stream");
    obs_weak_output_t* firstWeak = obs_output_get_weak_output(first);
    obs_weak_encoder_t* firstEncoder =
        obs_encoder_get_weak_encoder(obs_output_get_video_encoder(first));
    obs_weak_service_t* firstService = obs_service_get_weak_service(obs_output_get_service(first));
    obs_output_release(first);

    const size_t secondMark = sink.statuses.size();
    ASSERT_TRUE(core->StartStreaming(ingest.PushUrl("live", "second"), false, "", ""));
    // The first output, its encoders and service are gone: nothing is reused.
    obs_output_t* gone = obs_weak_output_get_output(firstWeak);
    EXPECT_EQ(gone, nullptr);
    obs_output_release(gone);
    obs_encoder_t* goneEncoder = obs_weak_encoder_get_encoder(firstEncoder);
    EXPECT_EQ(goneEncoder, nullptr);
    obs_encoder_release(goneEncoder);
    obs_service_t* goneService = obs_weak_service_get_service(firstService);
    EXPECT_EQ(goneService, nullptr);
    obs_service_release(goneService);
    obs_weak_output_release(firstWeak);
    obs_weak_encoder_release(firstEncoder);
    obs_weak_service_release(firstService);

    ASSERT_GE(WaitFor(StreamState::Live, 10s, secondMark), 0) << sink.Describe();
    // The old stream's end is not reported as this one's.
    EXPECT_EQ(sink.Find(StreamState::Stopped, secondMark), -1) << sink.Describe();
    EXPECT_EQ(sink.Find(StreamState::Failed, secondMark), -1) << sink.Describe();
    ASSERT_TRUE(WaitMediaSent(2));

    const std::string firstFile = Newest(ingest.Recordings("live"), "first");
    const std::string secondFile = Newest(ingest.Recordings("live"), "second");
    ASSERT_FALSE(firstFile.empty());
    ASSERT_FALSE(secondFile.empty());
    // Only the second stream still grows: by the time it has grown by a
    // second of media, the first would have too.
    const long firstSize = FileSize(firstFile), secondSize = FileSize(secondFile);
    ASSERT_TRUE(WaitMediaSent(1));
    EXPECT_TRUE(zv::RunLoopUntil([&] { return FileSize(secondFile) > secondSize; }, 20s));
    EXPECT_EQ(FileSize(firstFile), firstSize);
}

TEST_F(EngineStream, StopThenStartBuildsNewObjects) {
    zvtest::Ingest ingest;
    ASSERT_TRUE(core->StartStreaming(ingest.PushUrl("live", "again"), false, "", ""));
    ASSERT_GE(WaitFor(StreamState::Live, 10s), 0) << sink.Describe();
    core->StopStreaming();
    ASSERT_GE(WaitFor(StreamState::Stopped, 5s), 0) << sink.Describe();
    // Stopped objects stay stored until the next start.
    obs_encoder_t* video = obs_get_encoder_by_name("stream video x264 encoder");
    obs_encoder_t* audio = obs_get_encoder_by_name("stream audio aac encoder");
    ASSERT_NE(video, nullptr);
    ASSERT_NE(audio, nullptr);
    // libobs ends the encoders' capture on its own thread after the report.
    EXPECT_TRUE(zv::RunLoopUntil([&] { return !obs_encoder_active(video); }, 3s));
    obs_weak_encoder_t* oldVideo = obs_encoder_get_weak_encoder(video);
    obs_weak_encoder_t* oldAudio = obs_encoder_get_weak_encoder(audio);
    obs_encoder_release(video);
    obs_encoder_release(audio);

    const size_t again = sink.statuses.size();
    ASSERT_TRUE(core->StartStreaming(ingest.PushUrl("live", "again"), false, "", ""));
    for (obs_weak_encoder_t* weak : {oldVideo, oldAudio}) {
        obs_encoder_t* old = obs_weak_encoder_get_encoder(weak);
        EXPECT_EQ(old, nullptr);
        obs_encoder_release(old);
        obs_weak_encoder_release(weak);
    }
    ASSERT_GE(WaitFor(StreamState::Live, 10s, again), 0) << sink.Describe();
    obs_encoder_t* fresh = obs_get_encoder_by_name("stream video x264 encoder");
    ASSERT_NE(fresh, nullptr);
    EXPECT_TRUE(obs_encoder_active(fresh));
    obs_data_t* settings = obs_encoder_get_settings(fresh);
    EXPECT_STREQ(obs_data_get_string(settings, "rate_control"), "VBR");
    EXPECT_EQ(obs_data_get_int(settings, "bitrate"), 2800);
    EXPECT_EQ(obs_data_get_int(settings, "keyint_sec"), 4);
    EXPECT_EQ(obs_data_get_int(settings, "buffer_size"), 50);
    EXPECT_TRUE(obs_data_get_bool(settings, "use_bufsize"));
    obs_data_release(settings);
    obs_encoder_release(fresh);
}

TEST_F(EngineStream, LostIngestIsReportedAndRegained) {
    zvtest::Ingest ingest;
    ASSERT_TRUE(core->StartStreaming(ingest.PushUrl("live", "drop"), false, "", ""));
    ASSERT_GE(WaitFor(StreamState::Live, 10s), 0) << sink.Describe();
    ASSERT_TRUE(WaitMediaSent(3));
    ingest.Stop();
    const int reconnecting = WaitFor(StreamState::Reconnecting, 10s);
    ASSERT_GE(reconnecting, 0) << sink.Describe();
    EXPECT_GT(sink.statuses[reconnecting].retryDelaySec, 0);
    ingest.Start();
    ASSERT_GE(WaitFor(StreamState::Live, 20s, reconnecting), 0) << sink.Describe();
    EXPECT_EQ(sink.Find(StreamState::Failed, mark), -1) << sink.Describe();
    core->StopStreaming();
    EXPECT_GE(WaitFor(StreamState::Stopped, 5s), 0) << sink.Describe();
}

TEST_F(EngineStream, StopWhileReconnectingEndsPromptly) {
    zvtest::Ingest ingest;
    ASSERT_TRUE(core->StartStreaming(ingest.PushUrl("live", "stuck"), false, "", ""));
    ASSERT_GE(WaitFor(StreamState::Live, 10s), 0) << sink.Describe();
    ASSERT_TRUE(WaitMediaSent(3));
    ingest.Stop();
    const int reconnecting = WaitFor(StreamState::Reconnecting, 10s);
    ASSERT_GE(reconnecting, 0) << sink.Describe();

    const auto before = std::chrono::steady_clock::now();
    core->StopStreaming();
    const auto returned = std::chrono::steady_clock::now();
    EXPECT_LT(returned - before, 1s);
    const int stopped =
        WaitFor(StreamState::Stopped, std::chrono::milliseconds(AVCore::kStopGraceMs + 2000),
                static_cast<size_t>(reconnecting));
    ASSERT_GE(stopped, 0) << sink.Describe();
    EXPECT_LT(sink.times[stopped] - before, std::chrono::milliseconds(AVCore::kStopGraceMs + 1000));
    // Nothing more happens afterwards: no further reconnect attempts.
    const size_t after = sink.statuses.size();
    zv::RunLoopFor(1s);
    EXPECT_EQ(sink.statuses.size(), after) << sink.Describe();
}

TEST_F(EngineStream, StopWithAnUnresponsiveIngestIsBounded) {
    zvtest::Ingest ingest;
    ASSERT_TRUE(core->StartStreaming(ingest.PushUrl("live", "hung"), false, "", ""));
    ASSERT_GE(WaitFor(StreamState::Live, 10s), 0) << sink.Describe();
    ASSERT_TRUE(WaitMediaSent(3));
    // The ingest stops reading but keeps the connection open.
    std::ifstream pidFile(ingest.Folder() + "/nginx.pid");
    pid_t pid = 0;
    pidFile >> pid;
    ASSERT_GT(pid, 0);
    ASSERT_EQ(kill(pid, SIGSTOP), 0);
    zv::RunLoopFor(3s);

    const auto before = std::chrono::steady_clock::now();
    core->StopStreaming();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
    const int stopped =
        WaitFor(StreamState::Stopped, std::chrono::milliseconds(AVCore::kStopGraceMs + 2000));
    EXPECT_GE(stopped, 0) << sink.Describe();
    if (stopped >= 0) {
        EXPECT_LT(sink.times[stopped] - before,
                  std::chrono::milliseconds(AVCore::kStopGraceMs + 1000));
    }
    // A new start right away must not hang on the old output either.
    zvtest::Ingest other;
    const size_t again = sink.statuses.size();
    const auto restart = std::chrono::steady_clock::now();
    ASSERT_TRUE(core->StartStreaming(other.PushUrl("live", "after"), false, "", ""));
    EXPECT_LT(std::chrono::steady_clock::now() - restart, 2s);
    EXPECT_GE(WaitFor(StreamState::Live, 10s, again), 0) << sink.Describe();
    kill(pid, SIGCONT);
}

TEST_F(EngineStream, StopWhileConnectingToASilentIngestIsBounded) {
    SilentListener silent;
    ASSERT_TRUE(core->StartStreaming(silent.PushUrl("silent"), false, "", ""));
    zv::RunLoopFor(500ms);
    ASSERT_EQ(core->GetStreamStatus().state, StreamState::Connecting) << sink.Describe();

    const auto before = std::chrono::steady_clock::now();
    core->StopStreaming();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
    const int stopped =
        WaitFor(StreamState::Stopped, std::chrono::milliseconds(AVCore::kStopGraceMs + 2000));
    ASSERT_GE(stopped, 0) << sink.Describe();
    EXPECT_LT(sink.times[stopped] - before, std::chrono::milliseconds(AVCore::kStopGraceMs + 1000));
    EXPECT_EQ(sink.Find(StreamState::Live, mark), -1) << sink.Describe();

    // The next start is not held up by the abandoned connection attempt.
    zvtest::Ingest ingest;
    const size_t again = sink.statuses.size();
    const auto restart = std::chrono::steady_clock::now();
    ASSERT_TRUE(core->StartStreaming(ingest.PushUrl("live", "later"), false, "", ""));
    EXPECT_LT(std::chrono::steady_clock::now() - restart, 2s);
    EXPECT_GE(WaitFor(StreamState::Live, 10s, again), 0) << sink.Describe();
}

TEST_F(EngineStream, StopWhileReconnectingToASilentIngestIsBounded) {
    std::optional<zvtest::Ingest> ingest(std::in_place);
    const int port = ingest->Port();
    ASSERT_TRUE(core->StartStreaming(ingest->PushUrl("live", "mute"), false, "", ""));
    ASSERT_GE(WaitFor(StreamState::Live, 10s), 0) << sink.Describe();
    ASSERT_TRUE(WaitMediaSent(2));
    ingest.reset();
    const int reconnecting = WaitFor(StreamState::Reconnecting, 10s);
    ASSERT_GE(reconnecting, 0) << sink.Describe();
    // The next attempt reaches a server that never answers the handshake.
    SilentListener silent(port);
    zv::RunLoopFor(std::chrono::seconds(sink.statuses[reconnecting].retryDelaySec) + 1500ms);
    ASSERT_EQ(core->GetStreamStatus().state, StreamState::Reconnecting) << sink.Describe();

    const auto before = std::chrono::steady_clock::now();
    core->StopStreaming();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
    const int stopped =
        WaitFor(StreamState::Stopped, std::chrono::milliseconds(AVCore::kStopGraceMs + 2000),
                static_cast<size_t>(reconnecting));
    ASSERT_GE(stopped, 0) << sink.Describe();
    EXPECT_LT(sink.times[stopped] - before, std::chrono::milliseconds(AVCore::kStopGraceMs + 1000));
}

TEST_F(EngineStream, NewStartWhileConnectingToASilentIngestIsPrompt) {
    SilentListener silent;
    ASSERT_TRUE(core->StartStreaming(silent.PushUrl("silent"), false, "", ""));
    zv::RunLoopFor(500ms);
    ASSERT_EQ(core->GetStreamStatus().state, StreamState::Connecting) << sink.Describe();

    zvtest::Ingest ingest;
    const size_t again = sink.statuses.size();
    const auto restart = std::chrono::steady_clock::now();
    ASSERT_TRUE(core->StartStreaming(ingest.PushUrl("live", "replaced"), false, "", ""));
    EXPECT_LT(std::chrono::steady_clock::now() - restart, 2s);
    EXPECT_GE(WaitFor(StreamState::Live, 10s, again), 0) << sink.Describe();
}

TEST_F(EngineStream, UnusableAddressesAreRefusedWithTheirReasonAndNothingCreated) {
    // Each is refused before the output sees it: a port above 65535 would
    // otherwise go to the default port, an unclosed bracket crash the parser.
    const std::pair<std::string, const char*> cases[] = {
        {"abcdefgh", "s.stream.error.address.scheme"},
        {"http://127.0.0.1:1/live/key", "s.stream.error.address.scheme"},
        {"rtmp://127.0.0.1:99999/live/key", "s.stream.error.address.port"},
        {"rtmp://127.0.0.1:0/live/key", "s.stream.error.address.port"},
        {"rtmp:///////", "s.stream.error.address.host"},
        {"rtmp://bad host name/live/key", "s.stream.error.address.host"},
        {"rtmp://[]/live/key", "s.stream.error.address.host"},
        {"rtmp://[::1/live/key", "s.stream.error.address.host"},
        {"rtmp://[/key", "s.stream.error.address.host"},
        {"rtmp://" + std::string(300, 'h') + "/live/key", "s.stream.error.address.host"},
        {"rtmp://127.0.0.1/key", "s.stream.error.address.app"},
        {"rtmp://127.0.0.1/live/", "s.stream.error.address.key"},
        {std::string(5000, 'x') + "/" + std::string(5000, 'k'), "s.stream.error.address.scheme"},
        {"rtmp:/k", "s.stream.error.path"},
    };
    for (const auto& [address, key] : cases) {
        obs_output_t* before = obs_get_output_by_name("main rtmp stream");
        const size_t from = sink.statuses.size();
        EXPECT_FALSE(core->StartStreaming(address, false, "", "")) << address.substr(0, 40);
        EXPECT_STREQ(core->LastStartFailureKey(), key) << address.substr(0, 40);
        obs_output_t* after = obs_get_output_by_name("main rtmp stream");
        EXPECT_EQ(before, after) << address.substr(0, 40);
        obs_output_release(before);
        obs_output_release(after);
        zv::RunLoopFor(100ms);
        EXPECT_EQ(sink.statuses.size(), from) << address.substr(0, 40);
    }
}

TEST_F(EngineStream, UsableAddressesWithoutAnIngestEndAsFailedStarts) {
    // Ports this test holds closed, so the outcome does not depend on what
    // else listens on the machine.
    zvtest::ClosedPort plain;
    zvtest::ClosedPort tls;
    for (const std::string& address :
         {"rtmp://127.0.0.1:" + std::to_string(plain.Port()) + "/live/key",
          "rtmps://127.0.0.1:" + std::to_string(tls.Port()) + "/live/key"}) {
        const size_t from = sink.statuses.size();
        EXPECT_TRUE(core->StartStreaming(address, false, "", "")) << address;
        EXPECT_STREQ(core->LastStartFailureKey(), "") << address;
        const int failed = WaitFor(StreamState::Failed, 10s, from);
        ASSERT_GE(failed, 0) << address << ": " << sink.Describe();
        EXPECT_NE(sink.statuses[failed].code, 0) << address;
        EXPECT_EQ(sink.Find(StreamState::Live, from), -1) << address;
    }
}

}  // namespace
