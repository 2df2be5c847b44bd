// The round avatar made from generated pictures in real files.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <zlib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "avatar_image.h"
#include "platform/temp_file.h"

namespace {

struct Rgba {
    int r, g, b, a;
};

struct Unref {
    void operator()(GdkPixbuf* p) const { g_object_unref(p); }
};
using Pixbuf = std::unique_ptr<GdkPixbuf, Unref>;

// A temporary file removed at the end of the test.
class TempPath {
public:
    TempPath() : path_(zv::MakeTempFile("zvtest", ".png").value_or("")) {}
    ~TempPath() { std::remove(path_.c_str()); }
    const std::string& str() const { return path_; }

private:
    std::string path_;
};

Pixbuf MakePicture(int w, int h, bool alpha, const std::function<Rgba(int, int)>& colour) {
    Pixbuf p(gdk_pixbuf_new(GDK_COLORSPACE_RGB, alpha, 8, w, h));
    const int n = gdk_pixbuf_get_n_channels(p.get());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            guchar* px =
                gdk_pixbuf_get_pixels(p.get()) + y * gdk_pixbuf_get_rowstride(p.get()) + x * n;
            const Rgba c = colour(x, y);
            px[0] = c.r;
            px[1] = c.g;
            px[2] = c.b;
            if (alpha) {
                px[3] = c.a;
            }
        }
    }
    return p;
}

void Save(const Pixbuf& p, const std::string& path, const char* type) {
    ASSERT_TRUE(gdk_pixbuf_save(p.get(), path.c_str(), type, nullptr, nullptr));
}

Pixbuf Load(const std::string& path) {
    return Pixbuf(gdk_pixbuf_new_from_file(path.c_str(), nullptr));
}

Rgba At(const Pixbuf& p, int x, int y) {
    const guchar* px = gdk_pixbuf_get_pixels(p.get()) + y * gdk_pixbuf_get_rowstride(p.get()) +
                       x * gdk_pixbuf_get_n_channels(p.get());
    return {px[0], px[1], px[2], gdk_pixbuf_get_has_alpha(p.get()) ? px[3] : 255};
}

// `ring`: also check points just inside the circle (a picture much smaller
// than 64 x 64 has a softer edge after scaling up).
void ExpectRoundShape(const Pixbuf& out, bool ring = true) {
    ASSERT_TRUE(out);
    ASSERT_EQ(gdk_pixbuf_get_width(out.get()), 64);
    ASSERT_EQ(gdk_pixbuf_get_height(out.get()), 64);
    ASSERT_TRUE(gdk_pixbuf_get_has_alpha(out.get()));
    for (auto [x, y] : {std::pair{0, 0}, {63, 0}, {0, 63}, {63, 63}, {5, 5}, {58, 58}}) {
        if (ring || x == 0 || x == 63) {
            EXPECT_EQ(At(out, x, y).a, 0) << x << "," << y;
        }
    }
    for (auto [x, y] : {std::pair{32, 32}, {31, 31}, {32, 3}, {3, 32}, {60, 32}, {32, 60}}) {
        if (ring || (x > 16 && x < 48 && y > 16 && y < 48)) {
            EXPECT_EQ(At(out, x, y).a, 255) << x << "," << y;
        }
    }
    // The edge is smooth: some pixels are partly transparent.
    int partial = 0;
    for (int x = 0; x < 64; ++x) {
        const int a = At(out, x, 10).a;
        partial += (a > 0 && a < 255) ? 1 : 0;
    }
    EXPECT_GT(partial, 0);
}

TEST(RoundAvatar, WidePictureKeepsCentredSquare) {
    // Red outside columns 50-149; inside, blue left half, green right half.
    TempPath file;
    Save(MakePicture(200, 100, false,
                     [](int x, int) -> Rgba {
                         if (x < 50 || x >= 150)
                             return {255, 0, 0, 255};
                         return x < 100 ? Rgba{0, 0, 255, 255} : Rgba{0, 255, 0, 255};
                     }),
         file.str(), "png");
    ASSERT_TRUE(zv::MakeRoundAvatar(file.str()));
    const Pixbuf out = Load(file.str());
    ExpectRoundShape(out);
    const Rgba left = At(out, 16, 32), right = At(out, 48, 32);
    EXPECT_LT(left.r, 8);
    EXPECT_GT(left.b, 247);
    EXPECT_LT(right.r, 8);
    EXPECT_GT(right.g, 247);
    // No colour of the cut-away columns anywhere in the visible part.
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            if (At(out, x, y).a > 0) {
                ASSERT_LT(At(out, x, y).r, 8) << x << "," << y;
            }
        }
    }
}

TEST(RoundAvatar, TallPictureKeepsCentredRows) {
    TempPath file;
    Save(MakePicture(60, 180, false,
                     [](int, int y) -> Rgba {
                         return (y < 60 || y >= 120) ? Rgba{255, 0, 0, 255} : Rgba{0, 0, 255, 255};
                     }),
         file.str(), "png");
    ASSERT_TRUE(zv::MakeRoundAvatar(file.str()));
    const Pixbuf out = Load(file.str());
    ExpectRoundShape(out);
    EXPECT_LT(At(out, 32, 4).r, 8);
    EXPECT_LT(At(out, 32, 60).r, 8);
}

TEST(RoundAvatar, SquareKeepsAllQuadrantsAndDetectsFormatFromContent) {
    // A JPEG behind a ".png" name: the content decides.
    TempPath file;
    Save(MakePicture(120, 120, false,
                     [](int x, int y) -> Rgba {
                         if (y < 60)
                             return x < 60 ? Rgba{255, 0, 0, 255} : Rgba{0, 255, 0, 255};
                         return x < 60 ? Rgba{0, 0, 255, 255} : Rgba{255, 255, 0, 255};
                     }),
         file.str(), "jpeg");
    ASSERT_TRUE(zv::MakeRoundAvatar(file.str()));
    const Pixbuf out = Load(file.str());
    ExpectRoundShape(out);
    const Rgba tl = At(out, 20, 20), tr = At(out, 44, 20), bl = At(out, 20, 44),
               br = At(out, 44, 44);
    EXPECT_GT(tl.r, 200);
    EXPECT_LT(tl.g, 60);
    EXPECT_GT(tr.g, 200);
    EXPECT_LT(tr.r, 60);
    EXPECT_GT(bl.b, 200);
    EXPECT_LT(bl.r, 60);
    EXPECT_GT(br.r, 200);
    EXPECT_GT(br.g, 200);
}

TEST(RoundAvatar, TinyPictureIsScaledUp) {
    TempPath file;
    Save(MakePicture(10, 7, false,
                     [](int, int) {
                         return Rgba{10, 200, 30, 255};
                     }),
         file.str(), "bmp");
    ASSERT_TRUE(zv::MakeRoundAvatar(file.str()));
    const Pixbuf out = Load(file.str());
    ExpectRoundShape(out, false);
    const Rgba c = At(out, 32, 32);
    EXPECT_NEAR(c.r, 10, 3);
    EXPECT_NEAR(c.g, 200, 3);
    EXPECT_NEAR(c.b, 30, 3);
}

TEST(RoundAvatar, OwnTransparencyIsKept) {
    TempPath file;
    Save(MakePicture(50, 50, true, [](int, int) { return Rgba{0, 0, 0, 0}; }), file.str(), "png");
    ASSERT_TRUE(zv::MakeRoundAvatar(file.str()));
    const Pixbuf out = Load(file.str());
    ASSERT_TRUE(out);
    EXPECT_EQ(At(out, 32, 32).a, 0);
}

TEST(RoundAvatar, WhatIsNotAPictureIsRefusedAndLeftAlone) {
    for (const std::string& content :
         {std::string("<html><body>404 Not Found</body></html>"), std::string(),
          std::string("\x89PNG\r\n\x1a\n truncated", 19)}) {
        TempPath file;
        ASSERT_TRUE(g_file_set_contents(file.str().c_str(), content.data(),
                                        static_cast<gssize>(content.size()), nullptr));
        EXPECT_FALSE(zv::MakeRoundAvatar(file.str()));
        gchar* after = nullptr;
        gsize size = 0;
        ASSERT_TRUE(g_file_get_contents(file.str().c_str(), &after, &size, nullptr));
        EXPECT_EQ(std::string(after, size), content);
        g_free(after);
    }
    EXPECT_FALSE(zv::MakeRoundAvatar("/nonexistent/folder/zvtr.png"));
}

// A PNG of `side` x `side` black pixels, 1 bit each: a few dozen kilobytes
// that decode to gigabytes.
std::string CompressedHugePng(uint32_t side) {
    auto chunk = [](const char* type, const std::string& data) {
        std::string out;
        for (int shift = 24; shift >= 0; shift -= 8) {
            out.push_back(static_cast<char>((data.size() >> shift) & 0xFF));
        }
        const std::string body = type + data;
        out += body;
        const uLong crc =
            crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
        for (int shift = 24; shift >= 0; shift -= 8) {
            out.push_back(static_cast<char>((crc >> shift) & 0xFF));
        }
        return out;
    };
    std::string header;
    for (int i = 0; i < 2; ++i) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            header.push_back(static_cast<char>((side >> shift) & 0xFF));
        }
    }
    header += std::string("\x01\x00\x00\x00\x00", 5);  // 1-bit grey
    const std::string row(1 + (side + 7) / 8, '\0');
    std::string raw;
    raw.reserve(row.size() * side);
    for (uint32_t y = 0; y < side; ++y) {
        raw += row;
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(size, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
              reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()), 9);
    packed.resize(size);
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", packed) +
           chunk("IEND", "");
}

long PeakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

TEST(RoundAvatar, HugePictureIsRefusedWithoutDecodingIt) {
    // 20000 x 20000 would take 1.2 GB once decoded; the download is 50 kB.
    const std::string bomb = CompressedHugePng(20000);
    ASSERT_LT(bomb.size(), 200000u);
    TempPath file;
    ASSERT_TRUE(g_file_set_contents(file.str().c_str(), bomb.data(),
                                    static_cast<gssize>(bomb.size()), nullptr));
    const long before = PeakResidentMegabytes();
    EXPECT_FALSE(zv::MakeRoundAvatar(file.str()));
    EXPECT_LT(PeakResidentMegabytes() - before, 200) << "megabytes more at peak";

    // A large photograph is reduced while it decodes and still makes an avatar.
    TempPath photo;
    Save(MakePicture(4500, 4500, false,
                     [](int, int) {
                         return Rgba{200, 40, 40, 255};
                     }),
         photo.str(), "jpeg");
    ASSERT_TRUE(zv::MakeRoundAvatar(photo.str()));
    const Pixbuf out = Load(photo.str());
    ExpectRoundShape(out);
    EXPECT_NEAR(At(out, 32, 32).r, 200, 6);
}

}  // namespace
