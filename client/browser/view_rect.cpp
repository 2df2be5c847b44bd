#include "view_rect.h"

#include <algorithm>

namespace zv::browser {

namespace {

// The extent along one axis: start stays, the far inset is kept.
int TrackExtent(int start, int end, int baseSize, int size) {
    const int inset = std::max(0, baseSize - end);
    return std::max(1, size - inset - start);
}

}  // namespace

Placement TrackRect(const ViewRect& rect, int baseWidth, int baseHeight, int width, int height) {
    Placement placement;
    placement.x = rect.left;
    placement.y = rect.top;
    placement.width = TrackExtent(rect.left, rect.right, baseWidth, width);
    placement.height = TrackExtent(rect.top, rect.bottom, baseHeight, height);
    return placement;
}

}  // namespace zv::browser
