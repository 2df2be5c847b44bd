#pragma once
// List rows: copies of a row template, control by control. Only the plain
// kinds can be copied ("layer", "panel", "control", "label", "button",
// "check"); native children (edits, hosted windows) and nested bars cannot.
#include <tinyxml2.h>

#include <map>
#include <memory>
#include <string>

#include "controls/tree_node.h"

namespace Vcl {

// Bounds that keep a hostile template finite (it is copied once per row).
constexpr int kMaxRowDepth = 64;
constexpr int kMaxRowControls = 2000;

// True for the element keywords a row may be made of.
bool IsRowKind(const char* element);

// One row: the template's controls loaded afresh (each takes the template's
// attributes, images and colours), each with itemIndex = `itemId` and
// entered by name into `names` (not the window's map). Elements of other
// kinds are dropped with their subtrees. Null when the template's own root
// cannot be copied.
std::unique_ptr<TreeNode> BuildRow(const tinyxml2::XMLElement& templ, const LoadScope& scope,
                                   TreeNode* parentNode, int itemId,
                                   std::map<std::string, Layer*>& names);

// Calls fn(control) for every control of `node`'s subtree, the node's own
// first.
template <typename Fn>
void ForEachControl(const TreeNode& node, Fn&& fn) {
    if (node.control) {
        fn(*node.control);
    }
    for (const auto& child : node.children) {
        ForEachControl(*child, fn);
    }
}

}  // namespace Vcl
