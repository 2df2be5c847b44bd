#pragma once
// The toolkit's one rectangle: origin and size in pixels, as layout writes
// them and painting reads them. Arithmetic saturates, so hostile sizes from
// descriptions cannot overflow.
#include <algorithm>
#include <climits>

namespace Vcl {

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;

    static Rect FromEdges(int left, int top, int right, int bottom) {
        return Rect{left, top, Saturate(static_cast<long long>(right) - left),
                    Saturate(static_cast<long long>(bottom) - top)};
    }

    int right() const { return Saturate(static_cast<long long>(x) + width); }
    int bottom() const { return Saturate(static_cast<long long>(y) + height); }
    bool empty() const { return width <= 0 || height <= 0; }
    bool contains(int px, int py) const {
        return px >= x && py >= y && px < right() && py < bottom();
    }
    // The common part; empty (at the origin of this one) when they do not meet.
    Rect intersect(const Rect& o) const {
        const int l = std::max(x, o.x), t = std::max(y, o.y);
        const int r = std::min(right(), o.right()), b = std::min(bottom(), o.bottom());
        if (r <= l || b <= t) {
            return Rect{x, y, 0, 0};
        }
        return FromEdges(l, t, r, b);
    }
    // Shrunk by margins on each side (sizes may become zero or negative).
    Rect inset(int left, int top, int right, int bottom) const {
        return Rect{Saturate(static_cast<long long>(x) + left),
                    Saturate(static_cast<long long>(y) + top),
                    Saturate(static_cast<long long>(width) - left - right),
                    Saturate(static_cast<long long>(height) - top - bottom)};
    }
    bool operator==(const Rect&) const = default;

    static int Saturate(long long v) {
        return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
    }
};

}  // namespace Vcl
