#pragma once
// Building control trees from descriptions.
#include <tinyxml2.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controls/tree_node.h"

namespace Res {
class xResourceManager;
}

namespace Vcl {

// Limits that keep hostile descriptions finite: nesting depth of controls,
// and controls per window (includes can multiply subtrees).
constexpr int kMaxTreeDepth = 200;
constexpr int kMaxControlsPerWindow = 20000;

struct BuildContext {
    explicit BuildContext(const Res::xResourceManager& registry) : resources(registry) {}
    const Res::xResourceManager& resources;
    ControlOwner* owner = nullptr;  // the window the controls belong to
    // The window's name map: named controls are entered (a later one wins).
    std::map<std::string, Layer*>* names = nullptr;
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

}  // namespace Vcl
