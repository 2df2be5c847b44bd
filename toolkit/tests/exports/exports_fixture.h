#pragma once
// A loaded package with one window of every kind the exports drive, built
// without a display (no native window is created).
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "window/window.h"
#include "zudoz.h"

namespace exports_test {

using namespace testing_support;

class Exports : public ::testing::Test {
protected:
    RegistryReset reset;
    TempDir dir;
    XuiWindow* window = nullptr;

    void SetUp() override {
        const std::string resources =
            ResourceXml(Set("",
                            "<res id=\"s.hello\" type=\"string\">Hello</res>"
                            "<res id=\"c.rgb\" type=\"color\" color=\"#563412\"/>"
                            "<res id=\"c.fill\" type=\"color\" color=\"#AABBCC,80\"/>"
                            "<res id=\"f.body\" type=\"font\" face=\"Sans\" size=\"10\"/>"
                            "<res id=\"i.strip\" type=\"image\" count=\"4\">strip.png</res>"
                            "<res id=\"i.one\" type=\"image\">one.png</res>"
                            "<res id=\"m.pop\" type=\"menu\">"
                            "<menu id=\"a\">Alpha</menu><menu type=\"separator\"/>"
                            "<menu id=\"sub\">Sub<menu id=\"b\">Beta</menu></menu>"
                            "<menu type=\"separator\"/><menu id=\"c\">Gamma</menu></res>"));
        const std::string windows =
            "<windows><window id=\"w\" width=\"400\" height=\"300\" font=\"f.body\" "
            "color=\"c.rgb\"><layer id=\"root\" layout=\"vertical\">"
            "<label id=\"l\" text=\"s.hello\" width=\"80\" height=\"20\"/>"
            "<label id=\"l2\" width=\"80\" height=\"20\"/>"
            "<button id=\"b\" width=\"60\" height=\"24\"/>"
            "<check id=\"k\" width=\"20\" height=\"20\"/>"
            "<edit id=\"e\" width=\"100\" height=\"24\"/>"
            "<panel id=\"p\" image=\"i.strip\" width=\"10\" height=\"10\"/>"
            "<layer id=\"ly\" width=\"10\" height=\"10\"/>"
            "<scroll id=\"s\" width=\"12\" height=\"200\"/>"
            "<list id=\"list\" width=\"100\" height=\"60\" color-odd=\"c.fill\">"
            "<item height=\"20\"><layer><label id=\"cell\" width=\"50\" height=\"20\"/>"
            "</layer></item></list>"
            "</layer></window></windows>";
        ASSERT_TRUE(WritePackage(dir.file("t.dat"), {{"resource.xml", resources},
                                                     {"window.xml", windows},
                                                     {"strip.png", Png(40, 10)},
                                                     {"one.png", Png(8, 8)}}));
        auto& registry = Res::xResourceManager::Instance();
        ASSERT_TRUE(registry.loadMain(dir.file("t.dat"), ""));
        ASSERT_EQ(Vcl::xWindowManager::Instance().buildAll(registry.windowXml(), registry), 1);
        window = XUI_WIN_REGISTER("w", nullptr);
        ASSERT_NE(window, nullptr);
        // What the native window's first size report does.
        reinterpret_cast<Vcl::Window*>(window)->clientResized(400, 300);
    }

    XuiControl* C(const char* name) {
        XuiControl* c = XUI_VCL_QUERY(window, name);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
};

}  // namespace exports_test
