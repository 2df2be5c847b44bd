// The page-to-client bridge end to end: pages call "notify" in a real
// WebKit web process and the notices reach the view's callback.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "browser_harness.h"
#include "platform/utf.h"

namespace zvtest_browser {
namespace {

using zv::browser::BrowserApp;
using zv::browser::ViewRect;

// One runtime and one window for the whole suite keeps the number of
// browser processes small.
class BridgeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "no display";
        folder_ = new TempFolder();
        app_ = new BrowserApp(TestOptions(folder_->Path()));
        ASSERT_TRUE(app_->Initialize());
        host_ = new HostWindow();
    }
    static void TearDownTestSuite() {
        delete host_;
        delete app_;
        delete folder_;
    }
    void TearDown() override {
        for (GtkWidget* area : areas_) {
            gtk_widget_destroy(area);
        }
    }

    // A new area with a view of `html` reporting to `callback`.
    GtkWidget* Show(const std::string& html, zv::browser::WebViewCallback* callback) {
        GtkWidget* area = host_->AddArea(0, 0, 400, 300);
        areas_.push_back(area);
        app_->CreateView(area, ViewRect{0, 0, 400, 300}, DataUrl(html), callback);
        return area;
    }

    static TempFolder* folder_;
    static BrowserApp* app_;
    static HostWindow* host_;
    std::vector<GtkWidget*> areas_;
};

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
    ASSERT_TRUE(PumpUntil([&] { return cb.HasCount(kEnd); }));
    EXPECT_EQ(cb.counts, (std::vector<int32_t>{42, kEnd}));
    ASSERT_EQ(cb.kickouts.size(), 1u);
    EXPECT_EQ(cb.kickouts[0], u"您的直播间因违规已被关闭 🚫");
    EXPECT_FALSE(cb.offThread);
}

}  // namespace
}  // namespace zvtest_browser
