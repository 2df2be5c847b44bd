// The preview under a real X server: a GTK window whose drawing area shows
// the composed picture (media clip with the logo in its corner), scaled into
// the area. The screenshot is kept as preview.png with ZV_KEEP_TEST_FILES.
#include <gtk/gtk.h>
#include <obs.h>

#include <cstdlib>

#include "engine_fixture.h"
#include "platform/gtk_init.h"
#include "platform/main_loop.h"
#include "support/standin.h"

namespace {

using namespace std::chrono_literals;
using zv::AVCore;

struct Rgb {
    int r, g, b;
};

Rgb PixelAt(GdkPixbuf* pixbuf, int x, int y) {
    const guchar* p = gdk_pixbuf_get_pixels(pixbuf) + y * gdk_pixbuf_get_rowstride(pixbuf) +
                      x * gdk_pixbuf_get_n_channels(pixbuf);
    return {p[0], p[1], p[2]};
}

bool Near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

std::string Str(Rgb c) {
    return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

class EnginePreview : public ::testing::Test {
protected:
    void SetUp() override {
        folder = zvtest::EngineTestFolder();
        ASSERT_TRUE(zv::InitGtk()) << "no display";
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        area = gtk_drawing_area_new();
        // libobs presents into the area's own X window; GTK must not paint it.
        gtk_widget_set_app_paintable(area, TRUE);
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        gtk_widget_set_double_buffered(area, FALSE);
        G_GNUC_END_IGNORE_DEPRECATIONS
        gtk_widget_set_size_request(area, 640, 360);
        gtk_container_add(GTK_CONTAINER(window), area);
        gtk_widget_show_all(window);
        zv::RunLoopUntil(
            [&] {
                return gtk_widget_get_mapped(area) && gtk_widget_get_allocated_width(area) == 640;
            },
            5s);
    }
    void TearDown() override {
        AVCore::Release();
        gtk_widget_destroy(window);
        zv::RunLoopFor(50ms);
    }

    GdkPixbuf* Screenshot(const std::string& name, int width = 640, int height = 360) {
        GdkPixbuf* shot =
            gdk_pixbuf_get_from_window(gtk_widget_get_window(area), 0, 0, width, height);
        if (shot)
            gdk_pixbuf_save(shot, (folder + "/" + name).c_str(), "png", nullptr, nullptr);
        return shot;
    }

    // A plain blue clip: easy to tell from the magenta logo.
    std::string BlueClip() {
        const std::string path = folder + "/blue.mp4";
        const auto r =
            zvtest::RunCommand({"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-f", "lavfi",
                                "-i", "color=c=0x2040C0:size=640x360:rate=25:duration=3", "-c:v",
                                "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", path},
                               60);
        EXPECT_EQ(r.exitCode, 0) << r.output;
        return path;
    }

    std::string folder;
    GtkWidget* window = nullptr;
    GtkWidget* area = nullptr;
    zvtest::RecordingSink sink;
};

TEST_F(EnginePreview, ShowsTheComposedPictureWithTheLogoInItsCorner) {
    // A plain blue clip and a magenta 200 x 80 logo: easy to tell apart.
    const std::string clip = BlueClip();
    const std::string logo = zvtest::MakePicture(folder, "preview-logo.png", 200, 80, "0xFF00FF");

    AVCore* core = AVCore::Instance();
    ASSERT_TRUE(core->Reset(area, 1280, 720, &sink));
    EXPECT_TRUE(core->HasPreview());
    core->SetMediaFile(clip.c_str(), true);
    core->SetLogo(logo.c_str(), 1, 200, 80);  // bottom left: (16, 624) on the canvas
    core->ShowMediaScene();

    const Rgb blue{0x20, 0x40, 0xC0}, magenta{0xFF, 0x00, 0xFF};
    // Canvas 1280 x 720 scaled into 640 x 360: the logo covers x 8..108,
    // y 312..352 of the area.
    GdkPixbuf* shot = nullptr;
    zv::RunLoopUntil(
        [&] {
            if (shot)
                g_object_unref(shot);
            shot = Screenshot("preview.png");
            return shot && Near(PixelAt(shot, 58, 332), magenta, 40) &&
                   Near(PixelAt(shot, 320, 180), blue, 40);
        },
        8s);
    ASSERT_NE(shot, nullptr);
    EXPECT_TRUE(Near(PixelAt(shot, 58, 332), magenta, 40)) << Str(PixelAt(shot, 58, 332));
    EXPECT_TRUE(Near(PixelAt(shot, 320, 180), blue, 40)) << Str(PixelAt(shot, 320, 180));
    // Just outside the logo (16-pixel margin, halved) is the clip again.
    EXPECT_TRUE(Near(PixelAt(shot, 4, 332), blue, 40)) << Str(PixelAt(shot, 4, 332));
    EXPECT_TRUE(Near(PixelAt(shot, 58, 356), blue, 40)) << Str(PixelAt(shot, 58, 356));
    EXPECT_TRUE(Near(PixelAt(shot, 112, 332), blue, 40)) << Str(PixelAt(shot, 112, 332));
    // The whole canvas is scaled in: the far corner shows the clip too.
    EXPECT_TRUE(Near(PixelAt(shot, 636, 4), blue, 40)) << Str(PixelAt(shot, 636, 4));
    g_object_unref(shot);

    // Top right: (1064, 16) on the canvas, centre (582, 28) in the area.
    core->SetLogo(logo.c_str(), 2, 200, 80);
    shot = nullptr;
    zv::RunLoopUntil(
        [&] {
            if (shot)
                g_object_unref(shot);
            shot = Screenshot("preview-top-right.png");
            return shot && Near(PixelAt(shot, 582, 28), magenta, 40) &&
                   Near(PixelAt(shot, 58, 332), blue, 40);
        },
        5s);
    ASSERT_NE(shot, nullptr);
    EXPECT_TRUE(Near(PixelAt(shot, 582, 28), magenta, 40)) << Str(PixelAt(shot, 582, 28));
    EXPECT_TRUE(Near(PixelAt(shot, 58, 332), blue, 40)) << Str(PixelAt(shot, 58, 332));
    g_object_unref(shot);
}

// The share of the canvas's frames the preview drew while `frames` more were
// rendered. Ticks and drawing happen once per rendered frame, however late
// the machine is, so the share does not depend on load.
double DrawnShare(AVCore& core, uint32_t frames) {
    const uint32_t total0 = obs_get_total_frames();
    const uint64_t drawn0 = core.PreviewFramesDrawn();
    zv::RunLoopUntil([&] { return obs_get_total_frames() - total0 >= frames; }, 30s);
    const uint32_t total = obs_get_total_frames() - total0;
    return total ? double(core.PreviewFramesDrawn() - drawn0) / total : 0.0;
}

TEST_F(EnginePreview, DrawsEverySecondFrameBeforeGoingLiveAndEveryFrameWhileLive) {
    AVCore* core = AVCore::Instance();
    ASSERT_TRUE(core->Reset(area, 1280, 720, &sink));
    core->SetMediaFile(BlueClip().c_str(), true);
    core->ShowMediaScene();
    const double idle = DrawnShare(*core, 40);
    EXPECT_NEAR(idle, 0.5, 0.05) << "not live";

    zvtest::Ingest ingest;
    ASSERT_TRUE(core->StartStreaming(ingest.PushUrl("live", "rate"), false, "", ""));
    ASSERT_TRUE(zv::RunLoopUntil([&] { return sink.Saw(zv::StreamState::Live); }, 15s))
        << sink.Describe();
    EXPECT_GE(DrawnShare(*core, 40), 0.95) << "live";

    core->StopStreaming();
    ASSERT_TRUE(zv::RunLoopUntil([&] { return sink.Saw(zv::StreamState::Stopped); }, 10s))
        << sink.Describe();
    EXPECT_NEAR(DrawnShare(*core, 40), 0.5, 0.05) << "stopped";
}

TEST_F(EnginePreview, DisplayFollowsTheWidgetSize) {
    const std::string clip = BlueClip();
    const std::string logo = zvtest::MakePicture(folder, "resize-logo.png", 200, 80, "0xFF00FF");
    gtk_widget_set_size_request(area, 320, 180);
    gtk_window_resize(GTK_WINDOW(window), 320, 180);
    ASSERT_TRUE(zv::RunLoopUntil([&] { return gtk_widget_get_allocated_width(area) == 320; }, 5s));

    AVCore* core = AVCore::Instance();
    ASSERT_TRUE(core->Reset(area, 1280, 720, &sink));
    core->SetMediaFile(clip.c_str(), true);
    core->SetLogo(logo.c_str(), 1, 200, 80);
    core->ShowMediaScene();
    const Rgb blue{0x20, 0x40, 0xC0}, magenta{0xFF, 0x00, 0xFF};
    // A quarter of the canvas: the logo's centre is at (29, 166).
    GdkPixbuf* shot = nullptr;
    zv::RunLoopUntil(
        [&] {
            if (shot)
                g_object_unref(shot);
            shot = Screenshot("preview-small.png", 320, 180);
            return shot && Near(PixelAt(shot, 29, 166), magenta, 40) &&
                   Near(PixelAt(shot, 160, 90), blue, 40);
        },
        8s);
    ASSERT_NE(shot, nullptr);
    EXPECT_TRUE(Near(PixelAt(shot, 29, 166), magenta, 40)) << Str(PixelAt(shot, 29, 166));
    EXPECT_TRUE(Near(PixelAt(shot, 316, 4), blue, 40)) << Str(PixelAt(shot, 316, 4));
    g_object_unref(shot);

    // Growing the widget rescales the whole canvas into it.
    gtk_window_resize(GTK_WINDOW(window), 640, 360);
    ASSERT_TRUE(zv::RunLoopUntil([&] { return gtk_widget_get_allocated_width(area) == 640; }, 5s));
    shot = nullptr;
    zv::RunLoopUntil(
        [&] {
            if (shot)
                g_object_unref(shot);
            shot = Screenshot("preview-grown.png");
            return shot && Near(PixelAt(shot, 58, 332), magenta, 40) &&
                   Near(PixelAt(shot, 29, 166), blue, 40);
        },
        8s);
    ASSERT_NE(shot, nullptr);
    EXPECT_TRUE(Near(PixelAt(shot, 58, 332), magenta, 40)) << Str(PixelAt(shot, 58, 332));
    EXPECT_TRUE(Near(PixelAt(shot, 29, 166), blue, 40)) << Str(PixelAt(shot, 29, 166));
    EXPECT_TRUE(Near(PixelAt(shot, 636, 4), blue, 40)) << Str(PixelAt(shot, 636, 4));
    g_object_unref(shot);
}

TEST_F(EnginePreview, WidgetWithoutItsOwnWindowGetsNoDisplayButAWorkingEngine) {
    GtkWidget* label = gtk_label_new("no window");
    AVCore* core = AVCore::Instance();
    EXPECT_TRUE(core->Reset(label, 1280, 720, &sink));
    EXPECT_FALSE(core->HasPreview());
    core->ShowVideoScene();
    obs_source_t* shown = obs_get_output_source(0);
    ASSERT_NE(shown, nullptr);
    EXPECT_STREQ(obs_source_get_name(shown), "video");
    obs_source_release(shown);
    gtk_widget_destroy(label);
}

TEST_F(EnginePreview, UnrealizedWidgetStopsThePreviewSafely) {
    AVCore* core = AVCore::Instance();
    ASSERT_TRUE(core->Reset(area, 1280, 720, &sink));
    core->ShowVideoScene();
    EXPECT_TRUE(core->HasPreview());
    zv::RunLoopFor(300ms);
    // The window goes before the engine: the display must let go of it.
    gtk_widget_destroy(window);
    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);  // for TearDown
    zv::RunLoopFor(500ms);
    EXPECT_FALSE(core->HasPreview());
    core->ShowMediaScene();
    zv::RunLoopFor(200ms);
    AVCore::Release();
}

}  // namespace
