// Drawing at a device scale (a high-density screen), checked in device
// pixels: lines and fills, the back buffer and the control caches, 2×
// pictures and the filtered 1× fallback in every image mode, text
// sharpness and the text resolution.
#include <pango/pangocairo.h>

#include "draw/back_buffer.h"
#include "draw/image_cache.h"
#include "draw/text_draw.h"
#include "scale/scale_support.h"

namespace {

using namespace scale_test;

// Every pixel its own colour: red byte x, green byte y.
uint32_t Unique(int x, int y) {
    return uint32_t(x) << 16 | uint32_t(y) << 8 | 0x5A;
}

// ---- Fills and buffers --------------------------------------------------------

TEST(ScaledFill, ALogicalPixelIsScaleDevicePixelsEachWay) {
    for (int scale : {1, 2, 3}) {
        ScaledCanvas canvas(20, 10, scale);
        ASSERT_EQ(canvas.width(), 20 * scale);
        canvas.painter.fill(Rect{2, 4, 10, 1}, Color::FromArgb(kBlack));  // a 1-pixel line
        EXPECT_EQ(canvas.ink(), (Rect{2 * scale, 4 * scale, 10 * scale, scale}))
            << "scale " << scale;
        for (int y = 4 * scale; y < 5 * scale; ++y) {
            for (int x = 2 * scale; x < 12 * scale; ++x) {
                ASSERT_EQ(canvas.at(x, y), kBlack) << "scale " << scale << " at " << x << "," << y;
            }
        }
    }
}

TEST(ScaledFill, TranslateAndClipStayLogical) {
    ScaledCanvas canvas(40, 40, 2);
    {
        auto scope = canvas.painter.scope();
        canvas.painter.translate(5, 7);
        canvas.painter.clip(Rect{0, 0, 10, 3});
        EXPECT_EQ(canvas.painter.clipBounds(), (Rect{0, 0, 10, 3})) << "clip bounds are logical";
        canvas.painter.fill(Rect{-5, -5, 100, 100}, Color::FromArgb(kBlack));
    }
    EXPECT_EQ(canvas.ink(), (Rect{10, 14, 20, 6}));
}

TEST(ScaledSurface, RefusesBadScalesAndSizesPastCairosLimit) {
    EXPECT_EQ(MakeImageSurface(10, 10, 0), nullptr);
    EXPECT_EQ(MakeImageSurface(10, 10, -2), nullptr);
    EXPECT_EQ(MakeImageSurface(20000, 10, 2), nullptr) << "40000 device pixels wide";
    EXPECT_EQ(MakeImageSurface(0x40000000, 1, 4), nullptr) << "the product must not overflow";
    SurfacePtr ok = MakeImageSurface(16000, 1, 2);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(SurfaceScale(ok.get()), 2);
    EXPECT_EQ(SurfaceScale(nullptr), 1);
    // A painter over a refused surface draws nothing and does not crash.
    Painter none(nullptr);
    EXPECT_FALSE(none.valid());
    none.fill(Rect{0, 0, 5, 5}, Color::FromArgb(kBlack));
}

TEST(ScaledBackBuffer, HoldsDevicePixelsAndIsRebuiltWhenTheScaleChanges) {
    BackBuffer buffer;
    cairo_surface_t* first = nullptr;
    {
        Painter p = buffer.begin(100, 50, 2);
        ASSERT_TRUE(p.valid());
        EXPECT_EQ(p.scale(), 2);
        p.fill(Rect{0, 0, 1, 1}, Color::FromArgb(kBlack));
        first = buffer.surface();
    }
    EXPECT_EQ(SurfaceWidth(first), 200);
    EXPECT_EQ(SurfaceHeight(first), 100);
    {
        Painter p = buffer.begin(100, 50, 2);
        EXPECT_EQ(buffer.surface(), first) << "same size and scale: kept, with its pixels";
        EXPECT_EQ(DevicePixel(first, 1, 1), kBlack);
    }
    {
        Painter p = buffer.begin(100, 50, 1);
        EXPECT_EQ(p.scale(), 1);
    }
    EXPECT_EQ(SurfaceWidth(buffer.surface()), 100) << "moved to a scale-1 screen";
    {
        Painter p = buffer.begin(100, 50, 0);  // a widget not realized yet reports 0
        EXPECT_EQ(p.scale(), 1);
    }
}

TEST(ScaledImageCache, RendersAtThePaintersScaleAndAgainAtAnother) {
    SurfacePtr picture = MakePicture(4, 4, [](int, int) { return 0x00FF00u; });
    ImageDesc image;
    image.picture = picture.get();
    image.mode = ImageMode::Stretch;
    ImageCache cache;
    const Rect dest{3, 2, 30, 20};

    ScaledCanvas sharp(40, 30, 2);
    cache.draw(sharp.painter, image, dest, Rect{0, 0, 40, 30});
    cache.markValid();
    ASSERT_NE(cache.surface(), nullptr);
    EXPECT_EQ(SurfaceWidth(cache.surface()), 60);
    EXPECT_EQ(SurfaceHeight(cache.surface()), 40);
    EXPECT_EQ(sharp.ink(), (Rect{6, 4, 60, 40})) << "blitted 1:1 in device pixels";

    // The window moved to a scale-1 screen: the rendering is redone there.
    ScaledCanvas plain(40, 30, 1);
    cache.draw(plain.painter, image, dest, Rect{0, 0, 40, 30});
    EXPECT_EQ(SurfaceWidth(cache.surface()), 30);
    EXPECT_EQ(SurfaceScale(cache.surface()), 1);
    EXPECT_EQ(plain.ink(), (Rect{3, 2, 30, 20}));

    // A rendering of another scale is never blitted.
    ImageCache other;
    other.render(image, dest, 2);
    ScaledCanvas untouched(40, 30, 1);
    other.blit(untouched.painter, dest, Rect{0, 0, 40, 30});
    EXPECT_EQ(untouched.ink(), Rect{});
}

TEST(ScaledImageCache, BlitsOnlyTheUpdateRectangle) {
    SurfacePtr picture = MakePicture(2, 2, [](int, int) { return 0x0000FFu; });
    ImageDesc image{.picture = picture.get(), .mode = ImageMode::Stretch};
    ImageCache cache;
    ScaledCanvas canvas(40, 40, 2);
    cache.draw(canvas.painter, image, Rect{0, 0, 40, 40}, Rect{5, 6, 7, 8});
    EXPECT_EQ(canvas.ink(), (Rect{10, 12, 14, 16}));
}

// ---- Pictures -----------------------------------------------------------------

// Draws `image` into `dest` on a fresh canvas of the given logical size.
ScaledCanvas Drawn(const ImageDesc& image, const Rect& dest, int w, int h, int scale) {
    ScaledCanvas canvas(w, h, scale);
    canvas.painter.drawImage(image, dest);
    return canvas;
}

TEST(ScaledPicture, A2xPictureLandsOneToOneOnAScale2Target) {
    SurfacePtr sharp = MakePicture(20, 12, Unique);
    for (ImageMode mode : {ImageMode::Original, ImageMode::Stretch}) {
        ImageDesc image{.picture = sharp.get(), .mode = mode, .pictureScale = 2};
        EXPECT_EQ(FrameRect(image), (Rect{0, 0, 10, 6})) << "frames are logical";
        const ScaledCanvas c = Drawn(image, Rect{1, 1, 10, 6}, 14, 10, 2);
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 20; ++x) {
                ASSERT_EQ(c.at(x + 2, y + 2), 0xFF000000u | Unique(x, y))
                    << "mode " << int(mode) << " at " << x << "," << y;
            }
        }
    }
}

TEST(ScaledPicture, A1xPictureOnAScale2TargetIsFilteredWithoutFadingEdges) {
    // Two black columns, then two white ones.
    SurfacePtr plain = MakePicture(4, 1, [](int x, int) { return x < 2 ? 0u : 0xFFFFFFu; });
    ImageDesc image{.picture = plain.get()};
    ScaledCanvas c(8, 4, 2);
    c.painter.fill(Rect{0, 0, 8, 4}, Color::FromArgb(0xFF808080u));
    c.painter.drawImage(image, Rect{0, 0, 4, 1});
    EXPECT_EQ(c.at(0, 0), kBlack) << "the picture's own edge stays pure";
    EXPECT_EQ(c.at(7, 1), kWhite);
    // Where black meets white the device pixels are in between: filtered,
    // not blown-up blocks.
    const int left = Grey(c.at(3, 0)), right = Grey(c.at(4, 0));
    EXPECT_GT(left, 20);
    EXPECT_LT(left, right);
    EXPECT_LT(right, 235);
    EXPECT_EQ(c.at(0, 2), 0xFF808080u) << "nothing below the picture's logical extent";
}

TEST(ScaledPicture, StripFramesAreChosenInLogicalUnits) {
    // Four frames of 10 × 10 logical pixels: red, green, blue, black.
    const uint32_t quarters[] = {0xFF0000u, 0x00FF00u, 0x0000FFu, 0u};
    for (int pictureScale : {1, 2}) {
        const int k = pictureScale;
        SurfacePtr strip =
            MakePicture(40 * k, 10 * k, [&](int x, int) { return quarters[x / (10 * k)]; });
        ImageDesc image{.picture = strip.get(), .index = 2, .count = 4, .pictureScale = k};
        EXPECT_EQ(FrameRect(image), (Rect{20, 0, 10, 10}));
        const ScaledCanvas c = Drawn(image, Rect{0, 0, 10, 10}, 12, 12, 2);
        EXPECT_EQ(c.ink(), (Rect{0, 0, 20, 20})) << "picture scale " << k;
        EXPECT_EQ(c.at(0, 0), 0xFF0000FFu) << "the third frame, blue";
        EXPECT_EQ(c.at(19, 19), 0xFF0000FFu) << "no bleeding in of the next frame";
    }
}

TEST(ScaledPicture, TilesRepeatAtTheLogicalPeriod) {
    SurfacePtr sharp = MakePicture(32, 32, Unique);  // a 16 × 16 tile at 2×
    ImageDesc image{.picture = sharp.get(), .mode = ImageMode::Tile, .pictureScale = 2};
    const ScaledCanvas c = Drawn(image, Rect{0, 0, 40, 20}, 40, 20, 2);
    for (int y = 0; y < 40; y += 3) {
        for (int x = 0; x < 80; x += 5) {
            ASSERT_EQ(c.at(x, y), 0xFF000000u | Unique(x % 32, y % 32)) << x << "," << y;
        }
    }
}

// stretch9 with 10-pixel margins on a 100 × 40 rectangle at scale 2.
class ScaledNinePieces : public ::testing::Test {
protected:
    static ImageDesc Nine(cairo_surface_t* picture, int pictureScale) {
        return ImageDesc{.picture = picture,
                         .mode = ImageMode::Stretch9,
                         .ml = 10,
                         .mr = 10,
                         .mt = 10,
                         .mb = 10,
                         .pictureScale = pictureScale};
    }
};

TEST_F(ScaledNinePieces, A2xPictureKeepsItsCornersPixelForPixel) {
    SurfacePtr sharp = MakePicture(60, 60, Unique);  // a 30 × 30 frame at 2×
    const ScaledCanvas c = Drawn(Nine(sharp.get(), 2), Rect{0, 0, 100, 40}, 100, 40, 2);
    for (int j = 0; j < 20; ++j) {
        for (int i = 0; i < 20; ++i) {
            ASSERT_EQ(c.at(i, j), 0xFF000000u | Unique(i, j)) << "top-left " << i << "," << j;
            ASSERT_EQ(c.at(180 + i, j), 0xFF000000u | Unique(40 + i, j)) << "top-right";
            ASSERT_EQ(c.at(180 + i, 60 + j), 0xFF000000u | Unique(40 + i, 40 + j))
                << "bottom-right";
            ASSERT_EQ(c.at(i, 60 + j), 0xFF000000u | Unique(i, 40 + j)) << "bottom-left";
        }
    }
    // The left edge is stretched only downwards: its columns are the
    // picture's first twenty.
    for (int x = 0; x < 20; ++x) {
        EXPECT_EQ(int(c.at(x, 40) >> 16 & 0xFF), x);
    }
}

TEST_F(ScaledNinePieces, A1xPictureKeepsTheEdgesTwiceTheirWidth) {
    // A black 10-pixel border around white.
    SurfacePtr plain = MakePicture(30, 30, [](int x, int y) {
        return x < 10 || x >= 20 || y < 10 || y >= 20 ? 0u : 0xFFFFFFu;
    });
    const ScaledCanvas c = Drawn(Nine(plain.get(), 1), Rect{0, 0, 100, 40}, 100, 40, 2);
    for (int x = 0; x < 200; ++x) {
        const bool edge = x < 20 || x >= 180;
        ASSERT_EQ(c.at(x, 40), edge ? kBlack : kWhite) << "row 40, column " << x;
    }
    for (int y = 0; y < 80; ++y) {
        const bool edge = y < 20 || y >= 60;
        ASSERT_EQ(c.at(100, y), edge ? kBlack : kWhite) << "column 100, row " << y;
    }
}

// ---- Text ---------------------------------------------------------------------

struct FontFree {
    void operator()(PangoFontDescription* f) const { pango_font_description_free(f); }
};
using Font = std::unique_ptr<PangoFontDescription, FontFree>;

Font Sans(int points) {
    return Font(
        pango_font_description_from_string(("DejaVu Sans " + std::to_string(points)).c_str()));
}

constexpr char kSample[] = "Hamburg 直播 Wellington";

SurfacePtr TextAt(int w, int h, int scale, int points) {
    ScaledCanvas c(w, h, scale);
    c.painter.drawText(std::string_view(kSample), Sans(points).get(), Color::FromArgb(kBlack),
                       Rect{0, 0, w, h});
    return std::move(c.surface);
}

TEST(ScaledText, IsAsSharpAsTextOfTwiceTheSizeAtScale1) {
    const SurfacePtr atScale2 = TextAt(240, 30, 2, 12);
    const SurfacePtr twiceTheSize = TextAt(480, 60, 1, 24);
    // What the window showed before: drawn at 1× and blown up by the screen.
    const SurfacePtr small = TextAt(240, 30, 1, 12);
    ScaledCanvas blownUp(480, 60, 1);
    cairo_t* cr = blownUp.painter.context();
    cairo_scale(cr, 2, 2);
    cairo_set_source_surface(cr, small.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);

    const int sharp = StrongEdges(atScale2.get());
    const int reference = StrongEdges(twiceTheSize.get());
    const int blurry = StrongEdges(blownUp.surface.get());
    ASSERT_GT(reference, 200) << "the sample text was not drawn";
    EXPECT_NEAR(sharp, reference, reference / 4)
        << "scale 2: " << sharp << " strong edges, 24 pt at scale 1: " << reference;
    EXPECT_GT(sharp, blurry * 3 / 2) << "blown-up 1× text has " << blurry;
}

TEST(ScaledText, LaysOutInTheSameLogicalPlaceAtEveryScale) {
    const Font font = Sans(12);
    ScaledCanvas one(240, 30, 1), two(240, 30, 2);
    const std::u16string text = u"Hamburg 直播";
    EXPECT_EQ(one.painter.measureText(text, font.get()), two.painter.measureText(text, font.get()))
        << "autosize gives the same widths on a high-density screen";
    TextFormat centred{.align = TextAlign::Center, .vcenter = true};
    one.painter.drawText(text, font.get(), Color::FromArgb(kBlack), Rect{0, 0, 240, 30}, centred);
    two.painter.drawText(text, font.get(), Color::FromArgb(kBlack), Rect{0, 0, 240, 30}, centred);
    const Rect a = one.ink(), b = two.ink();
    EXPECT_NEAR(b.x, 2 * a.x, 3);
    EXPECT_NEAR(b.y, 2 * a.y, 3);
    EXPECT_NEAR(b.width, 2 * a.width, 4);
    EXPECT_NEAR(b.height, 2 * a.height, 4);
}

TEST(TextResolution, TheDesktopsTextScaleEnlargesTextAndBadValuesMean96) {
    const Font font = Sans(12);
    const std::u16string text = u"Wellington Hamburg";
    ASSERT_EQ(TextResolution(), kDefaultTextResolution);
    const int plain = MeasureText(nullptr, text, font.get(), {});
    SetTextResolution(144);  // GDK_DPI_SCALE=1.5
    const int scaled = MeasureText(nullptr, text, font.get(), {});
    EXPECT_NEAR(double(scaled) / plain, 1.5, 0.08);
    for (double bad : {0.0, -96.0, 5.0, 1e6}) {
        SetTextResolution(bad);
        EXPECT_EQ(TextResolution(), kDefaultTextResolution) << bad;
    }
    EXPECT_EQ(MeasureText(nullptr, text, font.get(), {}), plain);
}

}  // namespace
