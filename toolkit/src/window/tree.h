#pragma once
// Building control trees from descriptions, and the deferred deletion of
// controls destroyed inside their own event.
#include <tinyxml2.h>

#include <functional>
#include <memory>

#include "controls/controls.h"

namespace Vcl {

// Limits that keep hostile descriptions finite: nesting depth of controls,
// and controls per window (includes can multiply subtrees).
constexpr int kMaxTreeDepth = 200;
constexpr int kMaxControlsPerWindow = 20000;

struct BuildContext {
    Window* window = nullptr;
    // Reads an included fragment by entry name; empty when missing.
    std::function<std::string(const std::string&)> readEntry;
    int controls = 0;
    std::vector<std::string> includeStack;  // fragments being expanded on this path
};

// Builds the control of `element` and its subtree. `element` may gain
// children from its "src" include. Null when the element is not a control or
// its load fails; failed children are dropped and their siblings kept.
std::unique_ptr<TreeNode> BuildNode(tinyxml2::XMLElement* element, TreeNode* parentNode,
                                    BuildContext& context, int depth = 0);

// Removes child `index` of `node`; a control inside its own event is freed
// when that event returns.
void RemoveChild(TreeNode& node, size_t index);

// Deferred deletion: controls in a callback are parked here by ~TreeNode.
void DeferDeletion(std::unique_ptr<Layer> control);
// Frees `control` when it is parked; true when it was.
bool TakeDeferred(Layer* control);
// True while `control` is parked for deletion.
bool IsDeferred(const Layer* control);
size_t DeferredCount();

}  // namespace Vcl
