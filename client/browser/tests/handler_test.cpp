// The browser side of the bridge: which messages a view's handler takes and
// what reaches its callback, including parameters of the wrong type.
#include <gtest/gtest.h>

#include <memory>

#include "browser_harness.h"
#include "web_view_handler.h"

namespace zvtest_browser {
namespace {

using zv::browser::WebViewHandler;

// Floating variants are sunk and released here, as a message would do.
bool Deliver(WebViewHandler& handler, const char* name, GVariant* parameters) {
    if (parameters) {
        g_variant_ref_sink(parameters);
    }
    const bool handled = handler.OnProcessMessageReceived(name, parameters);
    if (parameters) {
        g_variant_unref(parameters);
    }
    return handled;
}

TEST(WebViewHandler, TakesTheTwoNoticesAndHandsThemOver) {
    RecordingCallback cb;
    auto handler = std::make_shared<WebViewHandler>(&cb);
    EXPECT_TRUE(Deliver(*handler, "updateOnlineCount", g_variant_new_int32(42)));
    EXPECT_TRUE(Deliver(*handler, "updateOnlineCount", g_variant_new_int32(-1)));
    EXPECT_TRUE(Deliver(*handler, "kickout", g_variant_new_string("因违规被踢出")));
    // Wrong parameter types read as 0 and empty text rather than failing.
    EXPECT_TRUE(Deliver(*handler, "updateOnlineCount", g_variant_new_string("42")));
    EXPECT_TRUE(Deliver(*handler, "updateOnlineCount", nullptr));
    EXPECT_TRUE(Deliver(*handler, "kickout", g_variant_new_int32(7)));
    EXPECT_TRUE(Deliver(*handler, "kickout", nullptr));
    EXPECT_EQ(cb.counts, (std::vector<int32_t>{42, -1, 0, 0}));
    EXPECT_EQ(cb.kickouts, (std::vector<std::u16string>{u"因违规被踢出", u"", u""}));
}

TEST(WebViewHandler, LeavesOtherMessagesAlone) {
    RecordingCallback cb;
    auto handler = std::make_shared<WebViewHandler>(&cb);
    EXPECT_FALSE(Deliver(*handler, "UpdateOnlineCount", g_variant_new_int32(1)));
    EXPECT_FALSE(Deliver(*handler, "Kickout", g_variant_new_string("x")));
    EXPECT_FALSE(Deliver(*handler, "notify", g_variant_new_int32(1)));
    EXPECT_FALSE(Deliver(*handler, "", nullptr));
    EXPECT_FALSE(Deliver(*handler, nullptr, nullptr));
    EXPECT_TRUE(cb.counts.empty());
    EXPECT_TRUE(cb.kickouts.empty());
}

TEST(WebViewHandler, WithoutCallbackTakesTheNoticesAndDropsThem) {
    auto handler = std::make_shared<WebViewHandler>(nullptr);
    EXPECT_TRUE(Deliver(*handler, "updateOnlineCount", g_variant_new_int32(5)));
    EXPECT_TRUE(Deliver(*handler, "kickout", g_variant_new_string("x")));
    EXPECT_FALSE(Deliver(*handler, "other", nullptr));
    handler->OnAfterCreated(nullptr);  // nothing to report to, nothing happens
}

TEST(WebViewHandler, LongKickoutTextArrivesWhole) {
    RecordingCallback cb;
    auto handler = std::make_shared<WebViewHandler>(&cb);
    std::string text;
    for (int i = 0; i < 200000; ++i) {
        text += "踢𠀀";  // a 3-byte and a 4-byte (surrogate pair) character
    }
    EXPECT_TRUE(Deliver(*handler, "kickout", g_variant_new_string(text.c_str())));
    ASSERT_EQ(cb.kickouts.size(), 1u);
    EXPECT_EQ(cb.kickouts[0].size(), 200000u * 3);
    EXPECT_EQ(cb.kickouts[0].substr(0, 3), u"踢𠀀");
}

}  // namespace
}  // namespace zvtest_browser
