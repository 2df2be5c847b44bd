#pragma once
// One node per control: the control, its children in document order, the
// range of children that take part in layout and painting, and list-row
// colours.
#include <climits>
#include <memory>
#include <vector>

#include "controls/layer.h"
#include "res/color.h"

namespace Vcl {

struct TreeNode {
    TreeNode() = default;
    // Descendants go first; a control still inside its own event is parked
    // and freed when that event returns.
    ~TreeNode();
    TreeNode(const TreeNode&) = delete;
    TreeNode& operator=(const TreeNode&) = delete;

    std::unique_ptr<Layer> control;
    std::vector<std::unique_ptr<TreeNode>> children;
    TreeNode* parent = nullptr;
    int first = 0;
    int last = INT_MAX;
    std::unique_ptr<Res::xColor> rowColorOdd;
    std::unique_ptr<Res::xColor> rowColorEven;
    int parity = -1;  // 1 odd row, 0 even row, -1 no row colours
};

// Removes child `index` of `node`; a control inside its own event is freed
// when that event returns.
void RemoveChild(TreeNode& node, size_t index);

}  // namespace Vcl
