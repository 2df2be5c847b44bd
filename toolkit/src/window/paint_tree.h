#pragma once
// The paint walk: a control tree into a painter, in tree order, so later
// siblings and children lie over earlier ones. No native toolkit here; the
// window's native side calls it with its back buffer.
#include "controls/tree_node.h"
#include "draw/painter.h"

namespace Vcl {

// Paints `root` and its subtree. Invisible controls are skipped with their
// subtrees; of a node's children only those from `first` to `last` are
// painted (list rows outside the view). Each control's cache is marked
// valid after its paint. A scroll panel paints its children clipped to its
// inner rectangle first and itself last, so its bar lies over the content.
// A list row's colour (odd or even by its parity) is filled before it.
void PaintTree(Painter& painter, const TreeNode& root, const Rect& update);

// One repaint of a window's buffer: the update rectangle is cleared to
// transparent (unpainted pixels show the window's own background) and the
// tree painted into it. The painter's clip and origin are restored after.
void RepaintArea(Painter& painter, const TreeNode& root, const Rect& update);

}  // namespace Vcl
