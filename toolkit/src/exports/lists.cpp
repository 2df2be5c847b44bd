// Exports of list rows: appending, removing, sorting and finding rows, and
// the controls inside them.
#include "controls/list.h"
#include "exports/guard.h"

using namespace Vcl::exports;

namespace {

Vcl::List* AsList(XuiControl* control) {
    Vcl::Layer* c = AsControl(control);
    return c && c->kind == Vcl::Kind::List ? static_cast<Vcl::List*>(c) : nullptr;
}

}  // namespace

extern "C" {

int XUI_ITEM_APPEND(XuiControl* list, int data) {
    return Guard(AsList(list), -1, [&](Vcl::List& l) { return l.appendItem(data); });
}

void XUI_ITEM_REMOVE(XuiControl* list, int itemId) {
    Guard(AsList(list), [&](Vcl::List& l) { l.removeItem(itemId); });
}

void XUI_ITEM_RESET(XuiControl* list) {
    Guard(AsList(list), [](Vcl::List& l) { l.resetItems(); });
}

void XUI_ITEM_SORT(XuiControl* list, XuiItemLess less) {
    Guard(AsList(list), [&](Vcl::List& l) {
        if (less) {
            l.sortItems([less](int a, int b) { return less(a, b); });
        }
    });
}

int XUI_ITEM_COUNT(XuiControl* list) {
    return Guard(AsList(list), 0, [](Vcl::List& l) { return l.itemCount(); });
}

int XUI_ITEM_DATA(XuiControl* list, int itemId) {
    return Guard(AsList(list), -1, [&](Vcl::List& l) { return l.itemData(itemId).value_or(0); });
}

XuiControl* XUI_ITEM_QUERY(XuiControl* list, int itemId, const char* name) {
    return Guard(AsList(list), static_cast<XuiControl*>(nullptr), [&](Vcl::List& l) {
        return name ? reinterpret_cast<XuiControl*>(l.itemQuery(itemId, name)) : nullptr;
    });
}

void XUI_ITEM_MOVETO(XuiControl* list, int itemId) {
    Guard(AsList(list), [&](Vcl::List& l) { l.moveToItem(itemId); });
}

void XUI_UPDATE_ITEM_SIZE(XuiControl* list, int itemId, int height) {
    Guard(AsList(list), [&](Vcl::List& l) { l.updateItemSize(itemId, height); });
}

}  // extern "C"
