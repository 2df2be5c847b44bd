// The drawing module, rendered into off-screen image surfaces and checked
// pixel by pixel: colours, pictures, fills and clips, the four image modes,
// the per-control cache, the back buffer, and text.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "draw/back_buffer.h"
#include "draw/color.h"
#include "draw/image_cache.h"
#include "draw/painter.h"
#include "draw/picture.h"

namespace {

using namespace Vcl;

// Raw ARGB32 words (premultiplied; the same as ARGB for opaque pixels).
uint32_t PixelAt(cairo_surface_t* s, int x, int y) {
    cairo_surface_flush(s);
    uint32_t v;
    std::memcpy(&v, cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s) + x * 4,
                4);
    return v;
}

void SetPixel(cairo_surface_t* s, int x, int y, uint32_t argb) {
    std::memcpy(cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s) + x * 4,
                &argb, 4);
}

// An opaque picture whose pixel colours come from `colour(x, y)` (RGB).
SurfacePtr MakePicture(int w, int h, const std::function<uint32_t(int, int)>& colour) {
    SurfacePtr s = MakeImageSurface(w, h);
    cairo_surface_flush(s.get());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            SetPixel(s.get(), x, y, 0xFF000000u | colour(x, y));
        }
    }
    cairo_surface_mark_dirty(s.get());
    return s;
}

SurfacePtr Uniform(int w, int h, uint32_t rgb) {
    return MakePicture(w, h, [rgb](int, int) { return rgb; });
}

// Every pixel gets its own colour, so a pixel's source can be told exactly.
uint32_t Unique(int x, int y) {
    return uint32_t(x) << 16 | uint32_t(y) << 8 | 0x5A;
}

constexpr uint32_t kWhite = 0xFFFFFFFFu;

// An off-screen canvas, opaque white unless told otherwise.
struct Canvas {
    explicit Canvas(int w, int h, uint32_t background = kWhite)
        : surface(MakeImageSurface(w, h)), painter(surface.get()) {
        painter.fill(Rect{0, 0, w, h}, Color::FromArgb(background));
    }
    uint32_t at(int x, int y) const { return PixelAt(surface.get(), x, y); }
    int width() const { return cairo_image_surface_get_width(surface.get()); }
    int height() const { return cairo_image_surface_get_height(surface.get()); }
    // Pixels inside `r` different from `background`, and outside it.
    std::pair<int, int> changed(const Rect& r, uint32_t background = kWhite) const {
        int in = 0, out = 0;
        for (int y = 0; y < height(); ++y) {
            for (int x = 0; x < width(); ++x) {
                if (at(x, y) != background) {
                    (r.contains(x, y) ? in : out)++;
                }
            }
        }
        return {in, out};
    }
    // The bounding box of the pixels that are not `background`.
    Rect ink(uint32_t background = kWhite) const {
        int l = width(), t = height(), r = -1, b = -1;
        for (int y = 0; y < height(); ++y) {
            for (int x = 0; x < width(); ++x) {
                if (at(x, y) != background) {
                    l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
                }
            }
        }
        return r < 0 ? Rect{} : Rect::FromEdges(l, t, r + 1, b + 1);
    }

    SurfacePtr surface;
    Painter painter;
};

void ExpectNear(uint32_t actual, uint32_t expected, const char* what) {
    for (int shift : {24, 16, 8, 0}) {
        const int a = int(actual >> shift & 0xFF), e = int(expected >> shift & 0xFF);
        EXPECT_NEAR(a, e, 1) << what << std::hex << ": got 0x" << actual << ", want 0x" << expected;
    }
}

// ---- Colour ------------------------------------------------------------------

TEST(ColorParse, PackageFormMatchesTheResourceReader) {
    struct Case {
        const char* value;
        uint32_t argb;
    } cases[] = {
        {"#0000FF", 0xFFFF0000u},     // opaque red
        {"#FF0000,80", 0x800000FFu},  // half-transparent blue
        {"#112233", 0xFF332211u},
        {"#112233,00", 0x00332211u},
        {"#112233,", 0xFF332211u},  // nothing after the comma: opaque
        {"x#112233", 0xFF332211u},  // the last '#' starts the colour
        {"#abcdef", 0xFFEFCDABu},
        {"112233", 0u},  // no '#'
        {"#11223", 0u},  // five digits
        {"#1", 0u},
        {"", 0u},
        {"#112233#44", 0u},            // last '#' has too few digits after it
        {"#112233,1FF", 0xFF332211u},  // only the low byte of alpha counts
        {"#112233,8", 0x08332211u},    // one alpha digit
        {"#112233,zz", 0x00332211u},   // alpha text without digits reads as 0
        {"#12G456", 0xFF120000u},      // digits stop at 'G': 0x12 is p3 (red)
        {",80#112233", 0xFF332211u},   // a comma before the '#' is no alpha
        {"#112233 ,40", 0x40332211u},  // anything may stand before the comma
        {"#1122334455", 0xFF332211u},  // only six colour digits are read
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Color::Parse(c.value).argb(), c.argb) << '"' << c.value << '"';
    }
}

TEST(ColorValue, ConversionsAndChannels) {
    const Color c = Color::FromArgb(0x80112233u);
    EXPECT_EQ(c.alpha(), 0x80);
    EXPECT_EQ(c.red(), 0x11);
    EXPECT_EQ(c.green(), 0x22);
    EXPECT_EQ(c.blue(), 0x33);
    EXPECT_EQ(c.native(), 0x00332211u) << "native order is 0x00BBGGRR without alpha";
    EXPECT_EQ(Color::FromNative(0x00332211u).argb(), 0xFF112233u) << "native colours are opaque";
    EXPECT_EQ(Color::FromNative(0xAB332211u).argb(), 0xFF112233u) << "the top byte is ignored";
    EXPECT_EQ(c.withAlpha(0xFF).argb(), 0xFF112233u);
    EXPECT_EQ(c.withAlpha(0).argb(), 0x00112233u);
    EXPECT_DOUBLE_EQ(Color::FromArgb(0xFF00FF80u).redF(), 0.0);
    EXPECT_DOUBLE_EQ(Color::FromArgb(0xFF00FF80u).greenF(), 1.0);
    EXPECT_NEAR(Color::FromArgb(0xFF00FF80u).blueF(), 128 / 255.0, 1e-12);
    EXPECT_EQ(Color().argb(), 0u) << "default is transparent black";
    EXPECT_EQ(Color::FromNative(Color::Parse("#0A0B0C").native()), Color::Parse("#0A0B0C"));
}

// ---- Pictures from pixbufs -----------------------------------------------------

struct PixbufUnref {
    void operator()(GdkPixbuf* p) const { g_object_unref(p); }
};
using PixbufPtr = std::unique_ptr<GdkPixbuf, PixbufUnref>;

// A pixbuf over `bytes` with the given rowstride; the last row ends right
// after its pixels, as gdk-pixbuf allows, so reading padding there overruns.
struct PixbufData {
    PixbufData(int w, int h, bool alpha, int rowstride)
        : channels(alpha ? 4 : 3), stride(rowstride) {
        bytes.assign(size_t(rowstride) * (h - 1) + size_t(w) * channels, 0xEE);
        pixbuf.reset(gdk_pixbuf_new_from_data(bytes.data(), GDK_COLORSPACE_RGB, alpha, 8, w, h,
                                              rowstride, nullptr, nullptr));
    }
    void set(int x, int y, std::vector<uint8_t> px) {
        std::memcpy(&bytes[size_t(y) * stride + size_t(x) * channels], px.data(), px.size());
    }
    int channels, stride;
    std::vector<uint8_t> bytes;
    PixbufPtr pixbuf;
};

TEST(Picture, RgbWithRowPaddingAndOddSize) {
    PixbufData data(3, 5, false, 3 * 3 + 7);  // padded rows, odd width and height
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 3; ++x) {
            data.set(x, y, {uint8_t(10 * x), uint8_t(20 * y), 0xC8});
        }
    }
    SurfacePtr s = PictureFromPixbuf(data.pixbuf.get());
    ASSERT_TRUE(s);
    EXPECT_EQ(cairo_image_surface_get_format(s.get()), CAIRO_FORMAT_ARGB32);
    ASSERT_EQ(SurfaceWidth(s.get()), 3);
    ASSERT_EQ(SurfaceHeight(s.get()), 5);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(PixelAt(s.get(), x, y),
                      0xFF000000u | uint32_t(10 * x) << 16 | uint32_t(20 * y) << 8 | 0xC8u)
                << x << "," << y;
        }
    }
}

TEST(Picture, RgbaIsPremultiplied) {
    struct Case {
        std::vector<uint8_t> rgba;
        uint32_t argb32;
    } cases[] = {
        {{0xFF, 0xC8, 0x10, 0xFF}, 0xFFFFC810u},  // opaque: unchanged
        {{0xFF, 0xC8, 0x10, 0x80}, 0x80806408u},  // 200 × 128 / 255 = 100.4 → 100
        {{0xFF, 0xC8, 0x10, 0x00}, 0x00000000u},  // transparent: all zero
        {{0x01, 0x02, 0x03, 0x01}, 0x01000000u},
    };
    PixbufData data(4, 1, true, 4 * 4);
    for (int i = 0; i < 4; ++i) {
        data.set(i, 0, cases[i].rgba);
    }
    SurfacePtr s = PictureFromPixbuf(data.pixbuf.get());
    ASSERT_TRUE(s);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(PixelAt(s.get(), i, 0), cases[i].argb32) << "case " << i;
    }
}

TEST(Picture, RefusesWhatCairoCannotHold) {
    EXPECT_FALSE(PictureFromPixbuf(nullptr));
    PixbufPtr wide(gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 40000, 1));
    ASSERT_TRUE(wide);
    EXPECT_FALSE(PictureFromPixbuf(wide.get())) << "cairo images stop at 32767 pixels";
    PixbufPtr fine(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 32767, 1));
    EXPECT_TRUE(PictureFromPixbuf(fine.get()));
}

// ---- Fills, clips, origin ------------------------------------------------------

TEST(PainterFill, AlphaBlendsOverWhatIsBelow) {
    struct Case {
        uint32_t below, fill, expected;
    } cases[] = {
        {0xFF000000u, 0x80FFFFFFu, 0xFF808080u},
        {0xFF0000FFu, 0x80FF0000u, 0xFF80007Fu},
        {0xFF123456u, 0x00FFFFFFu, 0xFF123456u},  // transparent changes nothing
        {0xFF123456u, 0xFF654321u, 0xFF654321u},  // opaque replaces
    };
    for (const auto& c : cases) {
        Canvas canvas(4, 4, c.below);
        canvas.painter.fill(Rect{1, 1, 2, 2}, Color::FromArgb(c.fill));
        ExpectNear(canvas.at(1, 1), c.expected, "inside");
        EXPECT_EQ(canvas.at(0, 0), c.below) << "outside the rectangle";
    }
}

TEST(PainterClip, NothingOutsideAndNestedClipsIntersectUnderTranslation) {
    Canvas canvas(60, 60);
    {
        auto outer = canvas.painter.scope();
        canvas.painter.translate(10, 10);
        canvas.painter.clip(Rect{0, 0, 30, 30});  // 10..40 on the canvas
        {
            auto inner = canvas.painter.scope();
            canvas.painter.translate(5, 5);
            canvas.painter.clip(Rect{10, 10, 100, 100});  // from 25: meets the outer at 25..40
            EXPECT_EQ(canvas.painter.clipBounds(), (Rect{10, 10, 15, 15}));
            canvas.painter.fill(Rect{-50, -50, 200, 200}, Color::FromArgb(0xFF0000FFu));
        }
        // The inner scope ended: the outer clip holds again.
        canvas.painter.fill(Rect{0, 0, 2, 2}, Color::FromArgb(0xFF00FF00u));
        canvas.painter.fill(Rect{-10, -10, 5, 5}, Color::FromArgb(0xFF00FF00u));  // clipped away
    }
    const Rect blue{25, 25, 15, 15};
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 60; ++x) {
            const uint32_t want = blue.contains(x, y)                 ? 0xFF0000FFu
                                  : Rect{10, 10, 2, 2}.contains(x, y) ? 0xFF00FF00u
                                                                      : kWhite;
            ASSERT_EQ(canvas.at(x, y), want) << x << "," << y;
        }
    }
    // Both scopes ended: no clip and no offset remain.
    canvas.painter.fill(Rect{0, 0, 1, 1}, Color::FromArgb(0xFF000000u));
    EXPECT_EQ(canvas.at(0, 0), 0xFF000000u);
}

TEST(PainterClip, EmptyClipDrawsNothingAndAFailedTargetIsHarmless) {
    Canvas canvas(10, 10);
    canvas.painter.clip(Rect{2, 2, -5, 3});
    canvas.painter.fill(Rect{0, 0, 10, 10}, Color::FromArgb(0xFF000000u));
    EXPECT_EQ(canvas.changed(Rect{}).second, 0);

    Painter none(nullptr);
    EXPECT_FALSE(none.valid());
    none.fill(Rect{0, 0, 5, 5}, Color::FromArgb(0xFF000000u));
    none.drawText(u"text", nullptr, Color::FromArgb(0xFF000000u), Rect{0, 0, 50, 20});
    EXPECT_GT(none.measureText(u"text", nullptr), 0) << "measuring needs no target";
}

// ---- Image modes ----------------------------------------------------------------

// Draws `image` into `dest` on a white canvas of w × h.
Canvas Drawn(int w, int h, const ImageDesc& image, const Rect& dest) {
    Canvas canvas(w, h);
    canvas.painter.drawImage(image, dest);
    return canvas;
}

constexpr uint32_t kFrameColours[] = {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0xFF808080u};

// A strip of four 8 × 6 frames, one colour each.
SurfacePtr FourFrameStrip() {
    return MakePicture(32, 6, [](int x, int) { return kFrameColours[x / 8] & 0xFFFFFF; });
}

TEST(ImageModes, FrameIndexPicksTheStripQuarterAndIsClamped) {
    SurfacePtr strip = FourFrameStrip();
    struct Case {
        int index;
        uint32_t colour;
    } cases[] = {{0, kFrameColours[0]},
                 {2, kFrameColours[2]},
                 {3, kFrameColours[3]},
                 {7, kFrameColours[3]},
                 {-1, kFrameColours[0]}};
    for (const auto& c : cases) {
        for (ImageMode mode : {ImageMode::Original, ImageMode::Stretch, ImageMode::Tile}) {
            ImageDesc image{strip.get(), 0, 0, c.index, 4, mode};
            const Rect dest{2, 2, 8, 6};
            Canvas canvas = Drawn(12, 10, image, dest);
            EXPECT_EQ(canvas.changed(dest), std::make_pair(48, 0)) << "index " << c.index;
            EXPECT_EQ(canvas.at(2, 2), c.colour) << "index " << c.index;
            EXPECT_EQ(canvas.at(9, 7), c.colour) << "index " << c.index;
        }
    }
}

TEST(ImageModes, OriginalDrawsTheFrameUnscaledAndCroppedByTheDestination) {
    SurfacePtr pic = MakePicture(8, 4, Unique);
    ImageDesc image{pic.get(), 8, 4};
    Canvas big = Drawn(20, 20, image, Rect{3, 3, 15, 15});
    EXPECT_EQ(big.changed(Rect{3, 3, 8, 4}), std::make_pair(32, 0)) << "only fw × fh is drawn";
    EXPECT_EQ(big.at(3 + 7, 3 + 3), 0xFF000000u | Unique(7, 3));
    Canvas small = Drawn(20, 20, image, Rect{3, 3, 5, 2});
    EXPECT_EQ(small.changed(Rect{3, 3, 5, 2}), std::make_pair(10, 0));
    EXPECT_EQ(small.at(7, 4), 0xFF000000u | Unique(4, 1));
}

TEST(ImageModes, TileRepeatsFromTheOriginAndCutsTheLastColumnAndRow) {
    SurfacePtr pic = MakePicture(16, 16, Unique);
    const Rect dest{2, 3, 40, 20};  // three columns (16, 16, 8) and two rows (16, 4)
    Canvas canvas = Drawn(50, 30, ImageDesc{pic.get(), 16, 16, 0, 1, ImageMode::Tile}, dest);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 50; ++x) {
            const uint32_t want =
                dest.contains(x, y) ? 0xFF000000u | Unique((x - 2) % 16, (y - 3) % 16) : kWhite;
            ASSERT_EQ(canvas.at(x, y), want) << x << "," << y;
        }
    }
}

TEST(ImageModes, StretchFillsTheDestinationWithoutBleedingFromTheNextFrame) {
    SurfacePtr strip = FourFrameStrip();
    const Rect dest{0, 0, 40, 30};
    Canvas canvas = Drawn(40, 30, ImageDesc{strip.get(), 0, 0, 1, 4, ImageMode::Stretch}, dest);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            ASSERT_EQ(canvas.at(x, y), kFrameColours[1]) << x << "," << y;
        }
    }
    // Scaling really happens: a two-colour frame keeps its halves.
    SurfacePtr halves = MakePicture(4, 2, [](int x, int) { return x < 2 ? 0xFF0000u : 0x0000FFu; });
    Canvas two = Drawn(40, 10, ImageDesc{halves.get(), 4, 2, 0, 1, ImageMode::Stretch}, dest);
    EXPECT_EQ(two.at(5, 5), 0xFFFF0000u);
    EXPECT_EQ(two.at(34, 5), 0xFF0000FFu);
}

// A 30 × 30 frame for margins of 10: corners have a colour per pixel, each
// edge piece and the centre one colour, so stretched pieces stay exact.
uint32_t NineColour(int x, int y) {
    const int col = x < 10 ? 0 : x < 20 ? 1 : 2, row = y < 10 ? 0 : y < 20 ? 1 : 2;
    if (col != 1 && row != 1) {
        return Unique(x, y);
    }
    return 0x101010u * uint32_t(1 + col + 3 * row);
}

TEST(ImageModes, Stretch9KeepsCornersUnscaledAndStretchesTheMiddlePieces) {
    // Frame 1 of a two-frame strip, so every source offset includes sx.
    SurfacePtr strip = MakePicture(60, 30, [](int x, int y) { return NineColour(x % 30, y); });
    ImageDesc image{strip.get(), 0, 0, 1, 2, ImageMode::Stretch9, 10, 10, 10, 10};
    const Rect dest{5, 5, 100, 40};
    Canvas canvas = Drawn(110, 50, image, dest);
    EXPECT_EQ(canvas.changed(dest).second, 0);
    auto at = [&](int x, int y) { return canvas.at(dest.x + x, dest.y + y) & 0xFFFFFF; };
    for (int j = 0; j < 10; ++j) {
        for (int i = 0; i < 10; ++i) {
            ASSERT_EQ(at(i, j), Unique(i, j)) << "top-left " << i << "," << j;
            ASSERT_EQ(at(90 + i, j), Unique(20 + i, j)) << "top-right " << i << "," << j;
            ASSERT_EQ(at(i, 30 + j), Unique(i, 20 + j)) << "bottom-left " << i << "," << j;
            ASSERT_EQ(at(90 + i, 30 + j), Unique(20 + i, 20 + j)) << "bottom-right";
        }
    }
    struct Probe {
        int x, y;
        uint32_t colour;
        const char* piece;
    } probes[] = {
        {10, 0, NineColour(15, 0), "top"},      {89, 9, NineColour(15, 9), "top"},
        {0, 10, NineColour(0, 15), "left"},     {9, 29, NineColour(9, 15), "left"},
        {10, 10, NineColour(15, 15), "centre"}, {89, 29, NineColour(15, 15), "centre"},
        {90, 10, NineColour(25, 15), "right"},  {50, 39, NineColour(15, 25), "bottom"},
    };
    for (const auto& p : probes) {
        EXPECT_EQ(at(p.x, p.y), p.colour) << p.piece << " at " << p.x << "," << p.y;
    }
}

TEST(ImageModes, HostileInputDrawsNothingOutsideTheDestination) {
    SurfacePtr pic = MakePicture(20, 20, Unique);
    const Rect dest{4, 4, 12, 12};
    const ImageDesc cases[] = {
        {pic.get(), 0, 0, 0, 1, ImageMode::Stretch9, 50, 50, 50, 50},  // margins > frame
        {pic.get(), 0, 0, 0, 1, ImageMode::Stretch9, -5, -5, -5, -5},  // negative margins
        {pic.get(), 500, 500, 3, 1, ImageMode::Tile},                  // frame past the picture
        {pic.get(), 0, 0, 2000000000, 0, ImageMode::Original},         // count 0, huge index
        {pic.get(), 0, 0, 0, 1, static_cast<ImageMode>(9)},            // unknown mode
        {nullptr, 10, 10, 0, 1, ImageMode::Stretch},                   // no picture
    };
    for (const auto& image : cases) {
        Canvas canvas = Drawn(20, 20, image, dest);
        EXPECT_EQ(canvas.changed(dest).second, 0) << "case " << &image - cases;
    }
    EXPECT_EQ(Drawn(20, 20, cases[5], dest).changed(dest).first, 0);
}

// ---- Blit, image cache, back buffer ------------------------------------------------

TEST(Blit, OnlyThePartInsideTheUpdateRectangleUnscaled) {
    SurfacePtr pic = MakePicture(10, 10, Unique);
    Canvas canvas(30, 30);
    canvas.painter.blit(pic.get(), Rect{5, 5, 10, 10}, Rect{0, 0, 8, 30});
    EXPECT_EQ(canvas.changed(Rect{5, 5, 3, 10}), std::make_pair(30, 0));
    EXPECT_EQ(canvas.at(7, 14), 0xFF000000u | Unique(2, 9));
    canvas.painter.blit(pic.get(), Rect{5, 5, 10, 10}, Rect{20, 20, 5, 5});
    EXPECT_EQ(canvas.changed(Rect{5, 5, 3, 10}), std::make_pair(30, 0)) << "no overlap: nothing";
}

class Cache : public ::testing::Test {
protected:
    SurfacePtr picture = Uniform(4, 4, 0xFF0000);
    ImageDesc image{picture.get(), 4, 4, 0, 1, ImageMode::Stretch};
    ImageCache cache;
    const Rect place{5, 5, 20, 10};

    // Repaints the picture's pixels so that a fresh rendering would differ.
    void Recolour(uint32_t rgb) {
        cairo_surface_flush(picture.get());
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                SetPixel(picture.get(), x, y, 0xFF000000u | rgb);
            }
        }
        cairo_surface_mark_dirty(picture.get());
    }
    uint32_t PaintedAt(const Rect& where, int x, int y) {
        Canvas canvas(40, 40);
        cache.draw(canvas.painter, image, where, Rect{0, 0, 40, 40});
        return canvas.at(x, y);
    }
};

TEST_F(Cache, OutsideTheUpdateRectangleItRendersButDoesNotBlit) {
    Canvas canvas(40, 40);
    cache.draw(canvas.painter, image, place, Rect{30, 30, 10, 10});
    EXPECT_EQ(canvas.changed(Rect{}).second, 0) << "nothing blitted";
    ASSERT_TRUE(cache.surface());
    EXPECT_EQ(PixelAt(cache.surface(), 19, 9), 0xFFFF0000u) << "yet rendered";
    cache.draw(canvas.painter, image, place, Rect{0, 0, 10, 40});
    EXPECT_EQ(canvas.changed(Rect{5, 5, 5, 10}), std::make_pair(50, 0));
}

TEST_F(Cache, IsReusedWhileValidAndRenderedAgainAfterInvalidateOrResize) {
    EXPECT_EQ(PaintedAt(place, 10, 10), 0xFFFF0000u);
    cache.markValid();
    Recolour(0x00FF00);
    EXPECT_EQ(PaintedAt(place, 10, 10), 0xFFFF0000u) << "valid: the old rendering is copied";

    cache.invalidate();
    EXPECT_FALSE(cache.valid());
    EXPECT_EQ(cache.surface(), nullptr);
    EXPECT_EQ(PaintedAt(place, 10, 10), 0xFF00FF00u) << "after invalidate";
    cache.markValid();

    Recolour(0x0000FF);
    const Rect wider{5, 5, 30, 10};
    EXPECT_EQ(PaintedAt(wider, 30, 10), 0xFF0000FFu) << "after a size change";
    EXPECT_EQ(SurfaceWidth(cache.surface()), 30);
    EXPECT_FALSE(cache.valid());
    cache.markValid();
    Recolour(0xFFFF00);
    EXPECT_EQ(PaintedAt(Rect{0, 20, 30, 10}, 29, 29), 0xFF0000FFu)
        << "moved at the same size: still the old rendering";
}

TEST_F(Cache, StateImageLandsOverTheBackgroundInOneRendering) {
    SurfacePtr state = Uniform(3, 3, 0x0000FF);
    const ImageDesc stateImage{state.get(), 3, 3};
    Canvas canvas(40, 40);
    cache.draw(canvas.painter, image, place, place);
    cache.draw(canvas.painter, stateImage, place, place);
    cache.markValid();
    ASSERT_TRUE(cache.valid());
    EXPECT_EQ(PixelAt(cache.surface(), 1, 1), 0xFF0000FFu) << "state image on top";
    EXPECT_EQ(PixelAt(cache.surface(), 10, 5), 0xFFFF0000u) << "background kept";
    EXPECT_EQ(canvas.at(6, 6), 0xFF0000FFu);
    EXPECT_EQ(canvas.at(15, 10), 0xFFFF0000u);
}

TEST(CacheEdges, NothingToRenderLeavesItInvalid) {
    ImageCache cache;
    Canvas canvas(10, 10);
    cache.markValid();
    EXPECT_FALSE(cache.valid()) << "valid without a rendering would hide the first image";
    cache.draw(canvas.painter, ImageDesc{}, Rect{0, 0, 5, 5}, Rect{0, 0, 10, 10});
    SurfacePtr pic = Uniform(2, 2, 0);
    cache.draw(canvas.painter, ImageDesc{pic.get()}, Rect{0, 0, 0, 5}, Rect{0, 0, 10, 10});
    EXPECT_EQ(cache.surface(), nullptr);
    EXPECT_EQ(canvas.changed(Rect{}).second, 0);
}

TEST(BackBufferTest, ReusedAtTheSameSizeRebuiltAtAnother) {
    BackBuffer buffer;
    EXPECT_EQ(buffer.surface(), nullptr);
    {
        Painter p = buffer.begin(100, 50);
        ASSERT_TRUE(p.valid());
        p.fill(Rect{0, 0, 100, 50}, Color::FromArgb(0xFF123456u));
    }
    cairo_surface_t* first = buffer.surface();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(SurfaceWidth(first), 100);
    {
        Painter p = buffer.begin(100, 50);
        EXPECT_EQ(buffer.surface(), first) << "same size: the same buffer";
    }
    EXPECT_EQ(PixelAt(buffer.surface(), 99, 49), 0xFF123456u) << "and its pixels";
    {
        Painter p = buffer.begin(120, 50);
        EXPECT_TRUE(p.valid());
    }
    EXPECT_EQ(SurfaceWidth(buffer.surface()), 120);
    EXPECT_EQ(PixelAt(buffer.surface(), 0, 0), 0u) << "a new buffer starts transparent";
    {
        Painter p = buffer.begin(0, 50);
        EXPECT_FALSE(p.valid());
        p.fill(Rect{0, 0, 10, 10}, Color::FromArgb(0xFF000000u));
    }
    EXPECT_EQ(buffer.surface(), nullptr);
}

// ---- Text -------------------------------------------------------------------------

class Text : public ::testing::Test {
protected:
    FontDescriptionPtr font{pango_font_description_from_string("DejaVu Sans 12")};
    const Color black = Color::FromArgb(0xFF000000u);

    Canvas Draw(std::u16string_view text, const Rect& box, const TextFormat& format = {},
                Color colour = Color::FromArgb(0xFF000000u)) {
        Canvas canvas(200, 120);
        canvas.painter.drawText(text, font.get(), colour, box, format);
        return canvas;
    }
    int Measure(std::u16string_view text, const TextFormat& format = {}) {
        return MeasureText(nullptr, text, font.get(), format);
    }
};

TEST_F(Text, InkHasTheColourAndStaysInsideTheBox) {
    const Rect box{20, 30, 100, 30};
    Canvas canvas = Draw(u"Hello, world", box, {}, Color::FromArgb(0xFFFF0000u));
    const auto [in, out] = canvas.changed(box);
    EXPECT_GT(in, 20);
    EXPECT_EQ(out, 0);
    bool fullyRed = false;
    for (int y = box.y; y < box.bottom(); ++y) {
        for (int x = box.x; x < box.right(); ++x) {
            const uint32_t p = canvas.at(x, y);
            EXPECT_EQ(p >> 16 & 0xFF, 0xFFu) << "text over white keeps full red";
            EXPECT_EQ(p >> 8 & 0xFF, p & 0xFF) << "green and blue fade together";
            fullyRed |= p == 0xFFFF0000u;
        }
    }
    EXPECT_TRUE(fullyRed);
    // A long text is clipped to the box, not drawn past it.
    Canvas clipped = Draw(u"A long line that goes far beyond the box", Rect{10, 10, 60, 40});
    EXPECT_EQ(clipped.changed(Rect{10, 10, 60, 40}).second, 0);
}

TEST_F(Text, AlignmentMovesTheInk) {
    const Rect box{10, 10, 180, 100};
    auto inkOf = [&](TextAlign align, bool vcenter) {
        TextFormat f;
        f.align = align;
        f.vcenter = vcenter;
        return Draw(u"Mid", box, f).ink();
    };
    const Rect nearInk = inkOf(TextAlign::Near, false), centre = inkOf(TextAlign::Center, false),
               farInk = inkOf(TextAlign::Far, false), middle = inkOf(TextAlign::Near, true);
    ASSERT_FALSE(nearInk.empty());
    EXPECT_LT(nearInk.x, box.x + 5);
    EXPECT_NEAR(centre.x + centre.width / 2.0, box.x + box.width / 2.0, 4);
    EXPECT_GT(farInk.right(), box.right() - 5);
    EXPECT_LE(farInk.right(), box.right());
    EXPECT_EQ(nearInk.width, farInk.width) << "moved, not reshaped";
    EXPECT_GT(middle.y, nearInk.y + 5) << "vcenter moves the line down";
    EXPECT_NEAR(middle.y + middle.height / 2.0, box.y + box.height / 2.0, 5);
}

TEST_F(Text, OnlyWholeLinesAreDrawn) {
    EXPECT_EQ(Draw(u"Hello", Rect{10, 10, 100, 8}).changed(Rect{}).first, 0)
        << "a box lower than one line shows nothing";
    TextFormat wrap;
    wrap.wrap = true;
    const std::u16string words = u"one two three four five six seven eight";
    const Rect oneLine = Draw(u"one", Rect{10, 10, 100, 100}).ink();
    const Rect two = Draw(words, Rect{10, 10, 100, 45}, wrap).ink();  // room for two lines
    const Rect all = Draw(words, Rect{10, 10, 100, 100}, wrap).ink();
    EXPECT_GT(two.height, oneLine.height * 3 / 2) << "wraps onto a second line";
    EXPECT_LT(two.bottom(), 10 + 45);
    EXPECT_GT(all.height, two.height) << "a taller box shows more lines";
    EXPECT_LE(all.right(), 110);
    const Rect noWrap = Draw(words, Rect{10, 10, 100, 100}).ink();
    EXPECT_LT(noWrap.height, oneLine.height * 3 / 2) << "without autowrap: one line";
}

TEST_F(Text, EllipsisCutsAtAWordEnd) {
    TextFormat trim;
    trim.ellipsis = true;
    const int head = Measure(u"aaaa\u2026");
    ASSERT_GT(head, 0);
    const Rect box{10, 10, head + 30, 30};  // room for "aaaa…" but not the long word
    const std::u16string text = u"aaaa bbbbbbbbbbbbbbbbbbbbbbbbbbb";
    const Rect trimmed = Draw(text, box, trim).ink();
    const Rect plain = Draw(text, box).ink();
    EXPECT_LE(trimmed.right(), box.x + head + 2) << "cut after 'aaaa', not inside 'bbbb'";
    EXPECT_GT(plain.right(), box.right() - 3) << "without autotrim the text runs to the edge";
    // Text that fits is left alone.
    EXPECT_EQ(Draw(u"aaaa", box, trim).ink(), Draw(u"aaaa", box).ink());
    // One long word: cut inside it rather than showing nothing.
    const Rect word = Draw(u"bbbbbbbbbbbbbbbbbbbbbbbbbbbbbb", box, trim).ink();
    EXPECT_GT(word.width, head / 2);
    EXPECT_LE(word.right(), box.right());
}

TEST_F(Text, VerticalLinesRunDown) {
    const Rect ink = Draw(u"Vertical", Rect{10, 5, 40, 110}, TextFormat{.vertical = true}).ink();
    EXPECT_GT(ink.height, 2 * ink.width);
    TextFormat vertical{.vertical = true};
    const int across = Measure(u"Vertical", vertical);
    EXPECT_EQ(Measure(u"Vertical text, longer", vertical), across) << "one line: its height";
    EXPECT_GT(Measure(u"Vertical\ntwo", vertical), across * 3 / 2);
}

TEST_F(Text, MeasureGrowsWithTextAndTruncates) {
    const int one = Measure(u"a"), two = Measure(u"aa"), eight = Measure(u"aaaaaaaa");
    EXPECT_GT(one, 0);
    EXPECT_GT(two, one);
    EXPECT_GT(eight, two * 3);
    EXPECT_EQ(Measure(u""), 0);
    EXPECT_EQ(Measure(u"wide\nwider line"), Measure(u"wider line")) << "the widest line";
    TextFormat wrap;
    wrap.wrap = true;
    std::u16string longText;
    for (int i = 0; i < 400; ++i) {
        longText += u"word ";
    }
    EXPECT_GT(Measure(longText), 2000) << "no wrap: one long line";
    EXPECT_LE(Measure(longText, wrap), 2000) << "wrapped inside the 2000-pixel box";
    EXPECT_GT(MeasureText(nullptr, u"a", nullptr, {}), 0) << "default font";
    // The drawn ink fits the measured width.
    const Rect ink = Draw(u"Measure me", Rect{0, 0, 200, 40}).ink();
    EXPECT_LE(ink.right(), Measure(u"Measure me") + 2);
}

TEST(TextToUtf8Test, SurrogatesAndNul) {
    struct Case {
        std::u16string in;
        std::string out;
    } cases[] = {
        {u"abc", "abc"},
        {u"中文", "\xE4\xB8\xAD\xE6\x96\x87"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},  // a pair becomes one code point
        {std::u16string{u'a', char16_t(0xD800), u'b'},
         "a\xEF\xBF\xBD"
         "b"},
        {std::u16string{char16_t(0xDC00), char16_t(0xD800)}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {std::u16string{u'x', char16_t(0xD83D)}, "x\xEF\xBF\xBD"},  // high at the end
        {std::u16string{u'a', u'\0', u'b'},
         "a\xEF\xBF\xBD"
         "b"},
        {u"\u00E9\u07FF\u0800", "\xC3\xA9\xDF\xBF\xE0\xA0\x80"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextToUtf8(c.in), c.out);
    }
}

// Warnings Pango gives about the text it is handed.
int pangoWarnings = 0;
void CountWarning(const gchar*, GLogLevelFlags, const gchar*, gpointer) {
    ++pangoWarnings;
}

TEST_F(Text, BadInputStillDrawsWithoutPangoWarnings) {
    const guint handler = g_log_set_handler(
        "Pango", GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL), CountWarning, nullptr);
    pangoWarnings = 0;
    Canvas a = Draw(std::u16string{u'A', char16_t(0xDFFF), u'B'}, Rect{10, 10, 150, 30});
    Canvas b(200, 120);
    b.painter.drawText(std::string_view("A\xFF\xFE"
                                        "B\0C",
                                        6),
                       font.get(), black, Rect{10, 10, 150, 30});
    g_log_remove_handler("Pango", handler);
    EXPECT_EQ(pangoWarnings, 0);
    EXPECT_GT(a.changed(Rect{10, 10, 150, 30}).first, 0);
    EXPECT_GT(b.changed(Rect{10, 10, 150, 30}).first, 0);
    EXPECT_EQ(Draw(u"text", Rect{10, 10, 0, 30}).changed(Rect{}).first, 0) << "empty box";
}

}  // namespace
