// The updater's rules and its progress picture, rendered off screen.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "progress_paint.h"
#include "update_rules.h"

namespace zu = zv::updater;

// Fontconfig keeps its process-wide font cache until exit; that is not ours
// to free. Read by LeakSanitizer in the sanitizer build only.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace {

TEST(SameVersion, IgnoresAsciiCaseOnly) {
    EXPECT_TRUE(zu::SameVersion("2.0.1", "2.0.1"));
    EXPECT_TRUE(zu::SameVersion("2.0.1-Beta", "2.0.1-bETA"));
    EXPECT_TRUE(zu::SameVersion("", ""));
    EXPECT_FALSE(zu::SameVersion("2.0.1", "2.0.10"));
    EXPECT_FALSE(zu::SameVersion("2.0.1", ""));
    EXPECT_FALSE(zu::SameVersion("2.0.1 ", "2.0.1"));
    // Non-ASCII letters are compared byte for byte: "É" (C3 89) vs "é" (C3 A9).
    EXPECT_FALSE(zu::SameVersion("v\xC3\x89", "v\xC3\xA9"));
    // Zero-terminated comparison: whatever follows a zero byte does not count.
    EXPECT_TRUE(zu::SameVersion(std::string("2.0\0x", 5), "2.0"));
}

TEST(CheckRequest, UrlCarriesVersionUnescaped) {
    EXPECT_EQ(zu::CheckVersionUrl("http://r:1", "2.0.1"),
              "http://r:1/checkversion?type=windows&ver=2.0.1");
    EXPECT_EQ(zu::CheckVersionUrl("http://r:1", ""), "http://r:1/checkversion?type=windows&ver=");
    EXPECT_EQ(zu::CheckVersionUrl("http://r:1", "a b&c"),
              "http://r:1/checkversion?type=windows&ver=a b&c");
}

TEST(CheckReply, OffersOnlyAUsableAnswer) {
    struct Row {
        const char* body;
        bool offered;
    } rows[] = {
        {R"({"code":0,"version":"2.1","download":"http://h/d/setup.exe"})", true},
        {R"({"code":1,"version":"2.1","download":"http://h/d/setup.exe"})", false},
        {R"({"code":"0","version":"2.1","download":"http://h/d/setup.exe"})", true},
        {R"({"version":"2.1","download":"http://h/d/setup.exe"})", true},
        {R"({"code":0,"version":"","download":"http://h/d/setup.exe"})", false},
        {R"({"code":0,"version":"2.1","download":""})", false},
        {R"({"code":0,"version":"2.1"})", false},
        {R"({"code":0,"version":"2.1","download":"setup.exe"})", false},
        {R"({"code":0,"version":{"v":2},"download":"http://h/s.exe"})", false},
        {R"({"code":0,"version":2.5,"download":"http://h/s.exe"})", true},
        {R"([0,"2.1","http://h/s.exe"])", false},
        {"<html>500</html>", false},
        {"", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(zu::ReadCheckReply(row.body).offered, row.offered) << row.body;
    }
    const zu::CheckReply r = zu::ReadCheckReply(
        R"({"code":0,"version":"2.1","download":"http://h/d/s.exe","sha256":"ABCdef"})");
    EXPECT_EQ(r.version, "2.1");
    EXPECT_EQ(r.downloadUrl, "http://h/d/s.exe");
    EXPECT_EQ(r.sha256, "abcdef");
    EXPECT_EQ(zu::ReadCheckReply(R"({"code":0,"version":"2","download":"http://h/s"})").sha256, "");
}

TEST(InstallerPath, LastSegmentKeptWhole) {
    EXPECT_EQ(zu::InstallerFileName("http://h/d/setup-2.1.exe"), "setup-2.1.exe");
    EXPECT_EQ(zu::InstallerFileName("http://h/get?f=setup.exe&t=1"), "get?f=setup.exe&t=1");
    EXPECT_EQ(zu::InstallerFileName("http://h/d/"), "");
    EXPECT_FALSE(zu::InstallerFileName("setup.exe").has_value());
    EXPECT_EQ(zu::DownloadFolder("/home/u/.local/share"),
              "/home/u/.local/share/ZvUpdator/download");
}

TEST(ProgressLayout, BarGeometryAndTexts) {
    // 320 x 200: mid = (200 - 20) / 2 + 10 = 100.
    const zu::ProgressLayout none = zu::LayoutProgress(320, 200, 0, 0);
    EXPECT_EQ(none.textArea.bottom, 100);
    EXPECT_EQ(none.barBack.left, 10);
    EXPECT_EQ(none.barBack.top, 100);
    EXPECT_EQ(none.barBack.right, 310);
    EXPECT_EQ(none.barBack.bottom, 190);
    EXPECT_EQ(none.bar.left, 12);
    EXPECT_EQ(none.bar.right, 12);
    EXPECT_EQ(none.bar.top, 102);
    EXPECT_EQ(none.bar.bottom, 188);
    EXPECT_EQ(zu::PercentText(none.fraction), "下载 - 0.00 %");

    const zu::ProgressLayout full = zu::LayoutProgress(320, 200, 5000, 5000);
    EXPECT_EQ(full.bar.right, 308);
    EXPECT_EQ(zu::PercentText(full.fraction), "下载 - 100.00 %");

    const zu::ProgressLayout part = zu::LayoutProgress(320, 200, 3, 1);
    EXPECT_EQ(part.bar.right, 12 + 98);  // 296 / 3 cut toward zero
    EXPECT_EQ(zu::PercentText(part.fraction), "下载 - 33.33 %");

    // Unknown size: the bar stays empty and the fraction is bytes / 1.
    const zu::ProgressLayout unknown = zu::LayoutProgress(320, 200, 0, 7);
    EXPECT_EQ(unknown.bar.right, 12);
    EXPECT_EQ(zu::PercentText(unknown.fraction), "下载 - 700.00 %");

    // More than announced never paints over the frame.
    EXPECT_EQ(zu::LayoutProgress(320, 200, 10, 20).bar.right, 308);
    // Wrapped or hostile byte counts (the low 32 bits of a size beyond 4 GB
    // can be tiny) keep the bar inside its frame, full or empty.
    EXPECT_EQ(zu::LayoutProgress(320, 200, 1, 10000000).bar.right, 308);
    EXPECT_EQ(zu::LayoutProgress(320, 200, 1, INT32_MAX).bar.right, 308);
    EXPECT_EQ(zu::LayoutProgress(320, 200, 1, -10000000).bar.right, 12);
    EXPECT_EQ(zu::LayoutProgress(320, 200, 3, INT32_MIN).bar.right, 12);
    // Odd height: integer division.
    EXPECT_EQ(zu::LayoutProgress(320, 201, 0, 0).barBack.top, 100);

    EXPECT_EQ(zu::HeadlineText("2.1", "2.0"),
              "您的软件有新的版本（2.1）可用了!\r\n当前版本为（2.0）。");
}

struct Surface {
    Surface(int w, int h) : s(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h)) {}
    ~Surface() { cairo_surface_destroy(s); }
    uint32_t At(int x, int y) const {
        const unsigned char* row =
            cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
        return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
    }
    cairo_surface_t* s;
};

void Paint(Surface& surface, int w, int h, const zu::ProgressView& view) {
    cairo_t* cr = cairo_create(surface.s);
    zu::PaintProgress(cr, w, h, view);
    cairo_destroy(cr);
    cairo_surface_flush(surface.s);
}

int DarkPixels(const Surface& s, int left, int top, int right, int bottom) {
    int dark = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const uint32_t p = s.At(x, y);
            dark += ((p >> 16 & 0xFF) < 100 && (p >> 8 & 0xFF) < 100 && (p & 0xFF) < 100) ? 1 : 0;
        }
    }
    return dark;
}

TEST(ProgressPaint, FullBarTwoPixelsInsideTheFrame) {
    Surface s(320, 200);
    Paint(s, 320, 200, {"2.1.0", "2.0.1", 1000, 1000});
    constexpr uint32_t kWhite = 0xFFFFFF, kGrey = 0xDCDCDC, kGreen = 0x00FF00;
    EXPECT_EQ(s.At(9, 150), kWhite);
    EXPECT_EQ(s.At(10, 150), kGrey);
    EXPECT_EQ(s.At(11, 150), kGrey);
    EXPECT_EQ(s.At(12, 150), kGreen);
    EXPECT_EQ(s.At(307, 150), kGreen);
    EXPECT_EQ(s.At(308, 150), kGrey);
    EXPECT_EQ(s.At(309, 150), kGrey);
    EXPECT_EQ(s.At(310, 150), kWhite);
    EXPECT_EQ(s.At(50, 100), kGrey);
    EXPECT_EQ(s.At(50, 101), kGrey);
    EXPECT_EQ(s.At(50, 102), kGreen);
    EXPECT_EQ(s.At(50, 187), kGreen);
    EXPECT_EQ(s.At(50, 188), kGrey);
    EXPECT_EQ(s.At(50, 190), kWhite);
    // The versions above, the percentage in the middle of the bar.
    EXPECT_GT(DarkPixels(s, 10, 10, 310, 100), 200);
    EXPECT_GT(DarkPixels(s, 100, 130, 220, 160), 100);
    EXPECT_EQ(DarkPixels(s, 12, 102, 60, 188), 0);
}

TEST(ProgressPaint, EmptyBarBeforeProgressAndTextDependsOnVersions) {
    Surface a(320, 200), b(320, 200);
    Paint(a, 320, 200, {"2.1.0", "2.0.1", 0, 0});
    Paint(b, 320, 200, {"9.9.9", "2.0.1", 0, 0});
    EXPECT_EQ(a.At(12, 150), 0xDCDCDCu);
    EXPECT_EQ(a.At(40, 150), 0xDCDCDCu);
    int differing = 0;
    for (int y = 10; y < 100; ++y) {
        for (int x = 10; x < 310; ++x) {
            differing += a.At(x, y) != b.At(x, y) ? 1 : 0;
        }
    }
    EXPECT_GT(differing, 20);
}

}  // namespace
