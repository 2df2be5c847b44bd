// Native parts built from resources, under the X server: menus and fonts.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "test_support.h"

namespace {

using namespace testing_support;

class Native : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(gtk_init_check(nullptr, nullptr)); }
    RegistryReset reset;
    TempDir dir;
};

std::vector<GtkWidget*> Items(GtkWidget* menu) {
    std::vector<GtkWidget*> out;
    GList* kids = gtk_container_get_children(GTK_CONTAINER(menu));
    for (GList* l = kids; l; l = l->next) {
        out.push_back(GTK_WIDGET(l->data));
    }
    g_list_free(kids);
    return out;
}

TEST_F(Native, MenusBecomeGtkMenusCarryingTheirCommandNumbers) {
    std::string path = dir.file("m.dat");
    ASSERT_TRUE(WritePackage(
        path,
        {{"resource.xml",
          ResourceXml(Set(
              "",
              "<res id=\"m\" type=\"menu\"><menu id=\"a\">Alpha</menu><menu type=\"separator\"/>"
              "<menu id=\"p\">More<menu id=\"b\">Beta</menu></menu></res>"))},
         {"window.xml", "<windows/>"}}));
    ASSERT_TRUE(xResourceManager::Instance().loadMain(path, ""));
    auto* menu = xResourceManager::Instance().findAs<Res::xMenu>("m");
    ASSERT_NE(menu, nullptr);
    GtkWidget* native = menu->nativeMenu();
    ASSERT_TRUE(GTK_IS_MENU(native));
    EXPECT_EQ(menu->nativeMenu(), native) << "built once";
    auto items = Items(native);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_STREQ(gtk_menu_item_get_label(GTK_MENU_ITEM(items[0])), "Alpha");
    EXPECT_EQ(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(items[0]), "xui-command")),
              menu->idToCommand.at("a"));
    EXPECT_TRUE(GTK_IS_SEPARATOR_MENU_ITEM(items[1]));
    GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(items[2]));
    ASSERT_TRUE(GTK_IS_MENU(sub));
    auto subItems = Items(sub);
    ASSERT_EQ(subItems.size(), 1u);
    EXPECT_EQ(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(subItems[0]), "xui-command")),
              menu->idToCommand.at("b"));

    auto copy = menu->duplicate();
    EXPECT_NE(copy->nativeMenu(), native) << "the host's copy has its own native menu";
    EXPECT_EQ(Items(copy->nativeMenu()).size(), 3u);
}

TEST_F(Native, FontPixelHeightFollowsTheScreenResolution) {
    std::string path = dir.file("f.dat");
    ASSERT_TRUE(WritePackage(
        path, {{"resource.xml", ResourceXml(Set("", "<res id=\"f\" type=\"font\" size=\"9\"/>"))},
               {"window.xml", "<windows/>"}}));
    ASSERT_TRUE(xResourceManager::Instance().loadMain(path, ""));
    auto* f = xResourceManager::Instance().findAs<Res::xFont>("f");
    ASSERT_NE(f, nullptr);
    double dpi = gdk_screen_get_resolution(gdk_screen_get_default());
    int expected = dpi > 0 ? int((9 * dpi + 36) / 72) : 12;
    EXPECT_EQ(f->pixelHeight, expected);
    EXPECT_EQ(pango_font_description_get_size(f->nativeFont), expected * PANGO_SCALE);
}

}  // namespace
