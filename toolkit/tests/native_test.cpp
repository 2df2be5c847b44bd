// Native parts built from resources, under the X server: menus and fonts.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "controls/edit.h"
#include "host/ms_window.h"
#include "host/native_menu.h"
#include "host/screen.h"
#include "platform/gtk_init.h"
#include "test_support.h"
#include "window/tree.h"
#include "window/window.h"
#include "zudoz.h"

namespace {

using namespace testing_support;

class Native : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(zv::InitGtk()); }
    RegistryReset reset;
    TempDir dir;

    // Window "w" with `body` inside its one layer, from a package with the
    // resources `resources`, built and created natively; null on failure.
    Vcl::Window* CreateWindow(const std::string& resources, const std::string& body) {
        const std::string path = dir.file("w.dat");
        if (!WritePackage(path, {{"resource.xml", ResourceXml(Set("", resources))},
                                 {"window.xml",
                                  "<windows><window id=\"w\" style=\"overlapped,caption\" "
                                  "width=\"200\" height=\"100\"><layer>" +
                                      body + "</layer></window></windows>"}}) ||
            !Res::xResourceManager::Instance().loadMain(path, "") ||
            Vcl::xWindowManager::Instance().buildAll(Res::xResourceManager::Instance().windowXml(),
                                                     Res::xResourceManager::Instance()) != 1) {
            return nullptr;
        }
        Vcl::Window* w = Vcl::xWindowManager::Instance().find("w");
        return w && w->native->create(nullptr) ? w : nullptr;
    }
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
    ASSERT_TRUE(Res::xResourceManager::Instance().loadMain(path, ""));
    auto* menu = Res::xResourceManager::Instance().findAs<Res::xMenu>("m");
    ASSERT_NE(menu, nullptr);
    GtkWidget* native = HostWin::NativeMenuOf(*menu);
    ASSERT_TRUE(GTK_IS_MENU(native));
    EXPECT_EQ(HostWin::NativeMenuOf(*menu), native) << "built once";
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
    EXPECT_NE(HostWin::NativeMenuOf(*copy), native) << "the host's copy has its own native menu";
    EXPECT_EQ(Items(HostWin::NativeMenuOf(*copy)).size(), 3u);
}

TEST_F(Native, FontPixelHeightFollowsTheScreenResolution) {
    std::string path = dir.file("f.dat");
    ASSERT_TRUE(WritePackage(
        path, {{"resource.xml", ResourceXml(Set("", "<res id=\"f\" type=\"font\" size=\"9\"/>"))},
               {"window.xml", "<windows/>"}}));
    Res::xResourceManager::Instance().setScreenDpi(HostWin::ScreenDpi());
    ASSERT_TRUE(Res::xResourceManager::Instance().loadMain(path, ""));
    auto* f = Res::xResourceManager::Instance().findAs<Res::xFont>("f");
    ASSERT_NE(f, nullptr);
    double dpi = gdk_screen_get_resolution(gdk_screen_get_default());
    int expected = dpi > 0 ? int((9 * dpi + 36) / 72) : 12;
    EXPECT_EQ(f->pixelHeight, expected);
    EXPECT_EQ(pango_font_description_get_size(f->nativeFont), expected * PANGO_SCALE);
}

// Native widgets of a window's edits and hosted areas, in the order the
// window's client area holds them (the drawing area excluded).
std::vector<GtkWidget*> NativeChildren(Vcl::Window& w) {
    std::vector<GtkWidget*> out;
    for (GtkWidget* c : Items(w.native->clientArea())) {
        if (!GTK_IS_DRAWING_AREA(c)) {
            out.push_back(c);
        }
    }
    return out;
}

// Removing controls while the native window lives (list rows, deferred
// deletion) must take their native widgets along: the widgets call back
// into the control they were made for.
TEST_F(Native, RemovedControlsTakeTheirNativeWidgetsAlong) {
    Vcl::Window* w = CreateWindow("",
                                  "<layer id=\"row\"><edit id=\"e\" width=\"50\"/>"
                                  "<rawwin id=\"r\" width=\"50\"/></layer>"
                                  "<edit id=\"keep\" width=\"50\"/>");
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(NativeChildren(*w).size(), 3u);
    auto* keep = dynamic_cast<Vcl::Edit*>(w->query("keep"));
    ASSERT_NE(keep, nullptr);

    Vcl::RemoveChild(*w->root, 0);  // the row with an edit and a hosted area
    auto left = NativeChildren(*w);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0], keep->entry());

    // An edit removed inside its own event: its entry goes when the control
    // is freed after the event.
    ASSERT_TRUE(gtk_widget_get_parent(keep->entry()) != nullptr);
    struct Remover : WinHandler {
        Vcl::TreeNode* root = nullptr;
        int onEvent(XuiControl*, int, void*) override {
            Vcl::RemoveChild(*root, 0);
            return 0;
        }
    } remover;
    remover.root = w->root.get();
    w->handler = &remover;
    keep->notify(keep, XUI_EVENT_KEYDOWN, nullptr);
    EXPECT_EQ(Vcl::DeferredCount(), 0u);
    EXPECT_TRUE(NativeChildren(*w).empty());
    w->handler = nullptr;

    // The window's own layout of what is left still runs cleanly.
    for (int i = 0; i < 20 && gtk_events_pending(); ++i) {
        gtk_main_iteration_do(FALSE);
    }
    w->native->destroy();
    EXPECT_FALSE(w->native->exists());
}

// An edit drawn as a coloured field: its native entry takes the field's
// colour, so the field reads as one surface; an edit without one keeps the
// theme's opaque base.
TEST_F(Native, AnEditsEntryTakesTheColourOfItsField) {
    Vcl::Window* w = CreateWindow("<res id=\"c.f\" type=\"color\" color=\"#302010\"/>",
                                  "<edit id=\"field\" height=\"40\" edgecolor=\"c.f\" ml=\"8\" "
                                  "mr=\"8\" mt=\"8\" mb=\"8\"/><edit id=\"plain\" height=\"30\"/>");
    ASSERT_NE(w, nullptr);
    const auto background = [&](const char* name) {
        auto* edit = dynamic_cast<Vcl::Edit*>(w->query(name));
        GdkRGBA* rgba = nullptr;
        gtk_style_context_get(gtk_widget_get_style_context(edit->entry()), GTK_STATE_FLAG_NORMAL,
                              "background-color", &rgba, nullptr);
        const GdkRGBA out = rgba ? *rgba : GdkRGBA{};
        gdk_rgba_free(rgba);
        return out;
    };
    // "#302010" is blue 0x30, green 0x20, red 0x10.
    const GdkRGBA field = background("field");
    EXPECT_NEAR(field.red, 0x10 / 255.0, 1e-3);
    EXPECT_NEAR(field.green, 0x20 / 255.0, 1e-3);
    EXPECT_NEAR(field.blue, 0x30 / 255.0, 1e-3);
    EXPECT_EQ(field.alpha, 1.0);
    const GdkRGBA plain = background("plain");
    EXPECT_EQ(plain.alpha, 1.0) << "opaque without a field colour too";
    EXPECT_FALSE(gdk_rgba_equal(&plain, &field));
    w->native->destroy();
}

// The packer run again on a folder that holds its own earlier output: the
// package never packs itself (it would grow with every run).
TEST_F(Native, PackerLeavesItsOwnOutputOutOfThePackage) {
    ASSERT_TRUE(g_file_set_contents(dir.file("resource.xml").c_str(), "<resources/>", -1, nullptr));
    ASSERT_TRUE(g_mkdir_with_parents(dir.file("sub").c_str(), 0700) == 0);
    ASSERT_TRUE(g_file_set_contents(dir.file("sub/a.bin").c_str(), "abc", 3, nullptr));
    const std::string out = dir.file("self.dat");
    const std::string command =
        std::string("'") + ZUDOZ_PACKER + "' '" + dir.path() + "' '" + out + "' >/dev/null";
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        ASSERT_EQ(system(command.c_str()), 0);
        Res::xPackage p;
        ASSERT_TRUE(p.open(out));
        std::vector<std::string> names;
        for (const auto& [name, entry] : p.entries()) {
            names.push_back(name);
        }
        EXPECT_EQ(names, (std::vector<std::string>{"resource.xml", "sub/a.bin"}));
        EXPECT_EQ(p.readText("sub/a.bin").value_or(""), "abc");
    }
}

}  // namespace
