// Page views in hosted areas: creation report, placement and resizing,
// replacement of the current client, pop-ups, unusable areas.
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

class ViewsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(zv::InitGtk()) << "no display";
        platform_ = new zvtest::StandIn();
        folder_ = new TempFolder();
        app_ = new BrowserApp(TestOptions(folder_->Path()));
        ASSERT_TRUE(app_->Initialize());
    }
    static void TearDownTestSuite() {
        delete app_;
        delete folder_;
        delete platform_;
    }

    static std::string Serve(const std::string& html) {
        static int serial = 0;
        Json::Value page;
        page["path"] = "/p/views" + std::to_string(++serial);
        page["html"] = html;
        return platform_->Control("page", page)["url"].asString();
    }

    static zvtest::StandIn* platform_;
    static TempFolder* folder_;
    static BrowserApp* app_;
    HostWindow host_;
};

zvtest::StandIn* ViewsTest::platform_ = nullptr;
TempFolder* ViewsTest::folder_ = nullptr;
BrowserApp* ViewsTest::app_ = nullptr;

GtkAllocation AllocationOf(GtkWidget* widget) {
    GtkAllocation a;
    gtk_widget_get_allocation(widget, &a);
    return a;
}

bool IsAt(GtkWidget* widget, int x, int y, int width, int height) {
    const GtkAllocation a = AllocationOf(widget);
    return a.x == x && a.y == y && a.width == width && a.height == height;
}

TEST_F(ViewsTest, ViewIsAChildOfItsAreaAndFollowsIt) {
    RecordingCallback cb;
    GtkWidget* area = host_.AddArea(20, 30, 400, 300);
    app_->CreateView(area, ViewRect{10, 20, 390, 280}, Serve("<p>视图</p>"), &cb);
    // The report comes later, from the main loop, exactly once.
    EXPECT_TRUE(cb.created.empty());
    ASSERT_TRUE(zv::RunLoopUntil([&] { return !cb.created.empty(); }, 20s, zv::LoopWait::kBlock));
    WebKitWebView* view = ViewIn(area);
    ASSERT_NE(view, nullptr);
    GtkWidget* widget = GTK_WIDGET(view);
    EXPECT_EQ(cb.created, std::vector<GtkWidget*>{widget});
    EXPECT_EQ(gtk_widget_get_parent(widget), area);
    // Natively too: the view's window lies inside the area's window.
    GdkWindow* areaWindow = gtk_widget_get_window(area);
    GdkWindow* w = gtk_widget_get_window(widget);
    while (w && w != areaWindow) {
        w = gdk_window_get_parent(w);
    }
    EXPECT_EQ(w, areaWindow);
    // The area has a window of its own, so the rectangle is in its coordinates.
    ASSERT_TRUE(
        zv::RunLoopUntil([&] { return IsAt(widget, 10, 20, 380, 260); }, 5s, zv::LoopWait::kBlock))
        << AllocationOf(widget).width << "x" << AllocationOf(widget).height;

    host_.ResizeArea(area, 640, 480);
    ASSERT_TRUE(
        zv::RunLoopUntil([&] { return IsAt(widget, 10, 20, 620, 440); }, 5s, zv::LoopWait::kBlock))
        << AllocationOf(widget).width << "x" << AllocationOf(widget).height;
    host_.ResizeArea(area, 200, 150);
    ASSERT_TRUE(
        zv::RunLoopUntil([&] { return IsAt(widget, 10, 20, 180, 110); }, 5s, zv::LoopWait::kBlock))
        << AllocationOf(widget).width << "x" << AllocationOf(widget).height;
    zv::RunLoopFor(200ms, zv::LoopWait::kBlock);
    EXPECT_EQ(cb.created.size(), 1u);
}

TEST_F(ViewsTest, ViewInAnAreaWithoutItsOwnWindowIsPlacedInTheArea) {
    // A plain GtkFixed draws into its parent's window; the view must still
    // land at the rectangle relative to the area, not to the window.
    RecordingCallback cb;
    GtkWidget* area = host_.AddArea(50, 60, 300, 200);
    GtkWidget* inner = gtk_fixed_new();
    gtk_widget_set_size_request(inner, 300, 200);
    gtk_fixed_put(GTK_FIXED(area), inner, 0, 0);
    gtk_widget_show(inner);
    ASSERT_TRUE(zv::RunLoopUntil([&] { return gtk_widget_get_allocated_width(inner) == 300; }, 5s,
                                 zv::LoopWait::kBlock));
    app_->CreateView(inner, ViewRect{0, 0, 300, 200}, Serve("<p>x</p>"), &cb);
    WebKitWebView* view = ViewIn(inner);
    ASSERT_NE(view, nullptr);
    const GtkAllocation innerAt = AllocationOf(inner);
    ASSERT_TRUE(
        zv::RunLoopUntil([&] { return IsAt(GTK_WIDGET(view), innerAt.x, innerAt.y, 300, 200); }, 5s,
                         zv::LoopWait::kBlock));
}

// The main window creates its views when the toolkit lays their areas out,
// i.e. from inside the area's allocation.
TEST_F(ViewsTest, ViewCreatedWhileTheAreaIsAllocatedIsPlaced) {
    RecordingCallback cb;
    GtkWidget* area = host_.AddArea(0, 0, 300, 200);
    struct Pending {
        BrowserApp* app;
        RecordingCallback* cb;
        std::string url;
        bool done = false;
    } pending{app_, &cb, Serve("<p>布局中创建</p>")};
    g_signal_connect(
        area, "size-allocate", G_CALLBACK(+[](GtkWidget* a, GdkRectangle* r, gpointer data) {
            auto* p = static_cast<Pending*>(data);
            if (!p->done) {
                p->done = true;
                p->app->CreateView(a, ViewRect{0, 0, r->width, r->height}, p->url, p->cb);
            }
        }),
        &pending);
    host_.ResizeArea(area, 320, 220);
    ASSERT_TRUE(
        zv::RunLoopUntil([&] { return pending.done && ViewIn(area); }, 5s, zv::LoopWait::kBlock));
    GtkWidget* view = GTK_WIDGET(ViewIn(area));
    EXPECT_TRUE(
        zv::RunLoopUntil([&] { return IsAt(view, 0, 0, 320, 220); }, 5s, zv::LoopWait::kBlock))
        << AllocationOf(view).width << "x" << AllocationOf(view).height;
}

TEST_F(ViewsTest, SecondViewReplacesTheClientButNotTheFirstView) {
    RecordingCallback first;
    RecordingCallback second;
    GtkWidget* a1 = host_.AddArea(0, 0, 300, 200);
    GtkWidget* a2 = host_.AddArea(320, 0, 300, 200);
    app_->CreateView(a1, ViewRect{0, 0, 300, 200}, Serve("<p>一</p>"), &first);
    std::weak_ptr<zv::browser::WebViewHandler> firstClient = app_->CurrentClient();
    ASSERT_FALSE(firstClient.expired());
    EXPECT_EQ(firstClient.lock()->Callback(), &first);
    app_->CreateView(a2, ViewRect{0, 0, 300, 200}, Serve("<p>二</p>"), &second);
    EXPECT_EQ(app_->CurrentClient()->Callback(), &second);
    // The first view keeps its own client alive and keeps reporting to it.
    EXPECT_FALSE(firstClient.expired());
    ASSERT_TRUE(
        zv::RunLoopUntil([&] { return first.created.size() == 1 && second.created.size() == 1; },
                         20s, zv::LoopWait::kBlock));
    ASSERT_NE(ViewIn(a1), nullptr);
    RunScript(ViewIn(a1), "notify('updateOnlineCount', 5)");
    RunScript(ViewIn(a2), "notify('updateOnlineCount', 6)");
    ASSERT_TRUE(zv::RunLoopUntil([&] { return first.HasCount(5) && second.HasCount(6); }, 20s,
                                 zv::LoopWait::kBlock));
    EXPECT_EQ(first.counts, std::vector<int32_t>{5});
    EXPECT_EQ(second.counts, std::vector<int32_t>{6});
    // Destroying the first area takes its view and, with it, its client.
    gtk_widget_destroy(a1);
    EXPECT_TRUE(firstClient.expired());
}

// The top-level windows that hold a web view, other than `except`.
std::vector<GtkWidget*> PopupWindows(GtkWidget* except) {
    std::vector<GtkWidget*> found;
    GList* tops = gtk_window_list_toplevels();
    for (GList* l = tops; l; l = l->next) {
        GtkWidget* top = GTK_WIDGET(l->data);
        if (top == except || !gtk_widget_get_visible(top) || !GTK_IS_BIN(top)) {
            continue;
        }
        if (GtkWidget* child = gtk_bin_get_child(GTK_BIN(top));
            child && WEBKIT_IS_WEB_VIEW(child)) {
            found.push_back(top);
        }
    }
    g_list_free(tops);
    return found;
}

TEST_F(ViewsTest, PopupGetsItsOwnTopLevelWindow) {
    RecordingCallback cb;
    GtkWidget* area = host_.AddArea(0, 0, 300, 200);
    const std::string popup = Serve("<p>弹出</p><script>notify('updateOnlineCount', 55)</script>");
    app_->CreateView(
        area, ViewRect{0, 0, 300, 200},
        Serve("<script>window.open('" + popup + "', 'pop', 'width=320,height=240')</script>"), &cb);
    ASSERT_TRUE(zv::RunLoopUntil([&] { return PopupWindows(host_.Window()).size() == 1; }, 20s,
                                 zv::LoopWait::kBlock));
    GtkWidget* top = PopupWindows(host_.Window())[0];
    EXPECT_TRUE(gtk_widget_is_toplevel(top));
    EXPECT_NE(gtk_widget_get_toplevel(GTK_WIDGET(ViewIn(area))), top);
    // The pop-up's notices go to the client of the page that opened it; its
    // creation is not reported as the view of the area.
    ASSERT_TRUE(zv::RunLoopUntil([&] { return cb.HasCount(55); }, 20s, zv::LoopWait::kBlock));
    EXPECT_EQ(cb.created.size(), 1u);
    EXPECT_EQ(cb.created[0], GTK_WIDGET(ViewIn(area)));
    // The page may close its pop-up again.
    RunScript(WEBKIT_WEB_VIEW(gtk_bin_get_child(GTK_BIN(top))), "window.close()");
    EXPECT_TRUE(zv::RunLoopUntil([&] { return PopupWindows(host_.Window()).empty(); }, 20s,
                                 zv::LoopWait::kBlock));
}

TEST_F(ViewsTest, AreaThatCannotHoldAViewGetsNone) {
    RecordingCallback cb;
    auto before = app_->CurrentClient();
    const size_t windows = app_->LiveWindows();
    GtkWidget* drawing = gtk_drawing_area_new();
    g_object_ref_sink(drawing);
    app_->CreateView(drawing, ViewRect{0, 0, 100, 100}, Serve("<p>x</p>"), &cb);
    app_->CreateView(nullptr, ViewRect{0, 0, 100, 100}, Serve("<p>x</p>"), &cb);
    zv::RunLoopFor(300ms, zv::LoopWait::kBlock);
    EXPECT_EQ(app_->CurrentClient(), before);
    EXPECT_EQ(app_->LiveWindows(), windows);
    EXPECT_TRUE(cb.created.empty());
    g_object_unref(drawing);
}

}  // namespace
}  // namespace zvtest_browser
