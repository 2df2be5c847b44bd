#include "layout/layout.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace Vcl {

namespace {

// Truncation toward zero that saturates instead of overflowing.
int Trunc(double v) {
    if (!(v == v)) {
        return 0;
    }
    if (v >= double(INT_MAX)) {
        return INT_MAX;
    }
    if (v <= double(INT_MIN)) {
        return INT_MIN;
    }
    return static_cast<int>(v);
}

int Clamp64(long long v) {
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

// The children that take part: visible ones inside the node's index range.
template <typename Fn>
void ForEachVisible(TreeNode& node, Fn&& fn) {
    const long long count = static_cast<long long>(node.children.size());
    const long long first = std::max(0, node.first);
    const long long last = std::min<long long>(node.last, count - 1);
    for (long long i = first; i <= last; ++i) {
        TreeNode& child = *node.children[static_cast<size_t>(i)];
        if (child.control && child.control->visible) {
            fn(child);
        }
    }
}

}  // namespace

void PlaceInSlot(Layer& c, int sx, int sy, int sw, int sh, Axis axis) {
    switch (c.align) {
        case Align::Expand:
            if (c.expandScale <= 0.0) {
                c.rect.x = sx, c.rect.y = sy, c.rect.width = sw, c.rect.height = sh;
            } else {
                const double r = c.expandScale;
                if (r < double(sw) / double(sh)) {
                    c.rect.width = Trunc(sh * r);
                    c.rect.height = sh;
                    c.rect.x = Clamp64(sx + (static_cast<long long>(sw) - c.rect.width) / 2);
                    c.rect.y = sy;
                } else {
                    c.rect.width = sw;
                    c.rect.height = Trunc(sw / r);
                    c.rect.x = sx;
                    c.rect.y = Clamp64(sy + (static_cast<long long>(sh) - c.rect.height) / 2);
                }
            }
            break;
        case Align::Left:
        case Align::Top:
            if (axis == Axis::Vertical) {
                c.rect.y = sy, c.rect.height = sh, c.rect.x = sx,
                c.rect.width = std::min(c.rect.width, sw);
            } else if (axis == Axis::Horizontal) {
                c.rect.x = sx, c.rect.width = sw, c.rect.y = sy,
                c.rect.height = std::min(c.rect.height, sh);
            }
            break;
        case Align::Right:
        case Align::Bottom:
            if (axis == Axis::Vertical) {
                c.rect.y = sy, c.rect.height = sh;
                if (c.rect.width > sw) {
                    c.rect.width = sw, c.rect.x = sx;
                } else {
                    c.rect.x = Clamp64(static_cast<long long>(sx) + sw - c.rect.width);
                }
            } else if (axis == Axis::Horizontal) {
                c.rect.x = sx, c.rect.width = sw;
                if (c.rect.height > sh) {
                    c.rect.height = sh, c.rect.y = sy;
                } else {
                    c.rect.y = Clamp64(static_cast<long long>(sy) + sh - c.rect.height);
                }
            }
            break;
        case Align::Center:
            if (axis == Axis::Vertical) {
                c.rect.y = sy, c.rect.height = sh;
                if (c.rect.width < sw) {
                    c.rect.x = Clamp64(sx + (static_cast<long long>(sw) - c.rect.width) / 2);
                } else {
                    c.rect.width = sw, c.rect.x = sx;
                }
            } else if (axis == Axis::Horizontal) {
                c.rect.x = sx, c.rect.width = sw;
                if (c.rect.height < sh) {
                    c.rect.y = Clamp64(sy + (static_cast<long long>(sh) - c.rect.height) / 2);
                } else {
                    c.rect.height = sh, c.rect.y = sy;
                }
            }
            break;
        default:
            break;
    }
    c.placed();
}

void LayoutNode(TreeNode& node) {
    if (!node.control) {
        return;
    }
    Layer& p = *node.control;
    // A list's children are its rows, which the list places itself (only
    // those in view, by its scroll offset) when it is placed.
    if (p.kind == Kind::List) {
        p.placed();
        return;
    }
    if (node.children.empty()) {
        return;
    }

    // Pass 1: count the visible children and sum the fixed sizes.
    int n = 0, e = 0;
    long long fixedW = 0, fixedH = 0;
    ForEachVisible(node, [&](TreeNode& child) {
        ++n;
        if (child.control->layoutItem == LayoutItem::Expand) {
            ++e;
        } else {
            fixedW += child.control->rect.width;
            fixedH += child.control->rect.height;
        }
    });
    p.fixedWidthSum = Clamp64(fixedW);
    p.fixedHeightSum = Clamp64(fixedH);
    if (n == 0) {
        if (p.kind == Kind::ScrollPanel) {
            p.placed();  // its content is gone: the range shrinks to nothing
        }
        return;
    }

    // Pass 2: the children's area.
    const int x0 = Clamp64(static_cast<long long>(p.rect.x) + p.ml + p.scrollX);
    const int y0 = Clamp64(static_cast<long long>(p.rect.y) + p.mt + p.scrollY);
    const int cw = Clamp64(static_cast<long long>(p.rect.width) - p.mr - p.ml);
    const int ch = Clamp64(static_cast<long long>(p.rect.height) - p.mb - p.mt);

    // Pass 3: arrange.
    if (p.layout == LayoutMode::Grid) {
        // The smallest square grid that holds the children, at most 5 x 5;
        // children beyond 25 keep stacking in further rows of five.
        const int g = n <= 4 ? 2 : n <= 9 ? 3 : n <= 16 ? 4 : 5;
        const int cellW = cw / g, cellH = ch / g;
        int k = 0;
        ForEachVisible(node, [&](TreeNode& child) {
            int sx = Clamp64(x0 + static_cast<long long>(cellW) * (k % g));
            int sy = Clamp64(y0 + static_cast<long long>(cellH) * (k / g));
            PlaceInSlot(*child.control, sx, sy, cellW, cellH, Axis::Grid);
            LayoutNode(child);
            ++k;
        });
    } else {
        const bool vertical = p.layout == LayoutMode::Vertical;
        const long long free = (vertical ? ch : cw) - (vertical ? fixedH : fixedW);
        const long long share = e > 0 ? free / e : 0;
        const long long firstShare = e > 0 ? share + free % e : 0;
        bool firstExpand = true;
        long long pos = vertical ? y0 : x0;
        ForEachVisible(node, [&](TreeNode& child) {
            Layer& c = *child.control;
            long long slot;
            if (c.layoutItem == LayoutItem::Expand) {
                slot = firstExpand ? firstShare : share;
                firstExpand = false;
            } else {
                slot = vertical ? c.rect.height : c.rect.width;
            }
            if (vertical) {
                PlaceInSlot(c, x0, Clamp64(pos), cw, Clamp64(slot), Axis::Vertical);
            } else {
                PlaceInSlot(c, Clamp64(pos), y0, Clamp64(slot), ch, Axis::Horizontal);
            }
            LayoutNode(child);
            pos += slot;
        });
    }

    // A scroll panel updates its range from the sums once its content is placed.
    if (p.kind == Kind::ScrollPanel) {
        p.placed();
    }
}

}  // namespace Vcl
