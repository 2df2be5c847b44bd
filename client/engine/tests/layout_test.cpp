#include "layout.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(CameraBox, IsAThirdOfTheCanvasRoundedDown) {
    EXPECT_EQ(CameraBoxSize(1280, 720), (Size{426, 240}));
    EXPECT_EQ(CameraBoxSize(320, 240), (Size{106, 80}));
    EXPECT_EQ(CameraBoxSize(2, 2), (Size{0, 0}));
}

TEST(MergeCorner, TableOn1280x720) {
    struct Case {
        int corner;
        Point expected;
    };
    const Case cases[] = {
        {0, {10, 10}},   {1, {842, 10}},   {2, {10, 470}},  {3, {842, 470}},
        {7, {842, 470}}, {-1, {842, 470}}, {4, {842, 470}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MergeCornerPosition(c.corner, 1280, 720), c.expected) << "corner " << c.corner;
    }
}

TEST(MergeCorner, UsesIntegerThirdsOfOddSizes) {
    // 1001 div 3 = 333 -> 2*333-10 = 656; 601 div 3 = 200 -> 390.
    EXPECT_EQ(MergeCornerPosition(3, 1001, 601), (Point{656, 390}));
}

TEST(LogoCorner, TableWith200x80LogoOn1280x720) {
    struct Case {
        int corner;
        Point expected;
    };
    const Case cases[] = {
        {0, {16, 16}},    {1, {16, 624}},   {2, {1064, 16}},
        {3, {1064, 624}}, {9, {1064, 624}}, {-5, {1064, 624}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LogoCornerPosition(c.corner, 1280, 720, 200, 80), c.expected)
            << "corner " << c.corner;
    }
}

TEST(LogoCorner, WithoutLogoSizeUsesTheCanvasEdge) {
    EXPECT_EQ(LogoCornerPosition(1, 1280, 720, 0, 0), (Point{16, 704}));
    EXPECT_EQ(LogoCornerPosition(3, 1280, 720, 0, 0), (Point{1264, 704}));
}

TEST(LogoCorner, LogoLargerThanCanvasGoesNegativeWithoutWrapping) {
    EXPECT_EQ(LogoCornerPosition(3, 100, 100, 300, 200), (Point{-216, -116}));
}

}  // namespace
}  // namespace zv
