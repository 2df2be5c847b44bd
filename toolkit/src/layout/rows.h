#pragma once
// Which list rows a view shows: arithmetic over row lengths along the list's
// axis (heights in a vertical list, widths in a horizontal one), measured
// from the start of the content. No controls, no allocation.
#include <algorithm>

namespace Vcl {

struct RowRange {
    int first = 0;        // first row placed
    int last = -1;        // last row placed; below `first` when none is
    int lastShown = -1;   // last placed row that reaches into the view
    long long start = 0;  // where row `first` begins in the content
};

// Rows of one length (> 0): the first placed is offset / length, the last
// view / length + first + 2, both kept within the rows there are.
RowRange FixedRowRange(int count, int length, int offset, int view);

// Rows of their own lengths (lengthAt(i), negative counts as 0): from the
// row that contains `offset` to the row that reaches the end of the view.
template <typename LengthAt>
RowRange VariableRowRange(int count, LengthAt&& lengthAt, int offset, int view) {
    RowRange r;
    long long pos = 0;
    int i = 0;
    for (; i < count; ++i) {
        const long long len = std::max(0, lengthAt(i));
        if (pos + len > offset) {
            break;
        }
        pos += len;
    }
    if (i == count) {
        r.first = count;
        return r;  // the offset lies beyond the content
    }
    r.first = i;
    r.start = pos;
    const long long end = static_cast<long long>(offset) + std::max(0, view);
    for (; i < count; ++i) {
        r.last = i;
        pos += std::max(0, lengthAt(i));
        if (pos >= end) {
            break;
        }
    }
    r.lastShown = view > 0 ? r.last : r.first - 1;
    return r;
}

}  // namespace Vcl
