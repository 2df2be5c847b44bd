// The page-to-client bridge end to end: pages call "notify" in a real
// WebKit web process and the notices reach the view's callback.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "browser_harness.h"
#include "platform/gtk_init.h"
#include "platform/main_loop.h"
#include "support/standin.h"

namespace zvtest_browser {
namespace {

using zv::browser::BrowserApp;
using zv::browser::ViewRect;
using namespace std::chrono_literals;

// One runtime and one window for the whole suite keeps the number of
// browser processes small.
class BridgeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(zv::InitGtk()) << "no display";
        platform_ = new zvtest::StandIn();
        folder_ = new TempFolder();
        app_ = new BrowserApp(TestOptions(folder_->Path()));
        ASSERT_TRUE(app_->Initialize());
        host_ = new HostWindow();
    }
    static void TearDownTestSuite() {
        delete host_;
        delete app_;
        delete folder_;
        delete platform_;
    }
    void TearDown() override {
        for (GtkWidget* area : areas_) {
            gtk_widget_destroy(area);
        }
    }

    // Serves `html` from the stand-in's route host; returns its address.
    static std::string Serve(const std::string& html, const std::string& role = "route") {
        static int serial = 0;
        Json::Value page;
        page["path"] = "/p/bridge" + std::to_string(++serial);
        page["html"] = html;
        page["role"] = role;
        return platform_->Control("page", page)["url"].asString();
    }

    // A new area with a view of `url` reporting to `callback`.
    GtkWidget* Open(const std::string& url, zv::browser::WebViewCallback* callback) {
        GtkWidget* area = host_->AddArea(0, 0, 400, 300);
        areas_.push_back(area);
        app_->CreateView(area, ViewRect{0, 0, 400, 300}, url, callback);
        return area;
    }
    GtkWidget* Show(const std::string& html, zv::browser::WebViewCallback* callback) {
        return Open(Serve(html), callback);
    }

    static zvtest::StandIn* platform_;
    static TempFolder* folder_;
    static BrowserApp* app_;
    static HostWindow* host_;
    std::vector<GtkWidget*> areas_;
};

zvtest::StandIn* BridgeTest::platform_ = nullptr;
TempFolder* BridgeTest::folder_ = nullptr;
BrowserApp* BridgeTest::app_ = nullptr;
HostWindow* BridgeTest::host_ = nullptr;

constexpr int kEnd = 987654;  // marker: every earlier notice of the page has arrived

TEST_F(BridgeTest, CountAndChineseReasonArriveOnTheUiThread) {
    RecordingCallback cb;
    Show(R"(<script>
        notify("updateOnlineCount", 42);
        notify("kickout", "您的直播间因违规已被关闭 🚫");
        notify("updateOnlineCount", 987654);
    </script>)",
         &cb);
    ASSERT_TRUE(zv::RunLoopUntil([&] { return cb.HasCount(kEnd); }, 20s, zv::LoopWait::kBlock));
    EXPECT_EQ(cb.counts, (std::vector<int32_t>{42, kEnd}));
    ASSERT_EQ(cb.kickouts.size(), 1u);
    EXPECT_EQ(cb.kickouts[0], u"您的直播间因违规已被关闭 🚫");
    EXPECT_FALSE(cb.offThread);
}

TEST_F(BridgeTest, CallsOutsideTheRulesSendNothingAndReturnUndefined) {
    RecordingCallback cb;
    Show(R"(<script>
        var touched = false;
        var sneaky = { toString() { touched = true; return "kickout"; },
                       valueOf() { touched = true; return 42; } };
        var r = [];
        r.push(notify("updateOnlineCount"));
        r.push(notify("updateOnlineCount", 1, 2));
        r.push(notify());
        r.push(notify("UpdateOnlineCount", 5));
        r.push(notify("KICKOUT", "x"));
        r.push(notify("gift", 5));
        r.push(notify(sneaky, "x"));
        r.push(notify(new String("kickout"), "x"));
        r.push(notify("updateOnlineCount", 4.5));
        r.push(notify("updateOnlineCount", "42"));
        r.push(notify("updateOnlineCount", sneaky));
        r.push(notify("updateOnlineCount", new Number(3)));
        r.push(notify("updateOnlineCount", 2147483648));
        r.push(notify("kickout", 123));
        r.push(notify("kickout", sneaky));
        r.push(notify("kickout", null));
        notify("kickout", r.every(function (x) { return x === undefined; })
                              ? "all undefined" : "a value came back");
        notify("kickout", touched ? "page code ran" : "page code untouched");
        notify("updateOnlineCount", 987654);
    </script>)",
         &cb);
    ASSERT_TRUE(zv::RunLoopUntil([&] { return cb.HasCount(kEnd); }, 20s, zv::LoopWait::kBlock));
    EXPECT_EQ(cb.counts, (std::vector<int32_t>{0, 0, 0, 0, 0, kEnd}));
    EXPECT_EQ(cb.kickouts, (std::vector<std::u16string>{u"", u"", u"", u"all undefined",
                                                        u"page code untouched"}));
}

TEST_F(BridgeTest, NotifyExistsForHeadScriptsAndAfterNavigation) {
    RecordingCallback cb;
    GtkWidget* area = Show(R"(<html><head><script>
        notify("updateOnlineCount", typeof notify === "function" ? 7 : -1);
    </script></head><body>page one</body></html>)",
                           &cb);
    ASSERT_TRUE(zv::RunLoopUntil([&] { return !cb.counts.empty(); }, 20s, zv::LoopWait::kBlock));
    EXPECT_EQ(cb.counts, std::vector<int32_t>{7});
    // A new document gets a new script context, and notify with it.
    webkit_web_view_load_uri(ViewIn(area),
                             Serve("<script>notify('updateOnlineCount', 8)</script>").c_str());
    ASSERT_TRUE(zv::RunLoopUntil([&] { return cb.counts.size() == 2; }, 20s, zv::LoopWait::kBlock));
    EXPECT_EQ(cb.counts, (std::vector<int32_t>{7, 8}));
}

TEST_F(BridgeTest, CallsFromFramesArrive) {
    RecordingCallback cb;
    // A frame of another origin (the API host's port), a same-document frame
    // with a nested one, and a frame of an opaque origin.
    const std::string foreign = Serve("<script>notify('updateOnlineCount', 13)</script>", "api");
    Show(R"(<iframe srcdoc="<script>notify('updateOnlineCount', 11)</script>
                <iframe srcdoc='<script>notify(&quot;kickout&quot;, &quot;嵌套&quot;)</script>'></iframe>"></iframe>
            <iframe src="data:text/html,<script>notify('updateOnlineCount', 12)</script>"></iframe>
            <iframe src=")" +
             foreign + R"("></iframe>)",
         &cb);
    // Notices of different frames may arrive in any order.
    ASSERT_TRUE(zv::RunLoopUntil(
        [&] {
            return cb.HasCount(11) && cb.HasCount(12) && cb.HasCount(13) && !cb.kickouts.empty();
        },
        20s, zv::LoopWait::kBlock));
    EXPECT_EQ(cb.counts.size(), 3u);
    EXPECT_EQ(cb.kickouts, std::vector<std::u16string>{u"嵌套"});
}

TEST_F(BridgeTest, ChatPageReportsAudienceAndKickout) {
    RecordingCallback chat;
    Open(platform_->RouteHost() + "/chat?roomid=8801", &chat);
    Open(platform_->RouteHost() + "/gift?roomid=8801", nullptr);  // notifies 9999
    ASSERT_TRUE(zv::RunLoopUntil([&] { return !chat.counts.empty(); }, 20s, zv::LoopWait::kBlock));
    Json::Value online;
    online["count"] = 42;
    platform_->Control("online", online);
    ASSERT_TRUE(zv::RunLoopUntil([&] { return chat.HasCount(42); }, 20s, zv::LoopWait::kBlock));
    Json::Value kick;
    kick["reason"] = "您的直播内容违反了平台规定";
    platform_->Control("kickout", kick);
    ASSERT_TRUE(
        zv::RunLoopUntil([&] { return !chat.kickouts.empty(); }, 20s, zv::LoopWait::kBlock));
    EXPECT_EQ(chat.kickouts, std::vector<std::u16string>{u"您的直播内容违反了平台规定"});
    EXPECT_FALSE(chat.HasCount(9999)) << "a notice of the gift view reached the chat's callback";
    EXPECT_FALSE(chat.offThread);
}

TEST_F(BridgeTest, PagesAreAskedForInChinese) {
    RecordingCallback cb;
    const std::string url = Serve("<script>notify('kickout', navigator.language)</script>");
    Open(url, &cb);
    ASSERT_TRUE(zv::RunLoopUntil([&] { return !cb.kickouts.empty(); }, 20s, zv::LoopWait::kBlock));
    EXPECT_EQ(cb.kickouts[0], u"zh-CN");
    Json::Value filter;
    filter["path"] = url.substr(url.find("/p/"));
    const Json::Value requests = platform_->Requests(filter);
    ASSERT_GE(requests.size(), 1u);
    EXPECT_EQ(requests[0]["headers"]["accept-language"].asString().rfind("zh-CN", 0), 0u)
        << requests[0]["headers"].toStyledString();
}

// Counts the user messages a view receives, before any handler sees them.
struct MessageCounter {
    static gboolean Hook(GSignalInvocationHint*, guint, const GValue* params, gpointer self) {
        auto* counter = static_cast<MessageCounter*>(self);
        if (g_value_get_object(&params[0]) == counter->view) {
            ++counter->received;
        }
        return TRUE;
    }
    static gboolean Unhandled(WebKitWebView*, WebKitUserMessage*, gpointer self) {
        ++static_cast<MessageCounter*>(self)->unhandled;
        return FALSE;
    }
    gpointer view = nullptr;
    int received = 0;
    int unhandled = 0;
};

TEST_F(BridgeTest, ViewWithoutCallbackReportsNothing) {
    RecordingCallback chat;
    GtkWidget* giftArea = Show(R"(<script>
        notify("updateOnlineCount", 5);
        notify("kickout", "礼物页");
        notify("updateOnlineCount", 6);
        document.title = "sent";
    </script>)",
                               nullptr);
    WebKitWebView* gift = ViewIn(giftArea);
    ASSERT_NE(gift, nullptr);
    MessageCounter counter;
    counter.view = gift;
    const guint signal = g_signal_lookup("user-message-received", WEBKIT_TYPE_WEB_VIEW);
    const gulong hook =
        g_signal_add_emission_hook(signal, 0, &MessageCounter::Hook, &counter, nullptr);
    // Runs only for messages the view's own handler left unhandled.
    g_signal_connect(gift, "user-message-received", G_CALLBACK(&MessageCounter::Unhandled),
                     &counter);
    Show("<script>notify('updateOnlineCount', 987654)</script>", &chat);
    const bool allArrived = zv::RunLoopUntil(
        [&] { return counter.received == 3 && chat.HasCount(kEnd); }, 20s, zv::LoopWait::kBlock);
    g_signal_remove_emission_hook(signal, hook);
    ASSERT_TRUE(allArrived) << "received " << counter.received;
    EXPECT_EQ(counter.unhandled, 0);
    EXPECT_EQ(chat.counts, std::vector<int32_t>{kEnd});
    EXPECT_TRUE(chat.kickouts.empty());
    EXPECT_EQ(chat.created.size(), 1u);
}

TEST_F(BridgeTest, HostilePagesCannotHurtTheClient) {
    RecordingCallback cb;
    Show(R"(<script>
        var big = "踢".repeat(3 * 1024 * 1024);   // 9 MB of UTF-8
        notify("kickout", big);
        String.prototype.toWellFormed = function () { return "replaced by the page"; };
        notify("kickout", "\uD800x\uDFFFy");       // lone surrogates
        notify("kickout", "ab\u0000cd");
        var deep = {};
        for (var i = 0; i < 100000; i++) { deep = { inner: deep }; }
        notify(deep, deep);
        notify("kickout", deep);
        var trap = new Proxy({}, { get() { throw new Error("trap"); } });
        var threw = false;
        try { notify("kickout", trap); notify(trap, trap); } catch (e) { threw = true; }
        notify("kickout", threw ? "threw" : "no throw");
        for (var n = 1; n <= 20000; n++) { notify("updateOnlineCount", n); }
        notify("updateOnlineCount", 987654);
    </script>)",
         &cb);
    ASSERT_TRUE(zv::RunLoopUntil([&] { return cb.HasCount(kEnd); }, 60s, zv::LoopWait::kBlock));
    ASSERT_EQ(cb.kickouts.size(), 6u);
    EXPECT_EQ(cb.kickouts[0].size(), 3u * 1024 * 1024);
    EXPECT_EQ(cb.kickouts[0].find_first_not_of(u'踢'), std::u16string::npos);
    EXPECT_EQ(cb.kickouts[1], u"\uFFFDx\uFFFDy");
    EXPECT_EQ(cb.kickouts[2], u"ab\uFFFDcd");  // zero-terminated for the window, nothing lost
    EXPECT_EQ(cb.kickouts[3], u"");
    EXPECT_EQ(cb.kickouts[4], u"");
    EXPECT_EQ(cb.kickouts[5], u"no throw");
    ASSERT_EQ(cb.counts.size(), 20001u);
    for (int32_t n = 1; n <= 20000; ++n) {
        ASSERT_EQ(cb.counts[n - 1], n) << "out of order or lost";
    }
}

}  // namespace
}  // namespace zvtest_browser
