#include "controls/tree_node.h"

namespace Vcl {

TreeNode::~TreeNode() {
    children.clear();  // descendants first, so none outlives its parent's control
    if (control && control->inCallback) {
        DeferDeletion(std::move(control));
    }
}

void RemoveChild(TreeNode& node, size_t index) {
    if (index >= node.children.size()) {
        return;
    }
    std::unique_ptr<TreeNode> gone = std::move(node.children[index]);
    node.children.erase(node.children.begin() + static_cast<long>(index));
    gone.reset();
}

}  // namespace Vcl
