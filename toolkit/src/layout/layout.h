#pragma once
// The layout pass: rectangles of a node's visible children from its own
// rectangle, margins and each child's layoutItem, align and expandScale.
// Needs no display; recursive and allocation-free.
#include "controls/tree_node.h"

namespace Vcl {

enum class Axis { Horizontal, Vertical, Grid };

// Lays out the children of `node` (and theirs, recursively). A scroll
// panel hears placed() once its content is placed (it updates its range and
// may lay the content out again at a new offset); a list is only placed()
// (it places its own rows).
void LayoutNode(TreeNode& node);

// Places `child` in the slot by its align; then its placed() runs.
void PlaceInSlot(Layer& child, int sx, int sy, int sw, int sh, Axis axis);

}  // namespace Vcl
