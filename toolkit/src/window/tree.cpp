#include "window/tree.h"

#include <algorithm>

#include "controls/registry.h"
#include "platform/trace.h"

namespace Vcl {

namespace {

// Appends the children of the fragment's "module" element to `element`.
void ExpandInclude(tinyxml2::XMLElement* element, BuildContext& context) {
    const char* src = element->Attribute("src");
    if (!src || !context.readEntry) {
        return;
    }
    std::string entry = std::string(src) + ".xml";
    // A fragment that includes itself (directly or through others) would
    // never end; on this path it adds nothing the second time.
    if (std::find(context.includeStack.begin(), context.includeStack.end(), entry) !=
        context.includeStack.end()) {
        ZV_TRACE("xui: include cycle through %s ignored", entry.c_str());
        return;
    }
    std::string text = context.readEntry(entry);
    if (text.empty()) {
        return;
    }
    tinyxml2::XMLDocument fragment;
    if (fragment.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS) {
        ZV_TRACE("xui: fragment %s: %s", entry.c_str(), fragment.ErrorStr());
        return;
    }
    const tinyxml2::XMLElement* module = fragment.FirstChildElement("module");
    for (auto* c = module ? module->FirstChildElement() : nullptr; c; c = c->NextSiblingElement()) {
        element->InsertEndChild(c->DeepClone(element->GetDocument()));
    }
}

}  // namespace

std::unique_ptr<TreeNode> BuildNode(tinyxml2::XMLElement* element, TreeNode* parentNode,
                                    BuildContext& context, int depth) {
    if (depth > kMaxTreeDepth || context.controls >= kMaxControlsPerWindow) {
        ZV_TRACE("xui: control tree too deep or too large; %s dropped", element->Name());
        return nullptr;
    }
    auto control = CreateControl(element->Name());
    if (!control) {
        ZV_TRACE("xui: unknown control element <%s> dropped", element->Name());
        return nullptr;
    }
    const LoadScope scope{context.resources, context.owner,
                          parentNode ? parentNode->control.get() : nullptr};
    if (!control->load(element, scope)) {
        ZV_TRACE("xui: control <%s id=%s> not loaded", element->Name(), control->name.c_str());
        return nullptr;
    }
    ++context.controls;
    control->itemIndex = control->parent ? control->parent->itemIndex : -1;
    auto node = std::make_unique<TreeNode>();
    node->parent = parentNode;
    control->node = node.get();
    node->control = std::move(control);
    if (!node->control->name.empty() && context.names) {
        (*context.names)[node->control->name] = node->control.get();
    }
    const char* src = element->Attribute("src");
    bool pushed = false;
    if (src) {
        size_t before = context.includeStack.size();
        ExpandInclude(element, context);
        context.includeStack.push_back(std::string(src) + ".xml");
        pushed = context.includeStack.size() > before;
    }
    for (auto* child = element->FirstChildElement(); child; child = child->NextSiblingElement()) {
        // A list's "item" is its row description, not a child control.
        if (node->control->kind == Kind::List && std::string(child->Name()) == "item") {
            continue;
        }
        if (auto c = BuildNode(child, node.get(), context, depth + 1)) {
            node->children.push_back(std::move(c));
        }
    }
    if (pushed) {
        context.includeStack.pop_back();
    }
    return node;
}

}  // namespace Vcl
