// The login, room-control and picture exchanges against the platform
// stand-in over loopback HTTP, on the real background worker.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <glib.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "login_record.h"
#include "platform/registry.h"
#include "platform/utf.h"
#include "support/process.h"
#include "support/standin.h"
#include "web_login.h"
#include "web_room.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kUnreadableText = "<unreadable>";

struct Event {
    std::string kind;  // "webapi", "headicon", "logo", "done"
    std::string action;
    bool ok = false;
    std::string text;
    int32_t position = 0, width = 0, height = 0;
};

// Records what the tasks report, from the worker thread.
class RecordingReceiver : public zv::WebEventReceiver {
public:
    // An unreadable reply carries no text: it is recorded as kUnreadableText.
    void OnWebapiEvent(const zv::RoomResult& r) override {
        Add({"webapi", zv::RoomActionName(r.action), r.ok(),
             r.failure == zv::RoomFailure::kUnreadable ? kUnreadableText : r.text});
    }
    void SetHeadIcon(const std::string& path) override { Add({"headicon", "", true, path}); }
    void SetLogo(const std::string& path, int32_t position, int32_t width,
                 int32_t height) override {
        Add({"logo", "", true, path, position, width, height});
    }
    void Add(const Event& e) {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back(e);
        cv_.notify_all();
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.clear();
    }
    size_t CountOf(const std::string& kind) {
        std::lock_guard<std::mutex> lock(mutex_);
        size_t n = 0;
        for (const Event& e : events_) {
            n += e.kind == kind ? 1 : 0;
        }
        return n;
    }
    // Waits until `count` events of `kind` have arrived; returns all events.
    std::vector<Event> WaitFor(const std::string& kind, size_t count = 1) {
        std::unique_lock<std::mutex> lock(mutex_);
        cv_.wait_for(lock, 30s, [&] {
            size_t n = 0;
            for (const Event& e : events_) {
                n += e.kind == kind ? 1 : 0;
            }
            return n >= count;
        });
        return events_;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<Event> events_;
};

// A task that reports "done": everything queued before it has finished.
class Marker : public AsyncTask {
public:
    explicit Marker(RecordingReceiver& r) : r_(r) {}
    void Run() override { r_.Add({"done"}); }

private:
    RecordingReceiver& r_;
};

std::vector<Event> Drain(RecordingReceiver& receiver) {
    const size_t done = receiver.CountOf("done");
    AsyncTask::Start(new Marker(receiver));
    return receiver.WaitFor("done", done + 1);
}

// A login queues the pictures from its own Run, behind a marker queued
// beside it; the second marker comes after them.
std::vector<Event> DrainLogin(RecordingReceiver& receiver) {
    Drain(receiver);
    return Drain(receiver);
}

size_t Count(const std::vector<Event>& events, const std::string& kind) {
    size_t n = 0;
    for (const Event& e : events) {
        n += e.kind == kind ? 1 : 0;
    }
    return n;
}

const Event* Find(const std::vector<Event>& events, const std::string& kind) {
    for (const Event& e : events) {
        if (e.kind == kind) {
            return &e;
        }
    }
    return nullptr;
}

class WebExchange : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The registry lives under a private configuration folder; GLib reads
        // XDG_CONFIG_HOME once, so it is set before anything asks.
        configFolder_ = new std::string(zvtest::MakeTempFolder("zvwebcfg"));
        setenv("XDG_CONFIG_HOME", configFolder_->c_str(), 1);
        platform_ = new zvtest::StandIn();
    }
    static void TearDownTestSuite() {
        delete platform_;
        platform_ = nullptr;
        zvtest::RemoveTree(*configFolder_);
        delete configFolder_;
    }
    void SetUp() override {
        platform_->Control("reset");
        ASSERT_TRUE(zv::WriteRegistryValue("Version", "2.0.1"));
    }

    zv::LoginEndpoints Endpoints() const {
        return zv::LoginEndpoints::FromHosts(platform_->ApiHost(), platform_->RouteHost());
    }

    // Runs one login and waits until the task and what it queued have run.
    std::vector<Event> Login(const std::string& user, const std::string& password) {
        receiver_.Clear();
        record_.BeginAttempt(Endpoints(), user, password);
        AsyncTask::Start(new WebLogin(record_, &receiver_));
        return DrainLogin(receiver_);
    }

    void Script(const std::string& path, const Json::Value& settings) {
        Json::Value s = settings;
        s["path"] = path;
        platform_->Control("script", s);
    }

    Json::Value RequestsTo(const std::string& path) {
        Json::Value filter;
        filter["path"] = path;
        return platform_->Requests(filter);
    }

    static zvtest::StandIn* platform_;
    static std::string* configFolder_;
    zv::LoginRecord record_;
    RecordingReceiver receiver_;
};

zvtest::StandIn* WebExchange::platform_ = nullptr;
std::string* WebExchange::configFolder_ = nullptr;

std::string FileContents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Base64(const std::string& bytes) {
    gchar* text = g_base64_encode(reinterpret_cast<const guchar*>(bytes.data()), bytes.size());
    std::string out(text);
    g_free(text);
    return out;
}

// ---- login ------------------------------------------------------------------

TEST_F(WebExchange, LoginSendsTheExactFormAndFillsTheRecord) {
    const auto events = Login("主播 小明", "p&ss=w%rd 1");
    ASSERT_TRUE(record_.LoggedIn()) << record_.ErrorMessage();
    const Json::Value requests = RequestsTo("/Api/npushstream/nlogin");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["method"].asString(), "POST");
    EXPECT_EQ(requests[0]["body"].asString(),
              "username=%E4%B8%BB%E6%92%AD%20%E5%B0%8F%E6%98%8E&userpwd=p%26ss%3Dw%25rd%201"
              "&clientversion=2.0");
    EXPECT_TRUE(requests[0]["error"].isNull()) << requests[0]["error"].asString();
    EXPECT_EQ(platform_->Errors().size(), 0u);

    const zv::LoginReply r = record_.Reply();
    EXPECT_EQ(r.nickname, "小明");
    EXPECT_EQ(r.roomId, "10002");
    EXPECT_EQ(r.signature, "欢迎来到我的直播间");
    EXPECT_FALSE(r.allowRecord);
    EXPECT_EQ(r.logoUrl,
              "http://127.0.0.1:" + std::to_string(platform_->RoutePort()) + "/pic/logo.png");
    EXPECT_EQ(r.logoWidth, 200);
    EXPECT_EQ(r.logoHeight, 80);
    EXPECT_EQ(r.logoPosition, 1);
    EXPECT_EQ(record_.ErrorMessage(), "");

    // The pictures followed: avatar first, then the logo, in "zvtr*.png" files.
    ASSERT_EQ(Count(events, "headicon"), 1u);
    ASSERT_EQ(Count(events, "logo"), 1u);
    const std::string avatar = Find(events, "headicon")->text;
    const Event& logo = *Find(events, "logo");
    EXPECT_LT(Find(events, "headicon") - events.data(), Find(events, "logo") - events.data());
    for (const std::string& path : {avatar, logo.text}) {
        const std::string name = path.substr(path.rfind('/') + 1);
        EXPECT_EQ(name.rfind("zvtr", 0), 0u) << path;
        EXPECT_EQ(name.substr(name.size() - 4), ".png") << path;
    }
    EXPECT_EQ(zv::Utf8ToUtf16(avatar), record_.AvatarFile());
    EXPECT_EQ(zv::Utf8ToUtf16(logo.text), record_.LogoFile());
    EXPECT_EQ(logo.position, 1);
    EXPECT_EQ(logo.width, 200);
    EXPECT_EQ(logo.height, 80);
    int w = 0, h = 0;
    ASSERT_NE(gdk_pixbuf_get_file_info(avatar.c_str(), &w, &h), nullptr);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 64);
    // The logo is handed over as served, byte for byte.
    const auto served = zvtest::HttpRequest("GET", r.logoUrl);
    EXPECT_EQ(FileContents(logo.text), served.body);
}

TEST_F(WebExchange, SuccessAcceptedAsBooleanButNotAsOtherSpellings) {
    Json::Value accepted;
    accepted["json"]["success"] = true;
    accepted["json"]["dataresult"]["roomid"] = "77";
    Script("/Api/npushstream/nlogin", accepted);
    Login("zvtest", "zv-pass.123");
    EXPECT_TRUE(record_.LoggedIn());
    EXPECT_EQ(record_.Reply().roomId, "77");

    for (const Json::Value& success : {Json::Value("True"), Json::Value("1"), Json::Value(1)}) {
        Json::Value refused;
        refused["json"]["success"] = success;
        refused["json"]["errmsg"] = "拒绝";
        refused["json"]["dataresult"]["roomid"] = "88";
        Script("/Api/npushstream/nlogin", refused);
        Login("zvtest", "zv-pass.123");
        EXPECT_FALSE(record_.LoggedIn()) << success.toStyledString();
        EXPECT_EQ(record_.ErrorMessage(), "拒绝");
    }
    // A wrong password is the platform's own refusal.
    Login("zvtest", "wrong");
    EXPECT_FALSE(record_.LoggedIn());
    EXPECT_EQ(record_.ErrorMessage(), "用户名或密码错误");
}

TEST_F(WebExchange, SuccessWithoutDataresultGivesEmptyFieldsAndStillHandsOverTheLogo) {
    Json::Value bare;
    bare["json"]["success"] = "true";
    Script("/Api/npushstream/nlogin", bare);
    const auto events = Login("zvtest", "zv-pass.123");
    ASSERT_TRUE(record_.LoggedIn());
    const zv::LoginReply r = record_.Reply();
    EXPECT_EQ(r.roomId, "");
    EXPECT_EQ(r.logoUrl, "http:");
    EXPECT_EQ(r.logoWidth, 0);
    EXPECT_EQ(r.logoHeight, 0);
    EXPECT_FALSE(r.allowRecord);
    // No avatar address: no picture, no call. The logo call comes regardless,
    // with an empty file.
    EXPECT_EQ(Count(events, "headicon"), 0u);
    ASSERT_EQ(Count(events, "logo"), 1u);
    const Event& logo = *Find(events, "logo");
    EXPECT_FALSE(logo.text.empty());
    EXPECT_EQ(FileContents(logo.text), "");
    EXPECT_EQ(logo.width, 0);
}

TEST_F(WebExchange, UnreachableServerAndNonJsonBody) {
    zv::LoginEndpoints dead = zv::LoginEndpoints::FromHosts(
        "http://127.0.0.1:" + std::to_string(zvtest::FreePort()), platform_->RouteHost());
    record_.BeginAttempt(dead, "zvtest", "zv-pass.123");
    record_.SetFailure(zv::LoginFailure::kRefused, "stale");
    AsyncTask::Start(new WebLogin(record_, &receiver_));
    DrainLogin(receiver_);
    EXPECT_FALSE(record_.LoggedIn());
    EXPECT_EQ(record_.Failure(), zv::LoginFailure::kUnreadable);
    EXPECT_EQ(record_.ErrorMessage(), "");

    Json::Value page;
    page["status"] = 502;
    page["body"] = "<html>Bad Gateway 网关</html>";
    Script("/Api/npushstream/nlogin", page);
    Login("zvtest", "zv-pass.123");
    EXPECT_FALSE(record_.LoggedIn());
    EXPECT_EQ(record_.Failure(), zv::LoginFailure::kUnreadable);
    EXPECT_EQ(record_.ErrorMessage(), "<html>Bad Gateway 网关</html>");
}

TEST_F(WebExchange, PollerNeverSeesLoggedInBeforeTheFields) {
    std::atomic<bool> stop{false}, incomplete{false}, seen{false};
    record_.BeginAttempt(Endpoints(), "zvtest", "zv-pass.123");
    std::thread poller([&] {
        while (!stop) {
            if (record_.LoggedIn()) {
                seen = true;
                const zv::LoginReply r = record_.Reply();
                if (r.roomId != "10001" || r.nickname != "测试主播" || r.logoWidth != 200) {
                    incomplete = true;
                }
            }
        }
    });
    AsyncTask::Start(new WebLogin(record_, &receiver_));
    DrainLogin(receiver_);
    stop = true;
    poller.join();
    EXPECT_TRUE(seen);
    EXPECT_FALSE(incomplete);
}

// ---- pictures -----------------------------------------------------------------

TEST_F(WebExchange, WideAvatarBecomesTheCentredCircle) {
    // 200 x 100: red outside columns 50-149, blue inside.
    GdkPixbuf* p = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 200, 100);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            guchar* px = gdk_pixbuf_get_pixels(p) + y * gdk_pixbuf_get_rowstride(p) + x * 3;
            const bool inside = x >= 50 && x < 150;
            px[0] = inside ? 0 : 255;
            px[1] = 0;
            px[2] = inside ? 255 : 0;
        }
    }
    gchar* png = nullptr;
    gsize size = 0;
    ASSERT_TRUE(gdk_pixbuf_save_to_buffer(p, &png, &size, "png", nullptr, nullptr));
    g_object_unref(p);
    Json::Value avatar;
    avatar["body_b64"] = Base64(std::string(png, size));
    avatar["content_type"] = "image/png";
    g_free(png);
    Script("/pic/avatar.jpg", avatar);

    const auto events = Login("zvtest", "zv-pass.123");
    ASSERT_EQ(Count(events, "headicon"), 1u);
    GdkPixbuf* out = gdk_pixbuf_new_from_file(Find(events, "headicon")->text.c_str(), nullptr);
    ASSERT_NE(out, nullptr);
    ASSERT_TRUE(gdk_pixbuf_get_has_alpha(out));
    ASSERT_EQ(gdk_pixbuf_get_width(out), 64);
    auto at = [&](int x, int y) {
        return gdk_pixbuf_get_pixels(out) + y * gdk_pixbuf_get_rowstride(out) + x * 4;
    };
    for (auto [x, y] : {std::pair{0, 0}, {63, 0}, {0, 63}, {63, 63}}) {
        EXPECT_EQ(at(x, y)[3], 0);
    }
    EXPECT_EQ(at(32, 32)[3], 255);
    EXPECT_EQ(at(2, 32)[3], 255);
    EXPECT_GT(at(2, 32)[2], 240);  // the left edge of the circle is column 50's blue
    EXPECT_LT(at(2, 32)[0], 10);
    g_object_unref(out);
}

TEST_F(WebExchange, ErrorPageAsAvatarIsNotHandedOver) {
    Json::Value notFound;
    notFound["status"] = 404;
    notFound["body"] = "<html>404 Not Found</html>";
    Script("/pic/avatar.jpg", notFound);
    const auto events = Login("zvtest", "zv-pass.123");
    ASSERT_TRUE(record_.LoggedIn());
    EXPECT_EQ(Count(events, "headicon"), 0u);
    EXPECT_EQ(Count(events, "logo"), 1u);
    // The downloaded page stays in the avatar file, untouched.
    EXPECT_EQ(FileContents(zv::Utf16ToUtf8(record_.AvatarFile())), "<html>404 Not Found</html>");
}

// ---- room control ---------------------------------------------------------------

class RoomControl : public WebExchange {
protected:
    void SetUp() override {
        WebExchange::SetUp();
        Login("zvtest", "zv-pass.123");  // room 10001, recording allowed
        ASSERT_TRUE(record_.LoggedIn());
    }
    // Runs one task to completion and returns the events it caused.
    std::vector<Event> RunTask(AsyncTask* task) {
        room_.Clear();
        AsyncTask::Start(task);
        return Drain(room_);
    }
    RecordingReceiver room_;
};

TEST_F(RoomControl, UrlAndCredentials) {
    auto events = RunTask(new WebGetURL(record_, room_));
    Json::Value requests = RequestsTo("/room/geturl");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["query"].asString(), "id=10001&ver=2.0.1");
    EXPECT_EQ(requests[0]["auth"]["user"].asString(), "q7vx");
    EXPECT_EQ(requests[0]["auth"]["password"].asString(), "k3Vq8ZrT1wN");
    ASSERT_EQ(Count(events, "webapi"), 1u);
    const Event& e = *Find(events, "webapi");
    EXPECT_EQ(e.action, "geturl");
    EXPECT_TRUE(e.ok);
    EXPECT_EQ(e.text.rfind("rtmp://127.0.0.1:", 0), 0u) << e.text;

    // The version is read afresh; a missing one leaves "&ver=" at the end.
    std::ofstream(zv::RegistryFilePath(), std::ios::trunc) << "[Software\\Zelvio]\n";
    RunTask(new WebStopRecord(record_, room_));
    requests = RequestsTo("/room/stoprecord");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["query"].asString(), "id=10001&ver=");

    // Nothing is escaped: an "&" in the room id reaches the server as is.
    zv::LoginReply reply = record_.Reply();
    reply.roomId = "10001&x=1";
    record_.SetReply(reply);
    RunTask(new WebStartRecord(record_, room_));
    requests = RequestsTo("/room/startrecord");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["query"].asString(), "id=10001&x=1&ver=");
}

struct RoomRow {
    const char* name;
    Json::Value script;  // null: the stand-in's own answer
    bool ok[3];          // for geturl, startrecord, stoprecord
    // Expected messages for geturl, startrecord, stoprecord ("*": any non-empty).
    const char* messages[3];
};

TEST_F(RoomControl, EveryTaskThroughEveryOutcome) {
    Json::Value falseWithMessage, falseBare, trueBare, notJson;
    falseWithMessage["json"]["result"] = false;
    falseWithMessage["json"]["message"] = "房间已关闭";
    falseBare["json"]["result"] = false;
    trueBare["json"]["result"] = true;
    notJson["status"] = 500;
    notJson["body"] = "Internal Server Error";
    const RoomRow rows[] = {
        {"platform", Json::Value(), {true, true, true}, {"*", "", ""}},
        // Accepted without an address: nothing to push to.
        {"result true only", trueBare, {false, true, true}, {kUnreadableText, "", ""}},
        {"result false",
         falseWithMessage,
         {false, false, false},
         {"房间已关闭", "房间已关闭", "房间已关闭"}},
        // A refusal without a reason still says what failed.
        {"result false bare",
         falseBare,
         {false, false, false},
         {kUnreadableText, kUnreadableText, kUnreadableText}},
        {"not JSON",
         notJson,
         {false, false, false},
         {kUnreadableText, kUnreadableText, kUnreadableText}},
    };
    const char* paths[] = {"/room/geturl", "/room/startrecord", "/room/stoprecord"};
    const char* actions[] = {"geturl", "startrecord", "stoprecord"};
    for (const RoomRow& row : rows) {
        for (int i = 0; i < 3; ++i) {
            if (!row.script.isNull()) {
                Script(paths[i], row.script);
            }
            AsyncTask* task = i == 0   ? static_cast<AsyncTask*>(new WebGetURL(record_, room_))
                              : i == 1 ? static_cast<AsyncTask*>(new WebStartRecord(record_, room_))
                                       : static_cast<AsyncTask*>(new WebStopRecord(record_, room_));
            const auto events = RunTask(task);
            // Exactly one report per task.
            ASSERT_EQ(Count(events, "webapi"), 1u) << row.name << " " << actions[i];
            const Event& e = *Find(events, "webapi");
            EXPECT_EQ(e.action, actions[i]) << row.name;
            EXPECT_EQ(e.ok, row.ok[i]) << row.name << " " << actions[i];
            if (std::string(row.messages[i]) == "*") {
                EXPECT_FALSE(e.text.empty()) << row.name;
            } else {
                EXPECT_EQ(e.text, row.messages[i]) << row.name << " " << actions[i];
            }
        }
    }
}

TEST_F(RoomControl, DeadServerIsAnUnreadableReply) {
    record_.BeginAttempt(
        zv::LoginEndpoints::FromHosts(platform_->ApiHost(),
                                      "http://127.0.0.1:" + std::to_string(zvtest::FreePort())),
        "zvtest", "zv-pass.123");
    room_.Clear();
    AsyncTask::Start(new WebGetURL(record_, room_));
    AsyncTask::Start(new WebStartRecord(record_, room_));
    AsyncTask::Start(new WebStopRecord(record_, room_));
    const auto events = Drain(room_);
    ASSERT_EQ(Count(events, "webapi"), 3u);
    EXPECT_EQ(events[0].action, "geturl");
    EXPECT_EQ(events[0].text, kUnreadableText);
    EXPECT_EQ(events[1].action, "startrecord");
    EXPECT_EQ(events[1].text, kUnreadableText);
    EXPECT_EQ(events[2].action, "stoprecord");
    EXPECT_EQ(events[2].text, kUnreadableText);
    for (const Event& e : events) {
        if (e.kind == "webapi") {
            EXPECT_FALSE(e.ok);
        }
    }
}

}  // namespace
