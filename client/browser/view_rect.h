#pragma once
// Placement of a page view inside its hosted area. The rectangle given at
// creation is in the area's coordinates; when the area is resized the view
// keeps its top-left corner and its distances to the area's right and bottom
// edges, so a view that filled the area keeps filling it.
namespace zv::browser {

// Left, top, right, bottom in the area's coordinates (right/bottom exclusive).
struct ViewRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct Placement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const Placement&) const = default;
};

// Where the view goes now. `baseWidth`/`baseHeight` is the area's size when
// the rectangle was given (the distances to the far edges are taken from it;
// a rectangle reaching past the area counts as touching its edge), `width`/
// `height` the area's size now. A view never gets less than 1x1 pixel.
Placement TrackRect(const ViewRect& rect, int baseWidth, int baseHeight, int width, int height);

}  // namespace zv::browser
