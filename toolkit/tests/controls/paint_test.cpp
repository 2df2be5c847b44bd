// Painting of the control kinds and of the tree walk, into off-screen
// surfaces: the image modes through each control's cache, colour fills,
// the state looks, captions, list row colours and scroll panel clipping.
#include "controls/button.h"
#include "controls/check.h"
#include "controls/label.h"
#include "controls/panel.h"
#include "controls_support.h"

namespace controls_test {
namespace {

using Vcl::Rect;

class Painting : public ControlsTest {};

TEST_F(Painting, Stretch9KeepsTheCornersUnscaledOnAWideControl) {
    Vcl::TreeNode& node = Build("<panel image=\"i.unique\"/>");
    node.control->rect = Rect{5, 5, 100, 40};
    Canvas c = Paint(node, 120, 60);
    for (int j = 0; j < 10; ++j) {
        for (int i = 0; i < 10; ++i) {
            ASSERT_EQ(c.at(5 + i, 5 + j), Unique(i, j)) << "top-left " << i << "," << j;
            ASSERT_EQ(c.at(95 + i, 5 + j), Unique(20 + i, j)) << "top-right";
            ASSERT_EQ(c.at(5 + i, 35 + j), Unique(i, 20 + j)) << "bottom-left";
            ASSERT_EQ(c.at(95 + i, 35 + j), Unique(20 + i, 20 + j)) << "bottom-right";
        }
    }
    // The top edge is stretched across (80 pixels from 10) but keeps its rows.
    EXPECT_EQ(c.at(5 + 10, 5 + 3), Unique(10, 3));
    EXPECT_EQ(c.at(5 + 89, 5 + 3), Unique(19, 3));
    for (int x = 15; x < 95; x += 7) {
        EXPECT_EQ(c.at(x, 5 + 3) & 0xFFFFu, Unique(0, 3) & 0xFFFFu)
            << "rows of the top piece are not scaled, at " << x;
        const int red = int(c.at(x, 5 + 3) >> 16 & 0xFF);
        EXPECT_TRUE(red >= 10 && red <= 19) << "columns come from the top edge, at " << x;
    }
    EXPECT_EQ(c.changed(Rect{5, 5, 100, 40}).second, 0);
}

TEST_F(Painting, TileRepeatsFromTheCornerAndCutsTheLastColumnAndRow) {
    Vcl::TreeNode& node = Build("<panel image=\"i.tile\" color=\"c.red\"/>");
    node.control->rect = Rect{0, 0, 40, 20};
    Canvas c = Paint(node, 50, 30);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 40; ++x) {
            ASSERT_EQ(c.at(x, y), Unique(x % 16, y % 16)) << x << "," << y;
        }
    }
    EXPECT_EQ(c.changed(Rect{0, 0, 40, 20}).second, 0) << "cut at the edges";
    EXPECT_EQ(c.count(Rect{0, 0, 40, 20}, 0xFFFF0000u), 0) << "an image hides the colour";
}

TEST_F(Painting, TheFrameIndexPicksItsQuarterOfTheStrip) {
    struct Case {
        const char* image;
        uint32_t colour;
    } cases[] = {{"i.strip,2", 0xFF0000FFu},
                 {"i.strip", 0xFFFF0000u},
                 {"i.strip,1", 0xFF00FF00u},
                 {"i.strip,3", 0xFF000000u}};
    for (const auto& k : cases) {
        Vcl::TreeNode& node = Build(std::string("<panel image=\"") + k.image + "\"/>");
        node.control->rect = Rect{2, 2, 10, 10};
        Canvas c = Paint(node, 20, 20);
        EXPECT_EQ(c.count(Rect{2, 2, 10, 10}, k.colour), 100) << k.image;
    }
    // The host's frame choice reaches the next paint through invalidate().
    Vcl::TreeNode& node = Build("<panel image=\"i.strip\"/>");
    node.control->rect = Rect{0, 0, 10, 10};
    Paint(node, 10, 10);
    node.control->imageSlot(1)->index = 2;
    EXPECT_EQ(Paint(node, 10, 10).at(5, 5), 0xFFFF0000u) << "a valid cache is reused";
    node.control->invalidate();
    EXPECT_EQ(Paint(node, 10, 10).at(5, 5), 0xFF0000FFu);
}

TEST_F(Painting, HalfAlphaColourBlendsOverWhatIsBelow) {
    Vcl::TreeNode& node = Build("<panel color=\"c.blue\"><panel color=\"c.half\"/></panel>");
    node.control->rect = Rect{0, 0, 20, 20};
    node.children[0]->control->rect = Rect{5, 5, 10, 10};
    Canvas c = Paint(node, 20, 20);
    EXPECT_EQ(c.at(2, 2), 0xFF0000FFu);
    ExpectNear(c.at(10, 10), 0xFF80007Fu, "half red over blue");
    // An attribute alpha replaces the resource's: "c.red,128" is the same.
    Vcl::TreeNode& other = Build("<panel color=\"c.red,128\"/>");
    other.control->rect = Rect{0, 0, 4, 4};
    ExpectNear(Paint(other, 4, 4).at(1, 1), 0xFFFF7F7Fu, "half red over white");
}

TEST_F(Painting, ListRowsWithOnlyTheOddColourShowTheListBackgroundOnEvenRows) {
    Vcl::TreeNode& list = Build("<panel color=\"c.grey\"/>");
    list.control->rect = Rect{0, 0, 30, 40};
    for (int row = 0; row < 4; ++row) {
        auto child = std::make_unique<Vcl::TreeNode>();
        child->control = std::make_unique<Vcl::Layer>();
        child->control->rect = Rect{0, row * 10, 30, 10};
        child->parity = row % 2 == 0 ? 1 : 0;  // rows counted from 1: the first is odd
        child->rowColorOdd = resources.readColor("c.green");
        child->parent = &list;
        list.children.push_back(std::move(child));
    }
    Canvas c = Paint(list, 30, 40);
    EXPECT_EQ(c.count(Rect{0, 0, 30, 10}, 0xFF00FF00u), 300);
    EXPECT_EQ(c.count(Rect{0, 10, 30, 10}, 0xFF808080u), 300);
    EXPECT_EQ(c.count(Rect{0, 20, 30, 10}, 0xFF00FF00u), 300);
    EXPECT_EQ(c.count(Rect{0, 30, 30, 10}, 0xFF808080u), 300);
    // Rows outside the node's range are neither filled nor painted.
    list.first = 1, list.last = 2;
    Canvas ranged = Paint(list, 30, 40);
    EXPECT_EQ(ranged.count(Rect{0, 0, 30, 10}, 0xFF808080u), 300);
    EXPECT_EQ(ranged.count(Rect{0, 20, 30, 10}, 0xFF00FF00u), 300);
    EXPECT_EQ(ranged.count(Rect{0, 30, 30, 10}, 0xFF808080u), 300);
}

TEST_F(Painting, AControlOutsideTheUpdateIsRenderedIntoItsCacheButNotCopied) {
    Vcl::TreeNode& node =
        Build("<layer><panel image=\"i.red\"/><panel image=\"i.green\"/></layer>");
    Vcl::Layer& outside = *node.children[0]->control;
    Vcl::Layer& inside = *node.children[1]->control;
    outside.rect = Rect{50, 0, 20, 20};
    inside.rect = Rect{0, 0, 20, 20};
    Canvas c = Paint(node, 80, 40, Rect{0, 0, 40, 40});
    EXPECT_EQ(c.changed(Rect{0, 0, 20, 20}), std::make_pair(400, 0));
    ASSERT_NE(outside.cache.surface(), nullptr);
    EXPECT_TRUE(outside.cache.valid()) << "marked valid after its paint";
    EXPECT_EQ(PixelAt(outside.cache.surface(), 19, 19), 0xFFFF0000u);
    EXPECT_TRUE(inside.cache.valid());
}

// Records the order of paints and fills its rectangle.
struct Probe : Vcl::Layer {
    Probe(std::vector<std::string>& log, uint32_t argb) : log(log), argb(argb) {}
    void paint(Vcl::Painter& painter, const Rect&) override {
        log.push_back(name);
        painter.fill(rect, Vcl::Color::FromArgb(argb));
    }
    std::vector<std::string>& log;
    uint32_t argb;
};

std::unique_ptr<Vcl::TreeNode> ProbeNode(std::vector<std::string>& log, const char* name,
                                         const Rect& r, uint32_t argb) {
    auto node = std::make_unique<Vcl::TreeNode>();
    node->control = std::make_unique<Probe>(log, argb);
    node->control->name = name;
    node->control->rect = r;
    return node;
}

TEST_F(Painting, AScrollPanelClipsItsChildrenAndPaintsItselfLast) {
    std::vector<std::string> log;
    auto root = ProbeNode(log, "root", Rect{0, 0, 60, 60}, 0xFF808080u);
    auto panel = ProbeNode(log, "panel", Rect{10, 10, 40, 40}, 0x00000000u);
    Vcl::Layer& p = *panel->control;
    p.kind = Vcl::Kind::ScrollPanel;
    p.ml = 2, p.mt = 3, p.mr = 4, p.mb = 5;
    panel->children.push_back(ProbeNode(log, "content", Rect{0, 0, 60, 60}, 0xFFFF0000u));
    panel->children.push_back(ProbeNode(log, "hidden", Rect{0, 0, 60, 60}, 0xFF00FF00u));
    panel->children.back()->control->visible = false;
    root->children.push_back(std::move(panel));
    root->children.push_back(ProbeNode(log, "after", Rect{0, 55, 5, 5}, 0xFF0000FFu));

    Canvas c = Paint(*root, 60, 60);
    EXPECT_EQ(log, (std::vector<std::string>{"root", "content", "panel", "after"}));
    const Rect inner{12, 13, 34, 32};
    EXPECT_EQ(c.count(inner, 0xFFFF0000u), inner.width * inner.height);
    EXPECT_EQ(c.count(Rect{0, 0, 60, 60}, 0xFFFF0000u), inner.width * inner.height)
        << "nothing of the content outside the inner rectangle";
    EXPECT_EQ(c.at(57, 57), 0xFF808080u);
    EXPECT_EQ(c.at(2, 57), 0xFF0000FFu) << "the clip is reset after the panel";
}

// Each state's look by a colour: what one pixel of the control shows.
struct LookCase {
    const char* what;
    bool enabled, hovered, pressed, checked;
    uint32_t pixel;
};

TEST_F(Painting, ControlLooksFollowTheStateRule) {
    struct Table {
        const char* xml;
        std::vector<LookCase> cases;
    } tables[] = {
        {"<control color=\"c.red\" color-hover=\"c.green\" color-press=\"c.blue\" "
         "color-disable=\"c.grey\"/>",
         {{"normal", true, false, false, false, 0xFFFF0000u},
          {"hovered", true, true, false, false, 0xFF00FF00u},
          {"pressed wins over hovered", true, true, true, false, 0xFF0000FFu},
          {"disabled", false, true, true, false, 0xFF808080u}}},
        // Images over colours; disabled without a disable look: the background.
        {"<control image=\"i.yellow\" color=\"c.red\" image-hover=\"i.green\" "
         "color-press=\"c.blue\"/>",
         {{"image background", true, false, false, false, 0xFFFFFF00u},
          {"hover image", true, true, false, false, 0xFF00FF00u},
          {"press colour over the image", true, false, true, false, 0xFF0000FFu},
          {"disabled: the background", false, false, false, false, 0xFFFFFF00u}}},
        {"<check color=\"c.red\" color-hover=\"c.green\" color-checked=\"c.blue\" "
         "image-checked-hover=\"i.yellow\" color-checked-disable=\"c.black\" "
         "color-disable=\"c.grey\"/>",
         {{"unchecked", true, false, false, false, 0xFFFF0000u},
          {"unchecked hover", true, true, false, false, 0xFF00FF00u},
          {"checked", true, false, false, true, 0xFF0000FFu},
          {"checked hover", true, true, false, true, 0xFFFFFF00u},
          {"checked press keeps the hover look", true, true, true, true, 0xFFFFFF00u},
          {"checked disabled", false, false, false, true, 0xFF000000u},
          {"unchecked disabled", false, false, false, false, 0xFF808080u}}},
    };
    for (const auto& table : tables) {
        Vcl::TreeNode& node = Build(table.xml);
        auto& control = dynamic_cast<Vcl::Control&>(*node.control);
        control.rect = Rect{0, 0, 10, 10};
        for (const auto& k : table.cases) {
            control.enabled = k.enabled;
            control.hovered = k.hovered;
            control.pressed = k.pressed;
            if (auto* check = dynamic_cast<Vcl::Check*>(&control)) {
                check->checked = k.checked;
            }
            control.invalidate();
            EXPECT_EQ(Paint(node, 10, 10).at(2, 2), k.pixel) << k.what;
        }
    }
}

TEST_F(Painting, StateImagesShareOneCopySoHalfTransparentPixelsAreNotDoubled) {
    // Black at half alpha as background and as hover image: one rendering
    // over the other, copied once, is black at three quarters.
    Vcl::TreeNode& node = Build("<control image=\"i.shade\" image-hover=\"i.shade\"/>");
    auto& c = dynamic_cast<Vcl::Control&>(*node.control);
    c.rect = Rect{0, 0, 10, 10};
    c.hovered = true;
    const uint32_t once = Paint(node, 10, 10).at(5, 5);
    ExpectNear(once, 0xFF404040u, "two half shades over white");
    EXPECT_TRUE(c.cache.valid());
    ExpectNear(Paint(node, 10, 10).at(5, 5), once, "the same from the valid cache");
}

TEST_F(Painting, AnUndecodableImageDrawsNothingAndStillHidesTheColour) {
    Vcl::TreeNode& node = Build("<panel image=\"i.junk\" color=\"c.red\"/>");
    node.control->rect = Rect{0, 0, 10, 10};
    EXPECT_EQ(Paint(node, 10, 10).changed(Rect{}).second, 0);
    Vcl::TreeNode& missing = Build("<panel image=\"i.nowhere\" color=\"c.red\"/>");
    missing.control->rect = Rect{0, 0, 10, 10};
    EXPECT_EQ(Paint(missing, 10, 10).count(Rect{0, 0, 10, 10}, 0xFFFF0000u), 100)
        << "an undefined id leaves the image unset";
}

TEST_F(Painting, CaptionsAreDrawnEveryPaintInTheStateColour) {
    Vcl::TreeNode& node = Build(
        "<button text=\"s.caption\" font=\"f.text\" text-color=\"c.red\" "
        "text-color-hover=\"c.green\" text-color-press=\"c.blue\" image=\"i.grey\" "
        "text-spec=\"center,vcenter\"/>");
    auto& b = dynamic_cast<Vcl::Button&>(*node.control);
    b.rect = Rect{0, 0, 120, 30};
    struct Case {
        bool enabled, hovered, pressed;
        uint32_t ink;
    } cases[] = {{true, false, false, 0xFFFF0000u},
                 {true, true, false, 0xFF00FF00u},
                 {true, true, true, 0xFF0000FFu},
                 {false, true, false, 0xFFFF0000u}};  // no disable colour: "text-color"
    for (const auto& k : cases) {
        b.enabled = k.enabled, b.hovered = k.hovered, b.pressed = k.pressed;
        b.invalidate();
        Canvas first = Paint(node, 120, 30);
        EXPECT_GT(first.count(b.rect, k.ink), 5) << std::hex << k.ink;
        // The cache is valid now; the text must still be there.
        Canvas second = Paint(node, 120, 30);
        EXPECT_GT(second.count(b.rect, k.ink), 5) << "drawn again from a valid cache";
    }
    // A new text shows at the next paint; no font or colour, no text.
    b.enabled = true, b.hovered = b.pressed = false;
    b.setText(u"");
    EXPECT_EQ(Paint(node, 120, 30).count(b.rect, 0xFF808080u), 120 * 30);
    b.setText(u"Other");
    EXPECT_GT(Paint(node, 120, 30).count(b.rect, 0xFFFF0000u), 5);
    b.attrs.font = nullptr;
    EXPECT_EQ(Paint(node, 120, 30).count(b.rect, 0xFF808080u), 120 * 30);
}

TEST_F(Painting, LabelTextStaysInItsEdgesAndTakesTheWindowDefaults) {
    Vcl::TreeNode& node = Build(
        "<label text=\"s.caption\" text-edge-left=\"10\" text-edge-top=\"5\" "
        "text-edge-right=\"10\" text-edge-bottom=\"5\"/>");
    auto& l = dynamic_cast<Vcl::Label&>(*node.control);
    l.rect = Rect{0, 0, 100, 30};
    EXPECT_EQ(l.attrs.font, owner.font) << "the window's font";
    Canvas c = Paint(node, 100, 30);
    const auto [in, out] = c.changed(Rect{10, 5, 81, 20});
    EXPECT_GT(in, 10) << "black text from the window's colour";
    EXPECT_EQ(out, 0);
}

}  // namespace
}  // namespace controls_test
