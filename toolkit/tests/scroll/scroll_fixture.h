#pragma once
// Scroll-family controls built from descriptions with the real registry and
// a package, owned by a fake window that records what reaches the host.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controls/layer.h"
#include "controls/tree_node.h"
#include "layout/layout.h"
#include "test_support.h"
#include "window/tree.h"
#include "zudoz.h"

namespace scrolltest {

using namespace testing_support;
using Vcl::InputKind;
using Vcl::Layer;
using Vcl::Rect;

struct Delivery {
    Layer* control;
    int code;
    float value;  // what XUI_EVENT_VALUE pointed at
};

class FakeOwner : public Vcl::ControlOwner {
public:
    void deliver(Layer& c, int code, void* param) override {
        float v = code == XUI_EVENT_VALUE && param ? *static_cast<float*>(param) : 0.0f;
        events.push_back({&c, code, v});
        if (onDeliver) {
            onDeliver(c, code);
        }
    }
    void delivered(Layer&, int code) override { deliveredCodes.push_back(code); }
    void forget(Layer&) override {}
    GtkWidget* nativeHandle() const override { return nullptr; }
    void relayoutNativeChildren() override { ++nativeMoves; }
    void invalidate(const Rect&) override { ++invalidations; }
    Res::xFont* defaultFont() const override { return nullptr; }
    const Res::xColor* defaultTextColor() const override { return nullptr; }
    void hideTip(Layer& c) override { hiddenTips.push_back(&c); }

    std::vector<int> codes() const {
        std::vector<int> out;
        for (const auto& e : events)
            out.push_back(e.code);
        return out;
    }

    std::vector<Delivery> events;
    std::vector<int> deliveredCodes;
    std::vector<Layer*> hiddenTips;
    int invalidations = 0;
    int nativeMoves = 0;  // native children re-placed
    std::function<void(Layer&, int)> onDeliver;
};

// Pictures of the package: track images 8 px thick (blue, hover yellow),
// trackers 50 px (white, hover magenta) and 40 px long, and their horizontal
// counterparts.
class ScrollFixture : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string path = dir.file("s.dat");
        ASSERT_TRUE(WritePackage(
            path, {{"resource.xml",
                    ResourceXml(
                        Set("",
                            "<res id=\"track\" type=\"image\" stretch=\"stretch\">t.png</res>"
                            "<res id=\"trackhover\" type=\"image\" stretch=\"stretch\">th.png</res>"
                            "<res id=\"tracker50\" type=\"image\">k50.png</res>"
                            "<res id=\"trackerhover\" type=\"image\">kh.png</res>"
                            "<res id=\"tracker40\" type=\"image\">k40.png</res>"
                            "<res id=\"htrack\" type=\"image\" stretch=\"stretch\">ht.png</res>"
                            "<res id=\"htracker\" type=\"image\">hk.png</res>"
                            "<res id=\"odd\" type=\"color\" color=\"#112233\"/>"
                            "<res id=\"even\" type=\"color\" color=\"#445566\"/>"
                            "<res id=\"mid\" type=\"color\" color=\"#778899\"/>"))},
                   {"window.xml", "<windows/>"},
                   {"t.png", Png(8, 20, 0x0000FFFFu)},
                   {"th.png", Png(8, 20, 0xFFFF00FFu)},
                   {"k50.png", Png(8, 50, 0xFFFFFFFFu)},
                   {"kh.png", Png(8, 50, 0xFF00FFFFu)},
                   {"k40.png", Png(8, 40)},
                   {"ht.png", Png(20, 6)},
                   {"hk.png", Png(30, 6)}}));
        ASSERT_TRUE(Res::xResourceManager::Instance().loadMain(path, ""));
    }

    // Builds the description, gives its root `frame` and lays it out as the
    // window would. Null when the description does not load.
    template <typename T = Layer>
    T* Build(const std::string& xml, Rect frame) {
        tinyxml2::XMLDocument doc;
        EXPECT_EQ(doc.Parse(xml.c_str()), tinyxml2::XML_SUCCESS) << xml;
        Vcl::BuildContext context{Res::xResourceManager::Instance()};
        context.owner = &owner;
        context.names = &names;
        auto node = Vcl::BuildNode(doc.RootElement(), nullptr, context);
        if (!node) {
            return nullptr;
        }
        node->control->rect = frame;
        node->control->placed();
        Vcl::LayoutNode(*node);
        trees.push_back(std::move(node));
        return dynamic_cast<T*>(trees.back()->control.get());
    }

    static void Send(Layer& c, InputKind kind, int x, int y, int steps = 0) {
        Vcl::InputEvent e;
        e.kind = kind;
        e.x = x;
        e.y = y;
        e.steps = steps;
        c.onInput(e);
    }

    RegistryReset reset;
    TempDir dir;
    FakeOwner owner;
    std::map<std::string, Layer*> names;                // the "window's" name map
    std::vector<std::unique_ptr<Vcl::TreeNode>> trees;  // destroyed before the owner
};

}  // namespace scrolltest
