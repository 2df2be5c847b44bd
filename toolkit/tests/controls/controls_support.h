#pragma once
// Shared fixture of the control tests: a window stand-in that records what
// controls ask of it, a package with pictures, colours, fonts and texts,
// control trees built from description text, and off-screen canvases.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/layer.h"
#include "controls/owner.h"
#include "controls/tree_node.h"
#include "draw/painter.h"
#include "test_support.h"
#include "window/paint_tree.h"
#include "window/tree.h"

namespace controls_test {

using namespace testing_support;

// What a control asked of its window, in order.
struct FakeOwner : Vcl::ControlOwner {
    struct Event {
        std::string control;
        int code;
        bool checkedThen;  // the control's checked state when the host heard it
    };
    std::vector<Event> events;
    std::vector<Vcl::Rect> repaints;
    std::vector<std::string> relayouts;
    std::vector<std::string> tips;  // "show <name>" / "hide <name>"
    // Called from deliver; a test may destroy the control here.
    std::function<void(Vcl::Layer&, int)> onEvent;

    Res::xFont* font = nullptr;
    const Res::xColor* textColor = nullptr;

    // Window placement for drag handles.
    bool hasWindow = true;
    int windowX = 0, windowY = 0;
    Vcl::Rect parentClient;  // empty: a top-level window
    int cursorX = 0, cursorY = 0;
    std::vector<std::pair<int, int>> moves;

    void deliver(Vcl::Layer& control, int code, void*) override {
        events.push_back({control.name, code, control.isChecked()});
        if (onEvent) {
            onEvent(control, code);
        }
    }
    void delivered(Vcl::Layer&, int) override {}
    void forget(Vcl::Layer&) override {}
    GtkWidget* nativeHandle() const override { return nullptr; }
    void relayoutNativeChildren() override {}
    void invalidate(const Vcl::Rect& area) override { repaints.push_back(area); }
    Res::xFont* defaultFont() const override { return font; }
    const Res::xColor* defaultTextColor() const override { return textColor; }
    void relayout(Vcl::Layer& container) override { relayouts.push_back(container.name); }
    void showTip(Vcl::Layer& control, const std::u16string&) override {
        tips.push_back("show " + control.name);
    }
    void hideTip(Vcl::Layer& control) override { tips.push_back("hide " + control.name); }
    bool windowPosition(int& x, int& y, Vcl::Rect& bounds) const override {
        x = windowX, y = windowY, bounds = parentClient;
        return hasWindow;
    }
    void moveWindow(int x, int y) override {
        moves.push_back({x, y});
        windowX = x, windowY = y;
    }
    bool cursorPosition(int& x, int& y) const override {
        x = cursorX, y = cursorY;
        return hasWindow;
    }
    void clear() {
        events.clear(), repaints.clear(), relayouts.clear(), tips.clear(), moves.clear();
    }
};

// Raw ARGB32 words (premultiplied; the same as ARGB for opaque pixels).
inline uint32_t PixelAt(cairo_surface_t* s, int x, int y) {
    cairo_surface_flush(s);
    uint32_t v;
    std::memcpy(&v, cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s) + x * 4,
                4);
    return v;
}

// Every pixel its own opaque colour, so a drawn pixel's source can be told.
inline uint32_t Unique(int x, int y) {
    return 0xFF000000u | uint32_t(x) << 16 | uint32_t(y) << 8 | 0x5A;
}

// A PNG whose pixel (x, y) is `argb(x, y)` (straight alpha; cairo writes
// its premultiplied pixels back out straight).
inline std::string PatternPng(int w, int h, const std::function<uint32_t(int, int)>& argb) {
    Vcl::SurfacePtr s = Vcl::MakeImageSurface(w, h);
    unsigned char* data = cairo_image_surface_get_data(s.get());
    const int stride = cairo_image_surface_get_stride(s.get());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t c = argb(x, y), a = c >> 24;
            auto pre = [a](uint32_t channel) { return (channel & 0xFF) * a / 255; };
            const uint32_t word = a << 24 | pre(c >> 16) << 16 | pre(c >> 8) << 8 | pre(c);
            std::memcpy(data + y * stride + x * 4, &word, 4);
        }
    }
    cairo_surface_mark_dirty(s.get());
    std::string out;
    cairo_surface_write_to_png_stream(
        s.get(),
        [](void* closure, const unsigned char* bytes, unsigned int length) {
            static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(bytes),
                                                       length);
            return CAIRO_STATUS_SUCCESS;
        },
        &out);
    return out;
}

constexpr uint32_t kWhite = 0xFFFFFFFFu;

// An off-screen canvas, opaque white.
struct Canvas {
    Canvas(int w, int h) : surface(Vcl::MakeImageSurface(w, h)), painter(surface.get()) {
        painter.fill(Vcl::Rect{0, 0, w, h}, Vcl::Color::FromArgb(kWhite));
    }
    uint32_t at(int x, int y) const { return PixelAt(surface.get(), x, y); }
    int width() const { return cairo_image_surface_get_width(surface.get()); }
    int height() const { return cairo_image_surface_get_height(surface.get()); }
    // Pixels that are not white inside `r`, and outside it.
    std::pair<int, int> changed(const Vcl::Rect& r) const {
        int in = 0, out = 0;
        for (int y = 0; y < height(); ++y) {
            for (int x = 0; x < width(); ++x) {
                if (at(x, y) != kWhite) {
                    (r.contains(x, y) ? in : out)++;
                }
            }
        }
        return {in, out};
    }
    // Pixels of exactly `argb` inside `r`.
    int count(const Vcl::Rect& r, uint32_t argb) const {
        int n = 0;
        for (int y = r.y; y < r.bottom(); ++y) {
            for (int x = r.x; x < r.right(); ++x) {
                n += at(x, y) == argb;
            }
        }
        return n;
    }
    Vcl::SurfacePtr surface;
    Vcl::Painter painter;
};

inline void ExpectNear(uint32_t actual, uint32_t expected, const std::string& what) {
    for (int shift : {24, 16, 8, 0}) {
        const int a = int(actual >> shift & 0xFF), e = int(expected >> shift & 0xFF);
        EXPECT_NEAR(a, e, 1) << what << std::hex << ": got 0x" << actual << ", want 0x" << expected;
    }
}

// The package every control test loads. Colours are written "#BBGGRR".
inline std::string ResourcesBody() {
    return "<res id=\"s.caption\" type=\"string\">Caption</res>"
           "<res id=\"s.tip\" type=\"string\">A tip</res>"
           "<res id=\"f.text\" type=\"font\" face=\"DejaVu Sans\" size=\"12\"/>"
           "<res id=\"f.big\" type=\"font\" face=\"DejaVu Sans\" size=\"20\"/>"
           "<res id=\"c.red\" type=\"color\" color=\"#0000FF\"/>"
           "<res id=\"c.green\" type=\"color\" color=\"#00FF00\"/>"
           "<res id=\"c.blue\" type=\"color\" color=\"#FF0000\"/>"
           "<res id=\"c.black\" type=\"color\" color=\"#000000\"/>"
           "<res id=\"c.grey\" type=\"color\" color=\"#808080\"/>"
           "<res id=\"c.yellow\" type=\"color\" color=\"#00FFFF\"/>"
           "<res id=\"c.half\" type=\"color\" color=\"#0000FF,80\"/>"
           "<res id=\"i.unique\" type=\"image\" stretch=\"stretch9\" ml=\"10\" mr=\"10\" "
           "mt=\"10\" mb=\"10\">unique.png</res>"
           "<res id=\"i.tile\" type=\"image\" stretch=\"tile\">tile.png</res>"
           "<res id=\"i.strip\" type=\"image\" count=\"4\">strip.png</res>"
           "<res id=\"i.red\" type=\"image\" stretch=\"stretch\">red.png</res>"
           "<res id=\"i.green\" type=\"image\" stretch=\"stretch\">green.png</res>"
           "<res id=\"i.blue\" type=\"image\" stretch=\"stretch\">blue.png</res>"
           "<res id=\"i.yellow\" type=\"image\" stretch=\"stretch\">yellow.png</res>"
           "<res id=\"i.grey\" type=\"image\" stretch=\"stretch\">grey.png</res>"
           "<res id=\"i.shade\" type=\"image\" stretch=\"stretch\">shade.png</res>"
           "<res id=\"i.junk\" type=\"image\">junk.png</res>";
}

// Quarters of the strip: red, green, blue, black.
inline uint32_t StripColour(int x, int) {
    static const uint32_t quarters[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF000000u};
    return quarters[std::min(x / 10, 3)];
}

inline Entries PackageEntries() {
    auto solid = [](uint32_t argb) { return PatternPng(4, 4, [argb](int, int) { return argb; }); };
    return {{"resource.xml", ResourceXml(Set("", ResourcesBody()))},
            {"window.xml", "<windows/>"},
            {"unique.png", PatternPng(30, 30, Unique)},
            {"tile.png", PatternPng(16, 16, Unique)},
            {"strip.png", PatternPng(40, 10, StripColour)},
            {"red.png", solid(0xFFFF0000u)},
            {"green.png", solid(0xFF00FF00u)},
            {"blue.png", solid(0xFF0000FFu)},
            {"yellow.png", solid(0xFFFFFF00u)},
            {"grey.png", solid(0xFF808080u)},
            {"shade.png", solid(0x80000000u)},  // black at half alpha
            {"junk.png", "not a picture"}};
}

// A registry over the test package and trees built from description text.
class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string path = dir.file("controls.dat");
        ASSERT_TRUE(WritePackage(path, PackageEntries()));
        ASSERT_TRUE(resources.loadMain(path, ""));
        owner.font = resources.findAs<Res::xFont>("f.text");
        owner.textColor = resources.findAs<Res::xColor>("c.black");
    }

    // The subtree of `xml` (one element); its controls report to `owner`.
    Vcl::TreeNode& Build(const std::string& xml) {
        docs.push_back(std::make_unique<tinyxml2::XMLDocument>());
        auto& doc = *docs.back();
        EXPECT_EQ(doc.Parse(xml.c_str()), tinyxml2::XML_SUCCESS) << xml;
        Vcl::BuildContext context{resources};
        context.owner = &owner;
        context.names = &names;
        trees.push_back(Vcl::BuildNode(doc.FirstChildElement(), nullptr, context));
        EXPECT_NE(trees.back(), nullptr) << xml;
        return *trees.back();
    }
    // The control of `xml`, placed at `where` (an empty one keeps the size
    // the description gave).
    template <typename T>
    T& Make(const std::string& xml, const Vcl::Rect& where = {}) {
        Vcl::TreeNode& node = Build(xml);
        auto* control = dynamic_cast<T*>(node.control.get());
        EXPECT_NE(control, nullptr) << xml;
        if (!where.empty()) {
            control->rect = where;
        }
        return *control;
    }
    Vcl::Layer* Named(const std::string& name) {
        auto it = names.find(name);
        return it == names.end() ? nullptr : it->second;
    }
    // A full paint of `node` onto a fresh canvas, the update rectangle the
    // whole canvas unless given.
    Canvas Paint(const Vcl::TreeNode& node, int w, int h, Vcl::Rect update = {}) {
        Canvas canvas(w, h);
        if (update.empty()) {
            update = Vcl::Rect{0, 0, w, h};
        }
        auto scope = canvas.painter.scope();
        canvas.painter.clip(update);
        Vcl::PaintTree(canvas.painter, node, update);
        return canvas;
    }

    TempDir dir;
    Res::xResourceManager resources;
    FakeOwner owner;
    std::map<std::string, Vcl::Layer*> names;
    std::vector<std::unique_ptr<tinyxml2::XMLDocument>> docs;
    std::vector<std::unique_ptr<Vcl::TreeNode>> trees;
};

}  // namespace controls_test
