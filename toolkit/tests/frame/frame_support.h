#pragma once
// Windows built from descriptions for the routing and frame tests (no
// display): a package in a private folder, the window laid out at a size,
// and a host handler that records what it hears.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "window/window.h"
#include "zudoz.h"

namespace frame_test {

using namespace testing_support;

struct Heard {
    std::string control;
    int code;
    bool operator==(const Heard&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Heard& h) {
    return os << h.control << ":" << h.code;
}

class Recorder : public WinHandler {
public:
    std::vector<Heard> events;
    std::function<void(Vcl::Layer&, int, void*)> react;
    int onEvent(XuiControl* control, int code, void* param) override {
        auto* c = reinterpret_cast<Vcl::Layer*>(control);
        if (code != XUI_EVENT_RESIZED) {
            events.push_back({c->name, code});
        }
        if (react) {
            react(*c, code, param);
        }
        return 0;
    }
};

class WindowTest : public ::testing::Test {
protected:
    RegistryReset reset;
    TempDir dir;
    Recorder host;

    // Loads one window description and lays it out at width x height.
    Vcl::Window* Load(const std::string& window, int width, int height) {
        Entries e = {{"resource.xml",
                      ResourceXml(Set("",
                                      "<res id=\"c.edge\" type=\"color\" color=\"#102030\"/>"
                                      "<res id=\"c.edge2\" type=\"color\" color=\"#A0B0C0\"/>"))},
                     {"window.xml", "<windows>" + window + "</windows>"}};
        const std::string path = dir.file("t.dat");
        EXPECT_TRUE(WritePackage(path, e));
        EXPECT_TRUE(Res::xResourceManager::Instance().loadMain(path, ""));
        Vcl::xWindowManager::Instance().buildAll(Res::xResourceManager::Instance().windowXml(),
                                                 Res::xResourceManager::Instance());
        Vcl::Window* w = Vcl::xWindowManager::Instance().mainWindow();
        if (w) {
            w->handler = &host;
            w->rect = Vcl::Rect{0, 0, width, height};
            w->clientResized(width, height);
        }
        return w;
    }
};

}  // namespace frame_test
