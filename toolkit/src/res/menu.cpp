#include "res/menu.h"

#include "platform/utf.h"
#include "res/load_context.h"
#include "res/xml_attr.h"

namespace Res {

namespace {

// Menus nest only a few levels in practice; deeper descriptions are cut
// instead of recursing without bound.
constexpr int kMaxMenuDepth = 32;

bool HasMenuChild(const tinyxml2::XMLElement* e) {
    return e->FirstChildElement("menu") != nullptr;
}

}  // namespace

void xMenu::buildLevel(const tinyxml2::XMLElement* first, std::vector<Item>& out, int depth,
                       const LoadContext& context) {
    for (const auto* e = first; e; e = e->NextSiblingElement("menu")) {
        Item item;
        item.id = xml::Text(e, "id");
        item.text = zv::Utf8ToUtf16(xml::ElementText(e));
        if (xml::Text(e, "type") == "separator") {
            item.kind = Item::Separator;
            item.text.clear();
        } else if (HasMenuChild(e)) {
            item.kind = Item::Popup;
            if (depth < kMaxMenuDepth) {
                buildLevel(e->FirstChildElement("menu"), item.children, depth + 1, context);
            }
            if (!item.id.empty()) {
                idToText[item.id] = item.text;
            }
        } else {
            item.kind = Item::Command;
            item.command = context.nextMenuCommand();
            if (!item.id.empty()) {
                commandToId[item.command] = item.id;
                idToCommand[item.id] = item.command;
                idToText[item.id] = item.text;
            }
        }
        out.push_back(std::move(item));
    }
}

bool xMenu::load(const tinyxml2::XMLElement* element, const LoadContext& context) {
    id = xml::Text(element, "id");
    type = xml::Text(element, "type");
    buildLevel(element->FirstChildElement("menu"), items, 0, context);
    return true;
}

std::unique_ptr<xMenu> xMenu::duplicate() const {
    auto copy = std::make_unique<xMenu>();
    copy->id = id;
    copy->type = type;
    copy->items = items;
    copy->commandToId = commandToId;
    copy->idToCommand = idToCommand;
    copy->idToText = idToText;
    return copy;
}

}  // namespace Res
