// Menu copies handed to the host: item changes by id, tidying, release.
#include "exports/exports_fixture.h"
#include "res/menu.h"

namespace exports_test {
namespace {

Res::xMenu& M(XuiMenu* menu) {
    return *dynamic_cast<Res::xMenu*>(reinterpret_cast<Res::xResource*>(menu));
}

const Res::xMenu::Item* Find(const std::vector<Res::xMenu::Item>& items, const std::string& id) {
    for (const auto& item : items) {
        if (item.id == id) {
            return &item;
        }
        if (const auto* inner = Find(item.children, id)) {
            return inner;
        }
    }
    return nullptr;
}

TEST_F(Exports, MenuItemsChangeByIdOnTheHostsCopyOnly) {
    XuiMenu* menu = XUI_MENU_QUERY("m.pop");
    ASSERT_NE(menu, nullptr);
    XUI_MENU_CHECKITEM(menu, "b", 1);
    XUI_MENU_ENABLEITEM(menu, "a", 0);
    XUI_MENU_CHECKITEM(menu, "nothing", 1);  // undefined ids do nothing
    ASSERT_NE(Find(M(menu).items, "b"), nullptr);
    EXPECT_TRUE(Find(M(menu).items, "b")->checked);
    EXPECT_FALSE(Find(M(menu).items, "a")->enabled);
    EXPECT_EQ(std::u16string(XUI_MENU_GETITEMTEXT(menu, "c")), u"Gamma");
    EXPECT_EQ(std::u16string(XUI_MENU_GETITEMTEXT(menu, "nothing")), u"");

    XuiMenu* fresh = XUI_MENU_QUERY("m.pop");
    EXPECT_FALSE(Find(M(fresh).items, "b")->checked) << "the registry's menu is untouched";
    XUI_RESOURCE_FREE(fresh);
    XUI_RESOURCE_FREE(menu);
}

TEST_F(Exports, RemovalAndTidyingLeaveNoEmptySubmenuOrStraySeparator) {
    XuiMenu* menu = XUI_MENU_QUERY("m.pop");
    EXPECT_EQ(XUI_MENU_REMOVEITEM(menu, "b"), 0);
    EXPECT_EQ(XUI_MENU_REMOVEITEM(menu, "a"), 0);
    EXPECT_EQ(std::u16string(XUI_MENU_GETITEMTEXT(menu, "a")), u"");
    XUI_MENU_FIX(menu);
    const auto& items = M(menu).items;
    ASSERT_EQ(items.size(), 1u) << "the empty submenu and both separators went";
    EXPECT_EQ(items[0].id, "c");
    EXPECT_EQ(M(menu).idOfCommand(items[0].command), "c");
    XUI_RESOURCE_FREE(menu);
}

TEST_F(Exports, OnlyResourcesHandedToTheHostAreFreed) {
    Res::xResource* registryMenu = Res::xResourceManager::Instance().find("m.pop");
    ASSERT_NE(registryMenu, nullptr);
    XUI_RESOURCE_FREE(reinterpret_cast<XuiResource*>(registryMenu));
    EXPECT_EQ(Res::xResourceManager::Instance().find("m.pop"), registryMenu);
    XuiMenu* menu = XUI_MENU_QUERY("m.pop");
    XUI_RESOURCE_FREE(menu);
    XUI_RESOURCE_FREE(menu);  // a second free of the same pointer is ignored
}

}  // namespace
}  // namespace exports_test
