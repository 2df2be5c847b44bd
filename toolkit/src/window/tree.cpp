#include "window/tree.h"

#include <algorithm>

#include "platform/trace.h"
#include "window/window.h"

namespace Vcl {

namespace {

std::vector<std::unique_ptr<Layer>>& Deferred() {
    static std::vector<std::unique_ptr<Layer>> parked;
    return parked;
}

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
    control->window = context.window;
    control->parent = parentNode ? parentNode->control.get() : nullptr;
    if (!control->load(element)) {
        ZV_TRACE("xui: control <%s id=%s> not loaded", element->Name(), control->name.c_str());
        return nullptr;
    }
    ++context.controls;
    control->itemIndex = control->parent ? control->parent->itemIndex : -1;
    auto node = std::make_unique<TreeNode>();
    node->parent = parentNode;
    control->node = node.get();
    node->control = std::move(control);
    if (!node->control->name.empty() && context.window) {
        context.window->enterName(node->control.get());
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
        if (node->control->kind == KindList && std::string(child->Name()) == "item") {
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

void RemoveChild(TreeNode& node, size_t index) {
    if (index >= node.children.size()) {
        return;
    }
    std::unique_ptr<TreeNode> gone = std::move(node.children[index]);
    node.children.erase(node.children.begin() + static_cast<long>(index));
    gone.reset();
}

void DeferDeletion(std::unique_ptr<Layer> control) {
    if (control->window && control->window != control.get()) {
        control->window->forget(control.get());
    }
    control->parent = nullptr;
    control->node = nullptr;
    Deferred().push_back(std::move(control));
}

bool TakeDeferred(Layer* control) {
    auto& parked = Deferred();
    auto it = std::find_if(parked.begin(), parked.end(),
                           [&](const std::unique_ptr<Layer>& p) { return p.get() == control; });
    if (it == parked.end()) {
        return false;
    }
    std::unique_ptr<Layer> doomed = std::move(*it);
    parked.erase(it);
    doomed.reset();
    return true;
}

bool IsDeferred(const Layer* control) {
    const auto& parked = Deferred();
    return std::any_of(parked.begin(), parked.end(),
                       [&](const std::unique_ptr<Layer>& p) { return p.get() == control; });
}

size_t DeferredCount() {
    return Deferred().size();
}

}  // namespace Vcl
