#include "layout/rows.h"

namespace Vcl {

RowRange FixedRowRange(int count, int length, int offset, int view) {
    RowRange r;
    if (count <= 0 || length <= 0) {
        return r;
    }
    offset = std::max(0, offset);
    view = std::max(0, view);
    r.first = std::min(offset / length, count);
    r.start = static_cast<long long>(r.first) * length;
    // Two rows beyond the view's own count: one cut at the top, one at the
    // bottom, without knowing where the offset falls inside a row.
    const long long last = static_cast<long long>(view / length) + r.first + 2;
    r.last = static_cast<int>(std::min<long long>(last, count - 1));
    // Of those, the rows that begin before the view ends.
    const long long end = static_cast<long long>(offset) + view;
    const long long shown = end > 0 ? (end - 1) / length : -1;
    r.lastShown = static_cast<int>(std::min<long long>(shown, r.last));
    if (view == 0) {
        r.lastShown = r.first - 1;
    }
    return r;
}

}  // namespace Vcl
