// Placement of a view inside its area as the area is resized.
#include <gtest/gtest.h>

#include "view_rect.h"

namespace zv::browser {
namespace {

TEST(ViewRect, FillingViewKeepsFilling) {
    const ViewRect r{0, 0, 400, 300};
    EXPECT_EQ(TrackRect(r, 400, 300, 400, 300), (Placement{0, 0, 400, 300}));
    EXPECT_EQ(TrackRect(r, 400, 300, 640, 480), (Placement{0, 0, 640, 480}));
    EXPECT_EQ(TrackRect(r, 400, 300, 200, 100), (Placement{0, 0, 200, 100}));
}

TEST(ViewRect, InsetViewKeepsCornerAndMargins) {
    const ViewRect r{10, 20, 390, 280};  // 10 px right margin, 20 px bottom margin
    EXPECT_EQ(TrackRect(r, 400, 300, 400, 300), (Placement{10, 20, 380, 260}));
    EXPECT_EQ(TrackRect(r, 400, 300, 500, 400), (Placement{10, 20, 480, 360}));
}

TEST(ViewRect, RectPastTheAreaTouchesItsEdge) {
    const ViewRect r{0, 0, 1000, 1000};
    EXPECT_EQ(TrackRect(r, 400, 300, 400, 300), (Placement{0, 0, 400, 300}));
    EXPECT_EQ(TrackRect(r, 400, 300, 800, 600), (Placement{0, 0, 800, 600}));
}

TEST(ViewRect, NeverBelowOnePixel) {
    EXPECT_EQ(TrackRect({50, 50, 100, 100}, 400, 300, 10, 10), (Placement{50, 50, 1, 1}));
    // Empty and inverted rectangles still give a placeable view.
    EXPECT_EQ(TrackRect({30, 30, 30, 30}, 100, 100, 100, 100), (Placement{30, 30, 1, 1}));
    EXPECT_EQ(TrackRect({80, 80, 20, 20}, 100, 100, 100, 100), (Placement{80, 80, 1, 1}));
    EXPECT_EQ(TrackRect({0, 0, 100, 100}, 100, 100, 0, 0), (Placement{0, 0, 1, 1}));
}

}  // namespace
}  // namespace zv::browser
