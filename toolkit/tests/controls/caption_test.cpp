// Captions of labels and buttons: text attributes, the text rectangle, the
// autosize rule with its re-measuring, and the host's text operations.
#include "controls/button.h"
#include "controls/label.h"
#include "controls_support.h"

namespace controls_test {
namespace {

using Vcl::Rect;

class Captions : public ControlsTest {
protected:
    int Measure(const std::u16string& text, const char* font = "f.text") {
        return Vcl::MeasureText(nullptr, text, resources.findAs<Res::xFont>(font)->font, {});
    }
    // A label inside a named parent, so relayout requests can be told.
    Vcl::Label& InParent(const std::string& attributes) {
        Vcl::TreeNode& root =
            Build("<layer id=\"parent\"><label id=\"l\" " + attributes + "/></layer>");
        return dynamic_cast<Vcl::Label&>(*root.children[0]->control);
    }
};

TEST_F(Captions, TextSpecFlags) {
    struct Case {
        const char* spec;
        Vcl::TextAlign align;
        bool vcenter, wrap, vertical, ellipsis;
    } cases[] = {
        {"", Vcl::TextAlign::Near, false, false, false, false},
        {"center", Vcl::TextAlign::Center, false, false, false, false},
        {"right", Vcl::TextAlign::Far, false, false, false, false},
        {"right,center", Vcl::TextAlign::Center, false, false, false, false},
        {"vcenter,autowrap", Vcl::TextAlign::Near, true, true, false, false},
        {"vertical,autotrim", Vcl::TextAlign::Near, false, false, true, true},
        {"Center, right", Vcl::TextAlign::Near, false, false, false, false},  // exact items only
    };
    for (const auto& k : cases) {
        auto& l = Make<Vcl::Label>(std::string("<label text-spec=\"") + k.spec + "\"/>", Rect{});
        const Vcl::TextFormat f = l.attrs.format();
        EXPECT_EQ(f.align, k.align) << k.spec;
        EXPECT_EQ(f.vcenter, k.vcenter) << k.spec;
        EXPECT_EQ(f.wrap, k.wrap) << k.spec;
        EXPECT_EQ(f.vertical, k.vertical) << k.spec;
        EXPECT_EQ(f.ellipsis, k.ellipsis) << k.spec;
    }
}

TEST_F(Captions, TextRectangleWithAndWithoutAutosize) {
    auto& fixed = Make<Vcl::Label>(
        "<label text-edge-left=\"4\" text-edge-right=\"6\" text-edge-top=\"2\" "
        "text-edge-bottom=\"3\"/>",
        Rect{10, 20, 100, 30});
    EXPECT_EQ(fixed.attrs.textRect(fixed.rect), (Rect{14, 22, 100 - 6 - 4 + 1, 30 - 3 - 2}));
    auto& sized = Make<Vcl::Label>(
        "<label text=\"s.caption\" autosize=\"true\" text-edge-left=\"4\" text-edge-right=\"6\"/>",
        Rect{});
    sized.rect.x = 10, sized.rect.height = 30;
    const int w = Measure(u"Caption");
    EXPECT_EQ(sized.attrs.textWidth, w);
    EXPECT_EQ(sized.attrs.textRect(sized.rect), (Rect{14, 0, w + 1, 30}));
}

TEST_F(Captions, AutosizeTakesTheMinimumOrTheMeasuredWidthPlusTheEdges) {
    const int shortWidth = Measure(u"A tip");
    ASSERT_GT(shortWidth, 10);
    ASSERT_LT(shortWidth, 80);
    auto& atMin = Make<Vcl::Label>(
        "<label text=\"s.tip\" autosize=\"true\" autosize-min=\"80\" text-edge-left=\"3\" "
        "text-edge-right=\"7\" height=\"20\"/>",
        Rect{});
    EXPECT_EQ(atMin.rect.width, 80 + 3 + 7) << "measured " << shortWidth;
    EXPECT_EQ(atMin.rect.height, 20) << "the height is left alone";

    const int longWidth = Measure(u"Caption Caption Caption");
    ASSERT_GT(longWidth, 80);
    auto& measured = Make<Vcl::Button>(
        "<button text=\"s.tip\" autosize=\"true\" autosize-min=\"80\" text-edge-left=\"3\" "
        "text-edge-right=\"7\"/>",
        Rect{});
    measured.setText(u"Caption Caption Caption");
    EXPECT_EQ(measured.rect.width, longWidth + 10);

    auto& off =
        Make<Vcl::Label>("<label text=\"s.caption\" autosize=\"yes\" width=\"33\"/>", Rect{});
    EXPECT_EQ(off.rect.width, 33) << "autosize is exactly \"true\"";
}

TEST_F(Captions, OnlyALengthChangeOrAnotherFontReMeasures) {
    Vcl::Label& l = InParent("text=\"s.tip\" autosize=\"true\"");
    const int first = l.rect.width;
    EXPECT_EQ(first, Measure(u"A tip"));
    owner.clear();

    l.setText(u"WWWWW");  // as long as "A tip", much wider
    ASSERT_GT(Measure(u"WWWWW"), first);
    EXPECT_EQ(l.rect.width, first) << "same length: not measured again";
    EXPECT_TRUE(owner.relayouts.empty());
    EXPECT_FALSE(owner.repaints.empty()) << "but repainted";
    EXPECT_EQ(l.text(), u"WWWWW");

    l.setText(u"WWWWWW");
    EXPECT_EQ(l.rect.width, Measure(u"WWWWWW"));
    EXPECT_EQ(owner.relayouts, (std::vector<std::string>{"parent"}));

    owner.clear();
    l.setFont(l.attrs.font);
    EXPECT_TRUE(owner.relayouts.empty()) << "the same font changes nothing";
    EXPECT_TRUE(owner.repaints.empty());
    l.setFont(resources.findAs<Res::xFont>("f.big"));
    EXPECT_EQ(l.rect.width, Measure(u"WWWWWW", "f.big"));
    EXPECT_EQ(owner.relayouts, (std::vector<std::string>{"parent"}));
    EXPECT_FALSE(owner.repaints.empty());
    l.setFont(nullptr);
    EXPECT_NE(l.attrs.font, nullptr) << "null is ignored";

    // Without autosize nothing is measured or laid out.
    Vcl::Label& plain = InParent("text=\"s.tip\" width=\"50\"");
    owner.clear();
    plain.setText(u"a much longer text than before");
    EXPECT_EQ(plain.rect.width, 50);
    EXPECT_TRUE(owner.relayouts.empty());
}

TEST_F(Captions, TextColourIsReplacedWithoutARepaintAndTheDefaultIsShared) {
    auto& l = Make<Vcl::Label>("<label text=\"s.caption\"/>", Rect{0, 0, 100, 30});
    EXPECT_EQ(l.attrs.textColor, owner.textColor) << "the window's colour, shared";
    l.setTextColor(0xFF00FF00u);
    EXPECT_TRUE(owner.repaints.empty());
    EXPECT_EQ(l.attrs.textColor->argb, 0xFF00FF00u);
    EXPECT_EQ(owner.textColor->argb, 0xFF000000u) << "the window's default is untouched";
    EXPECT_GT(Paint(*l.node, 100, 30).count(l.rect, 0xFF00FF00u), 5);
}

TEST_F(Captions, UndefinedResourcesLeaveTheDefaults) {
    auto& b = Make<Vcl::Button>(
        "<button text=\"s.none\" font=\"f.none\" text-color=\"c.none\" "
        "text-color-hover=\"c.none\"/>",
        Rect{});
    EXPECT_TRUE(b.text().empty());
    EXPECT_EQ(b.attrs.font, owner.font);
    EXPECT_EQ(b.attrs.textColor, owner.textColor);
    EXPECT_EQ(b.attrs.stateColors.hover, nullptr);
    b.hovered = true;
    EXPECT_EQ(b.stateTextColor(), owner.textColor);
}

}  // namespace
}  // namespace controls_test
