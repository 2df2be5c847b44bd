#include "controls/list_rows.h"

#include <cstring>

#include "controls/registry.h"
#include "platform/trace.h"

namespace Vcl {

namespace {

struct RowBuild {
    const LoadScope& scope;
    int itemId;
    std::map<std::string, Layer*>& names;
    int controls = 0;
};

std::unique_ptr<TreeNode> BuildRowNode(const tinyxml2::XMLElement& e, TreeNode* parentNode,
                                       RowBuild& build, int depth) {
    if (!IsRowKind(e.Name())) {
        ZV_TRACE("xui: <%s> cannot be part of a list row; dropped", e.Name());
        return nullptr;
    }
    if (depth > kMaxRowDepth || build.controls >= kMaxRowControls) {
        ZV_TRACE("xui: list row template too deep or too large; <%s> dropped", e.Name());
        return nullptr;
    }
    auto control = CreateControl(e.Name());
    if (!control) {
        return nullptr;
    }
    Layer* parent = parentNode ? parentNode->control.get() : build.scope.parent;
    const LoadScope scope{build.scope.resources, build.scope.owner, parent};
    if (!control->load(&e, scope)) {
        return nullptr;
    }
    ++build.controls;
    control->itemIndex = build.itemId;
    auto node = std::make_unique<TreeNode>();
    node->parent = parentNode;
    control->node = node.get();
    node->control = std::move(control);
    if (!node->control->name.empty()) {
        build.names[node->control->name] = node->control.get();  // a later one wins
    }
    for (auto* c = e.FirstChildElement(); c; c = c->NextSiblingElement()) {
        if (auto child = BuildRowNode(*c, node.get(), build, depth + 1)) {
            node->children.push_back(std::move(child));
        }
    }
    return node;
}

}  // namespace

bool IsRowKind(const char* element) {
    static const char* const kKinds[] = {"layer", "panel", "control", "label", "button", "check"};
    for (const char* k : kKinds) {
        if (element && std::strcmp(element, k) == 0) {
            return true;
        }
    }
    return false;
}

std::unique_ptr<TreeNode> BuildRow(const tinyxml2::XMLElement& templ, const LoadScope& scope,
                                   TreeNode* parentNode, int itemId,
                                   std::map<std::string, Layer*>& names) {
    RowBuild build{scope, itemId, names};
    auto row = BuildRowNode(templ, nullptr, build, 0);
    if (row) {
        row->parent = parentNode;
    }
    return row;
}

}  // namespace Vcl
