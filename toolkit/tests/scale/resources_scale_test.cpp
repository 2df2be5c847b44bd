// 2× pictures from packages and files, and whole control trees painted and
// inspected at scale 2 (no display).
#include <fstream>

#include "controls/look_painter.h"
#include "draw/back_buffer.h"
#include "layout/layout.h"
#include "res/image.h"
#include "scale/scale_support.h"
#include "test_support.h"
#include "window/inspect.h"
#include "window/paint_tree.h"
#include "window/window.h"

namespace {

using namespace testing_support;
using scale_test::DevicePixel;

TEST(Name2x, GoesBeforeTheExtensionOfTheLastPart) {
    const std::pair<const char*, const char*> cases[] = {
        {"btn.png", "btn@2x.png"},
        {"art/btn.png", "art/btn@2x.png"},
        {"a.b/btn", "a.b/btn@2x"},  // a dot in a folder is no extension
        {"btn", "btn@2x"},
        {"strip.v2.png", "strip.v2@2x.png"},
        {".hidden", ".hidden@2x"},
        {"art/.hidden", "art/.hidden@2x"},
        {"", "@2x"},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(Res::Name2x(name), expected) << name;
    }
}

// A registry over a package of pictures: "one" with a fitting 2× picture,
// "odd" with a 2× picture of the wrong size, "bad" with an undecodable one,
// "lone" without any, and a strip with a 2× strip.
class Pictures2x : public ::testing::Test {
protected:
    void SetUp() override {
        const Entries entries = {
            {"resource.xml",
             ResourceXml(
                 Set("",
                     "<res id=\"i.one\" type=\"image\" stretch=\"stretch9\" ml=\"2\" "
                     "mr=\"2\" mt=\"2\" mb=\"2\">one.png</res>"
                     "<res id=\"i.odd\" type=\"image\">odd.png</res>"
                     "<res id=\"i.bad\" type=\"image\">bad.png</res>"
                     "<res id=\"i.lone\" type=\"image\">lone.png</res>"
                     "<res id=\"i.strip\" type=\"image\" count=\"4\">art/strip.png</res>"
                     "<res id=\"i.disk\" type=\"image\" localfile=\"true\">disk.png</res>"))},
            {"window.xml", "<windows/>"},
            {"one.png", Png(10, 6, 0xFF0000FFu)},
            {"one@2x.png", Png(20, 12, 0x00FF00FFu)},
            {"odd.png", Png(10, 6)},
            {"odd@2x.png", Png(21, 12)},
            {"bad.png", Png(10, 6)},
            {"bad@2x.png", "not a picture"},
            {"lone.png", Png(10, 6)},
            {"art/strip.png", Png(40, 10)},
            {"art/strip@2x.png", Png(80, 20)}};
        path = dir.file("p.dat");
        ASSERT_TRUE(WritePackage(path, entries));
        std::ofstream(dir.file("disk.png"), std::ios::binary) << Png(8, 8);
        std::ofstream(dir.file("disk@2x.png"), std::ios::binary) << Png(16, 16);
        ASSERT_TRUE(registry().loadMain(path, ""));
    }
    static Res::xResourceManager& registry() { return Res::xResourceManager::Instance(); }
    static Res::xImage* image(const char* id) { return registry().findAs<Res::xImage>(id); }

    RegistryReset reset;
    TempDir dir;
    std::string path;
};

TEST_F(Pictures2x, AreKeptOnlyWhenExactlyTwiceTheSize) {
    struct Case {
        const char* id;
        int width2x;  // 0: no 2× picture kept
    } cases[] = {{"i.one", 20}, {"i.odd", 0},    {"i.bad", 0},
                 {"i.lone", 0}, {"i.strip", 80}, {"i.disk", 16}};
    for (const Case& c : cases) {
        Res::xImage* img = image(c.id);
        ASSERT_NE(img, nullptr) << c.id;
        ASSERT_NE(img->image.get(), nullptr) << c.id << ": the 1× picture loads regardless";
        GdkPixbuf* sharp = img->picture2x();
        EXPECT_EQ(sharp ? gdk_pixbuf_get_width(sharp) : 0, c.width2x) << c.id;
    }
    // Frames and margins stay those of the 1× picture.
    EXPECT_EQ(image("i.strip")->frameWidth, 10);
    EXPECT_EQ(image("i.strip")->frameHeight, 10);
    EXPECT_EQ(image("i.one")->ml, 2);
}

TEST_F(Pictures2x, CopiesShareTheSharpPictureAndANewPictureDropsIt) {
    auto copy = image("i.one")->share(0);
    EXPECT_EQ(copy->image2x.get(), image("i.one")->image2x.get());
    EXPECT_EQ(copy->picture2x(), image("i.one")->picture2x()) << "decoded once for both";
    copy->setImage(Res::DecodePicture(std::vector<uint8_t>(10, 0)));  // an undecodable one
    EXPECT_FALSE(copy->image2x) << "a replaced picture takes no stale 2× one along";
    EXPECT_TRUE(image("i.one")->picture2x()) << "the registry's image keeps its own";
}

TEST_F(Pictures2x, AnOverlayPictureNeverPairsWithTheMainPackages2x) {
    const Entries overlay = {
        {"resource.xml", ResourceXml(Set("",
                                         "<res id=\"i.one\" type=\"image\">one.png</res>"
                                         "<res id=\"i.two\" type=\"image\">lone.png</res>"))},
        {"one.png", Png(10, 6, 0xFFFF00FFu)},
        {"lone.png", Png(10, 6)},
        {"lone@2x.png", Png(20, 12)}};
    ASSERT_TRUE(WritePackage(path + ".cust", overlay));
    ASSERT_TRUE(registry().loadOverlay(path + ".cust", ""));
    EXPECT_FALSE(image("i.one")->picture2x())
        << "one.png came from the overlay, one@2x.png did not";
    EXPECT_TRUE(image("i.two")->picture2x()) << "the overlay's own pair";
}

TEST_F(Pictures2x, FilesReadFromDiskBringTheirSharpPictureAlong) {
    auto withPair = Res::xImage::FromFile(dir.file("disk.png"));
    EXPECT_TRUE(withPair->picture2x());
    auto alone = Res::xImage::FromFile(dir.file("disk@2x.png"));  // no disk@2x@2x.png
    EXPECT_TRUE(alone->image);
    EXPECT_FALSE(alone->picture2x());
}

TEST_F(Pictures2x, AreDecodedOnlyWhenAScreenOfScale2DrawsThem) {
    Res::xImage& one = *image("i.one");
    ASSERT_TRUE(one.image2x);
    EXPECT_FALSE(one.image2x->decoded()) << "loading decodes no 2× picture";
    auto copy = one.share(0);
    Vcl::DescribeImage(one, 1);
    EXPECT_FALSE(one.image2x->decoded()) << "a scale-1 screen never needs it";
    EXPECT_EQ(Vcl::DescribeImage(*copy, 2).pictureScale, 2);
    EXPECT_TRUE(one.image2x->decoded()) << "the copy's draw decoded the shared picture";
    EXPECT_NE(one.picture2x(), nullptr);
}

TEST_F(Pictures2x, TheSharpPictureIsChosenFromScale2On) {
    const Res::xImage& one = *image("i.one");
    struct Case {
        const Res::xImage* image;
        int scale;
        int pictureWidth, pictureScale;
    } cases[] = {{&one, 1, 10, 1},
                 {&one, 2, 20, 2},
                 {&one, 3, 20, 2},
                 {image("i.lone"), 2, 10, 1},
                 {image("i.odd"), 2, 10, 1}};
    for (const Case& c : cases) {
        const Vcl::ImageDesc d = Vcl::DescribeImage(*c.image, c.scale);
        EXPECT_EQ(Vcl::SurfaceWidth(d.picture), c.pictureWidth) << c.image->id << " @" << c.scale;
        EXPECT_EQ(d.pictureScale, c.pictureScale) << c.image->id << " @" << c.scale;
        EXPECT_EQ(d.frameWidth, 10) << "logical frame";
    }
}

// Windows built from a package and painted the way the native window does.
class ScaledTree : public ::testing::Test {
protected:
    Vcl::Window* Load(const std::string& root) {
        const Entries entries = {
            {"resource.xml",
             ResourceXml(
                 Set("",
                     "<res id=\"c.red\" type=\"color\" color=\"#0000FF\"/>"
                     "<res id=\"c.half\" type=\"color\" color=\"#FF0000,80\"/>"
                     "<res id=\"i.pair\" type=\"image\" stretch=\"stretch\">pair.png</res>"
                     "<res id=\"i.plain\" type=\"image\" stretch=\"tile\">plain.png</res>"))},
            {"window.xml", "<windows><window id=\"w\">" + root + "</window></windows>"},
            {"pair.png", Png(4, 4, 0xFF0000FFu)},     // red at 1×
            {"pair@2x.png", Png(8, 8, 0x00FF00FFu)},  // green at 2×
            {"plain.png", Png(4, 4, 0x808080FFu)}};
        const std::string path = dir.file("t.dat");
        EXPECT_TRUE(WritePackage(path, entries));
        auto& registry = Res::xResourceManager::Instance();
        EXPECT_TRUE(registry.loadMain(path, ""));
        EXPECT_EQ(Vcl::xWindowManager::Instance().buildAll(registry.windowXml(), registry), 1);
        Vcl::Window* w = Vcl::xWindowManager::Instance().find("w");
        if (w && w->root) {
            w->root->control->rect = Vcl::Rect{0, 0, 60, 40};
            Vcl::LayoutNode(*w->root);
        }
        return w;
    }
    static void Repaint(Vcl::BackBuffer& buffer, const Vcl::TreeNode& root, int scale,
                        const Vcl::Rect& update = {0, 0, 60, 40}) {
        Vcl::Painter painter = buffer.begin(60, 40, scale);
        Vcl::RepaintArea(painter, root, update);
    }

    RegistryReset reset;
    TempDir dir;
};

constexpr char kTree[] =
    "<panel id=\"root\" layout=\"horizontal\" image=\"i.plain\">"
    "  <panel id=\"p.pair\" width=\"20\" image=\"i.pair\"/>"
    "  <panel id=\"p.red\" width=\"15\" color=\"c.red\"/>"
    "  <panel id=\"p.half\" width=\"10\" color=\"c.half\"/>"
    "</panel>";

TEST_F(ScaledTree, PaintsTheSamePlacesAtScale2WithTheSharpPictures) {
    Vcl::Window* w = Load(kTree);
    ASSERT_TRUE(w && w->root);
    Vcl::BackBuffer one, two;
    Repaint(one, *w->root, 1);
    // The same controls' caches now render again at scale 2.
    Repaint(two, *w->root, 2);
    ASSERT_EQ(Vcl::SurfaceWidth(two.surface()), 120);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 60; ++x) {
            const uint32_t at1 = DevicePixel(one.surface(), x, y);
            // The 2× picture is another colour on purpose: it must be the one shown.
            const uint32_t want = x < 20 ? 0xFF00FF00u : at1;
            for (int d = 0; d < 4; ++d) {
                ASSERT_EQ(DevicePixel(two.surface(), 2 * x + d % 2, 2 * y + d / 2), want)
                    << "logical " << x << "," << y;
            }
        }
    }
    EXPECT_EQ(DevicePixel(one.surface(), 5, 5), 0xFFFF0000u) << "1×: the 1× picture";
    EXPECT_EQ(DevicePixel(one.surface(), 50, 5), 0xFF808080u) << "the root's tile shows";
}

TEST_F(ScaledTree, AnUpdateRectangleRepaintsOnlyItsDevicePixels) {
    Vcl::Window* w = Load(kTree);
    ASSERT_TRUE(w && w->root);
    Vcl::BackBuffer buffer;
    Repaint(buffer, *w->root, 2);
    Vcl::Layer* red = w->query("p.red");
    ASSERT_NE(red, nullptr);
    red->visible = false;  // the plain tile shows through where it was
    const Vcl::Rect update{22, 5, 6, 7};
    Repaint(buffer, *w->root, 2, update);
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 120; ++x) {
            const bool inside = update.contains(x / 2, y / 2);
            const bool redInRect = red->rect.contains(x / 2, y / 2);
            const uint32_t want = inside ? 0xFF808080u : redInRect ? 0xFFFF0000u : 0;
            if (want != 0) {
                ASSERT_EQ(DevicePixel(buffer.surface(), x, y), want) << x << "," << y;
            }
        }
    }
}

TEST_F(ScaledTree, TheInspectorsScreenRectanglesAreInXPixels) {
    Vcl::Window* w = Load(kTree);
    ASSERT_TRUE(w && w->root);
    struct Case {
        int scale, originX, originY;
        Vcl::Rect red;
    } cases[] = {{1, 100, 50, {120, 50, 15, 40}},
                 {2, 200, 100, {240, 100, 30, 80}},
                 {0, 100, 50, {120, 50, 15, 40}}};  // a bad scale counts as 1
    for (const Case& c : cases) {
        const auto all = Vcl::inspect::CollectControls(*w->root, c.originX, c.originY, c.scale);
        const Vcl::inspect::ControlState* red = nullptr;
        for (const auto& s : all) {
            red = s.name == "p.red" ? &s : red;
        }
        ASSERT_NE(red, nullptr);
        EXPECT_EQ(red->client, (Vcl::Rect{20, 0, 15, 40})) << "client rectangles stay logical";
        EXPECT_EQ(red->screen, c.red) << "scale " << c.scale;
    }
    Vcl::inspect::Snapshot s;
    s.windows.push_back({.id = "w", .scale = 2});
    EXPECT_NE(Vcl::inspect::ToJson(s).find("\"scale\":2"), std::string::npos)
        << Vcl::inspect::ToJson(s);
}

}  // namespace
