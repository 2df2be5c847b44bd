// The updater's check and download tasks against the platform stand-in, on
// the real worker, with their results arriving through the UI hand-over.
#include <glib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "platform/main_loop.h"
#include "support/process.h"
#include "support/standin.h"
#include "update_tasks.h"

namespace zu = zv::updater;
using namespace std::chrono_literals;

namespace {

// Collects what the tasks post; lives on the test's (UI) thread.
class Sink : public zu::UpdateSink {
public:
    void OnCheckResult(const zu::Offer& offer) override {
        offer_ = offer;
        checked_ = true;
    }
    void OnDownloadResult(bool ok) override {
        ok_ = ok;
        downloaded_ = true;
    }
    void OnProgress(int32_t total, int32_t received) override {
        progress_.push_back({total, received, std::chrono::steady_clock::now()});
    }
    struct Progress {
        int32_t total, received;
        std::chrono::steady_clock::time_point at;
    };
    zu::Offer offer_;
    bool checked_ = false, downloaded_ = false, ok_ = false;
    std::vector<Progress> progress_;
};

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

class UpdateTasks : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platform_ = new zvtest::StandIn(); }
    static void TearDownTestSuite() {
        delete platform_;
        platform_ = nullptr;
    }
    void SetUp() override {
        platform_->Control("reset");
        data_ = zvtest::MakeTempFolder("zvupdata");
    }
    void TearDown() override { zvtest::RemoveTree(data_); }

    Json::Value Offer(const Json::Value& settings) {
        return platform_->Control("version", settings)["reply"];
    }

    zu::Offer Check(const std::string& installed = "2.0.1") {
        Sink sink;
        AsyncTask::Start(new zu::CheckVersion(&sink, platform_->RouteHost(), installed, data_));
        EXPECT_TRUE(zv::RunLoopUntil([&] { return sink.checked_; }, 30s));
        return sink.offer_;
    }

    // Runs a download of `offer`; returns the sink with everything posted.
    std::unique_ptr<Sink> Fetch(const zu::Offer& offer, long stallSeconds = 30,
                                std::shared_ptr<zu::DownloadControl> control = nullptr) {
        auto sink = std::make_unique<Sink>();
        if (!control) {
            control = std::make_shared<zu::DownloadControl>();
        }
        AsyncTask::Start(new zu::Download(sink.get(), offer, control, stallSeconds));
        EXPECT_TRUE(zv::RunLoopUntil([&] { return sink->downloaded_; }, 60s));
        return sink;
    }

    static zvtest::StandIn* platform_;
    std::string data_;
};

zvtest::StandIn* UpdateTasks::platform_ = nullptr;

TEST_F(UpdateTasks, CheckPreparesTheInstallerPath) {
    Json::Value v;
    v["version"] = "2.1.0";
    Offer(v);
    const zu::Offer offer = Check();
    ASSERT_TRUE(offer.offered);
    EXPECT_EQ(offer.latestVersion, "2.1.0");
    EXPECT_EQ(offer.installerPath, data_ + "/ZvUpdator/download/ZelvioSetup-2.1.0.exe");
    EXPECT_TRUE(Exists(data_ + "/ZvUpdator/download"));
    EXPECT_EQ(offer.sha256.size(), 64u);
    const Json::Value requests = platform_->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["query"].asString(), "type=windows&ver=2.0.1");
    EXPECT_EQ(requests[0]["auth"]["user"].asString(), "q7vx");
    EXPECT_TRUE(requests[0]["error"].isNull()) << requests[0]["error"].asString();

    // A query in the last segment stays in the file name.
    v["download"] = platform_->RouteHost() + "/get?file=setup.exe&t=1";
    Offer(v);
    EXPECT_EQ(Check().installerPath, data_ + "/ZvUpdator/download/get?file=setup.exe&t=1");
}

TEST_F(UpdateTasks, CheckRefusals) {
    Json::Value v;
    v["version"] = "2.1.0";
    v["code"] = 3;
    Offer(v);
    EXPECT_FALSE(Check().offered);
    v["code"] = 0;
    v["download"] = "setup.exe";
    Offer(v);
    EXPECT_FALSE(Check().offered);
    Json::Value omit;
    omit["download"] = Json::Value();
    omit["omit"].append("version");
    Offer(omit);
    EXPECT_FALSE(Check().offered);
    Json::Value broken;
    broken["path"] = "/checkversion";
    broken["body"] = "{\"code\":0,";
    platform_->Control("script", broken);
    EXPECT_FALSE(Check().offered);
    // Wrong credentials are answered 401 with a JSON refusal: no offer.
    Json::Value unauthorized;
    unauthorized["path"] = "/checkversion";
    unauthorized["status"] = 401;
    unauthorized["json"]["code"] = -1;
    platform_->Control("script", unauthorized);
    EXPECT_FALSE(Check().offered);
}

TEST_F(UpdateTasks, DownloadStreamsWithBoundedProgress) {
    Json::Value v;
    v["version"] = "2.1.0";
    v["size"] = 600000;
    v["throttle"] = 400000;  // about 1.5 s
    Offer(v);
    const zu::Offer offer = Check();
    ASSERT_TRUE(offer.offered);
    const auto sink = Fetch(offer);
    ASSERT_TRUE(sink->ok_);
    std::ifstream in(offer.installerPath, std::ios::binary | std::ios::ate);
    EXPECT_EQ(static_cast<long>(in.tellg()), 600000);
    ASSERT_FALSE(sink->progress_.empty());
    EXPECT_EQ(sink->progress_.back().total, 600000);
    EXPECT_EQ(sink->progress_.back().received, 600000);
    // At most about ten a second (the final figures may follow closely).
    const double seconds =
        std::chrono::duration<double>(sink->progress_.back().at - sink->progress_.front().at)
            .count();
    EXPECT_LE(sink->progress_.size(), static_cast<size_t>(seconds * 10 + 3));
    EXPECT_GE(sink->progress_.size(), 3u);
    for (size_t i = 1; i < sink->progress_.size(); ++i) {
        EXPECT_GE(sink->progress_[i].received, sink->progress_[i - 1].received);
    }
}

struct FailureCase {
    const char* name;
    std::function<void(zu::Offer&, zvtest::StandIn&)> arrange;
};

TEST_F(UpdateTasks, EveryFailureRemovesThePartialFile) {
    Json::Value v;
    v["version"] = "2.1.0";
    v["size"] = 200000;
    Offer(v);
    const zu::Offer good = Check();
    ASSERT_TRUE(good.offered);
    const FailureCase cases[] = {
        {"HTTP 404",
         [](zu::Offer& o, zvtest::StandIn& p) {
             o.downloadUrl = p.RouteHost() + "/download/none.exe";
         }},
        {"HTTP 500 with a body",
         [](zu::Offer&, zvtest::StandIn& p) {
             Json::Value s;
             s["path"] = "/download/ZelvioSetup-2.1.0.exe";
             s["status"] = 500;
             s["body"] = std::string(5000, 'e');
             p.Control("script", s);
         }},
        {"checksum mismatch",
         [](zu::Offer& o, zvtest::StandIn&) { o.sha256 = std::string(64, '0'); }},
        {"connection cut",
         [](zu::Offer&, zvtest::StandIn& p) {
             Json::Value s;
             s["version"] = "2.1.0";
             s["cut_after"] = 50000;
             p.Control("version", s);
         }},
        {"server gone",
         [](zu::Offer& o, zvtest::StandIn&) {
             o.downloadUrl = "http://127.0.0.1:" + std::to_string(zvtest::FreePort()) + "/s.exe";
         }},
    };
    for (const FailureCase& c : cases) {
        platform_->Control("reset");
        Offer(v);
        zu::Offer offer = good;
        c.arrange(offer, *platform_);
        // A stale file from before must not survive as "the installer".
        std::ofstream(offer.installerPath) << "old";
        const auto sink = Fetch(offer);
        EXPECT_FALSE(sink->ok_) << c.name;
        EXPECT_FALSE(Exists(offer.installerPath)) << c.name;
    }
}

TEST_F(UpdateTasks, StalledDownloadFails) {
    Json::Value v;
    v["version"] = "2.1.0";
    Offer(v);
    const zu::Offer offer = Check();
    Json::Value s;
    s["path"] = "/download/ZelvioSetup-2.1.0.exe";
    s["body"] = std::string(20000, 's');
    s["hang_after_bytes"] = 1000;
    platform_->Control("script", s);
    const auto started = std::chrono::steady_clock::now();
    const auto sink = Fetch(offer, 2);
    EXPECT_FALSE(sink->ok_);
    EXPECT_FALSE(Exists(offer.installerPath));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 15s);
}

TEST_F(UpdateTasks, FileThatCannotBeOpenedFails) {
    zu::Offer offer;
    offer.offered = true;
    offer.downloadUrl = platform_->RouteHost() + "/download/x.exe";
    offer.installerPath = data_ + "/missing/folder/x.exe";
    const auto sink = Fetch(offer);
    EXPECT_FALSE(sink->ok_);
    // Nothing was requested: the file is opened first.
    EXPECT_EQ(platform_->Requests().size(), 0u);
}

TEST_F(UpdateTasks, AddressWithoutFileNameFailsAndLeavesTheFolder) {
    // The last segment is empty: the installer path is the download folder
    // itself, which cannot be opened as a file and must not be removed.
    Json::Value v;
    v["version"] = "2.1.0";
    v["download"] = platform_->RouteHost() + "/download/";
    Offer(v);
    const zu::Offer offer = Check();
    ASSERT_TRUE(offer.offered);
    const std::string folder = data_ + "/ZvUpdator/download";
    ASSERT_EQ(offer.installerPath, folder);
    const auto sink = Fetch(offer);
    EXPECT_FALSE(sink->ok_);
    EXPECT_TRUE(Exists(folder));
}

TEST_F(UpdateTasks, CancelledDownloadStopsAndCleansUp) {
    Json::Value v;
    v["version"] = "2.1.0";
    v["size"] = 4000000;
    v["throttle"] = 100000;  // 40 s if not stopped
    Offer(v);
    const zu::Offer offer = Check();
    auto control = std::make_shared<zu::DownloadControl>();
    Sink sink;
    AsyncTask::Start(new zu::Download(&sink, offer, control, 30));
    ASSERT_TRUE(zv::RunLoopUntil(
        [&] { return !sink.progress_.empty() && sink.progress_.back().received > 0; }, 30s));
    control->Cancel();
    EXPECT_TRUE(control->WaitFinished(5000));
    ASSERT_TRUE(zv::RunLoopUntil([&] { return sink.downloaded_; }, 30s));
    EXPECT_FALSE(sink.ok_);
    EXPECT_FALSE(Exists(offer.installerPath));
}

}  // namespace
