// The layout pass, on trees built in code (no display, no package).
#include <gtest/gtest.h>

#include <climits>

#include "layout/layout.h"

namespace {

using namespace Vcl;

struct Rect {
    int x, y, w, h;
    bool operator==(const Rect& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};

std::ostream& operator<<(std::ostream& os, const Rect& r) {
    return os << "(" << r.x << "," << r.y << " " << r.w << "x" << r.h << ")";
}

Rect R(const Layer& c) {
    return {c.rect.x, c.rect.y, c.rect.width, c.rect.height};
}

// Counts placed() calls; scroll panels record when theirs ran.
class Probe : public Layer {
public:
    void placed() override { ++placedCount; }
    int placedCount = 0;
};

struct Tree {
    std::unique_ptr<TreeNode> root = Make(std::make_unique<Probe>());

    static std::unique_ptr<TreeNode> Make(std::unique_ptr<Layer> c) {
        auto n = std::make_unique<TreeNode>();
        c->node = n.get();
        n->control = std::move(c);
        return n;
    }
    Layer& parent() { return *root->control; }
    Probe& add(int w, int h, LayoutItem item = LayoutItem::Fixed, Align align = Align::Expand,
               TreeNode* under = nullptr) {
        TreeNode* p = under ? under : root.get();
        auto probe = std::make_unique<Probe>();
        probe->rect.width = w;
        probe->rect.height = h;
        probe->layoutItem = item;
        probe->align = align;
        probe->parent = p->control.get();
        Probe& ref = *probe;
        p->children.push_back(Make(std::move(probe)));
        p->children.back()->parent = p;
        return ref;
    }
    void frame(int x, int y, int w, int h, LayoutMode layout) {
        parent().rect.x = x, parent().rect.y = y, parent().rect.width = w, parent().rect.height = h;
        parent().layout = layout;
    }
};

TEST(Layout, VerticalSplitsFreeSpaceWithTheRemainderToTheFirstExpandingChild) {
    Tree t;
    t.frame(0, 0, 50, 100, LayoutMode::Vertical);
    auto& a = t.add(10, 20);
    auto& e1 = t.add(0, 0, LayoutItem::Expand);
    auto& b = t.add(10, 30);
    auto& e2 = t.add(0, 0, LayoutItem::Expand);
    auto& e3 = t.add(0, 0, LayoutItem::Expand);
    LayoutNode(*t.root);
    EXPECT_EQ(R(a), (Rect{0, 0, 50, 20}));
    EXPECT_EQ(R(e1), (Rect{0, 20, 50, 18}));
    EXPECT_EQ(R(b), (Rect{0, 38, 50, 30}));
    EXPECT_EQ(R(e2), (Rect{0, 68, 50, 16}));
    EXPECT_EQ(R(e3), (Rect{0, 84, 50, 16}));
    EXPECT_EQ(t.parent().fixedHeightSum, 50);
    EXPECT_EQ(t.parent().fixedWidthSum, 20);
    for (Probe* p : {&a, &e1, &b, &e2, &e3}) {
        EXPECT_EQ(p->placedCount, 1);
    }
}

TEST(Layout, SingleExpandingChildTakesAllFreeSpaceEvenWhenNegative) {
    Tree t;
    t.frame(0, 0, 100, 40, LayoutMode::Horizontal);
    auto& a = t.add(30, 0);
    auto& e = t.add(0, 0, LayoutItem::Expand);
    auto& b = t.add(90, 0);
    LayoutNode(*t.root);
    EXPECT_EQ(R(e), (Rect{30, 0, -20, 40}));
    EXPECT_EQ(R(b), (Rect{10, 0, 90, 40}));
    EXPECT_EQ(R(a), (Rect{0, 0, 30, 40}));
}

TEST(Layout, NegativeFreeSpaceSplitsWithTruncatingDivision) {
    Tree t;
    t.frame(0, 0, 10, 0, LayoutMode::Horizontal);
    t.add(15, 0);
    auto& e1 = t.add(0, 0, LayoutItem::Expand);
    auto& e2 = t.add(0, 0, LayoutItem::Expand);
    LayoutNode(*t.root);
    EXPECT_EQ(e1.rect.width, -3);  // -5 / 2 = -2, remainder -1 to the first
    EXPECT_EQ(e2.rect.width, -2);
}

TEST(Layout, HiddenChildrenNeitherTakeSpaceNorMove) {
    Tree t;
    t.frame(0, 0, 100, 20, LayoutMode::Horizontal);
    auto& a = t.add(10, 0);
    auto& hidden = t.add(40, 7);
    hidden.visible = false;
    hidden.rect.x = 77, hidden.rect.y = 66;
    auto& grandchild = t.add(5, 5, LayoutItem::Fixed, Align::Expand, hidden.node);
    auto& e = t.add(0, 0, LayoutItem::Expand);
    LayoutNode(*t.root);
    EXPECT_EQ(R(a), (Rect{0, 0, 10, 20}));
    EXPECT_EQ(R(e), (Rect{10, 0, 90, 20}));
    EXPECT_EQ(R(hidden), (Rect{77, 66, 40, 7}));
    EXPECT_EQ(hidden.placedCount, 0);
    EXPECT_EQ(grandchild.placedCount, 0) << "a hidden subtree is not laid out";
    EXPECT_EQ(t.parent().fixedWidthSum, 10);
}

TEST(Layout, MarginsAndScrollOffsetMoveTheChildrensArea) {
    Tree t;
    t.frame(100, 200, 60, 50, LayoutMode::Vertical);
    t.parent().ml = 5, t.parent().mr = 7, t.parent().mt = 3, t.parent().mb = 9;
    t.parent().scrollY = -10;
    auto& a = t.add(0, 8);
    auto& e = t.add(0, 0, LayoutItem::Expand);
    LayoutNode(*t.root);
    EXPECT_EQ(R(a), (Rect{105, 193, 48, 8}));
    EXPECT_EQ(R(e), (Rect{105, 201, 48, 30}));  // 50 - 3 - 9 - 8
}

TEST(Layout, GridUsesTwoToFiveColumnsAndSquareCells) {
    struct Case {
        int n, g;
    } cases[] = {{1, 2}, {4, 2}, {5, 3}, {9, 3}, {10, 4}, {16, 4}, {17, 5}, {30, 5}};
    for (const auto& c : cases) {
        Tree t;
        t.frame(10, 20, 300, 300, LayoutMode::Grid);
        std::vector<Probe*> kids;
        for (int i = 0; i < c.n; ++i) {
            kids.push_back(&t.add(1, 1));
        }
        LayoutNode(*t.root);
        const int cell = 300 / c.g;
        for (int k = 0; k < c.n; ++k) {
            EXPECT_EQ(R(*kids[k]), (Rect{10 + cell * (k % c.g), 20 + cell * (k / c.g), cell, cell}))
                << c.n << " children, child " << k;
        }
    }
}

TEST(Layout, GridWithFiveChildrenMatchesTheWorkedExample) {
    Tree t;
    t.frame(0, 0, 300, 300, LayoutMode::Grid);
    std::vector<Probe*> kids;
    for (int i = 0; i < 5; ++i)
        kids.push_back(&t.add(0, 0));
    LayoutNode(*t.root);
    Rect expected[] = {{0, 0, 100, 100},
                       {100, 0, 100, 100},
                       {200, 0, 100, 100},
                       {0, 100, 100, 100},
                       {100, 100, 100, 100}};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(R(*kids[i]), expected[i]);
}

TEST(Layout, GridLeavesAlignedChildrenWhereTheyWereButLaysThemOut) {
    Tree t;
    t.frame(0, 0, 200, 200, LayoutMode::Grid);
    auto& centred = t.add(30, 30, LayoutItem::Fixed, Align::Center);
    centred.rect.x = 3, centred.rect.y = 4;
    auto& inner = t.add(5, 5, LayoutItem::Expand, Align::Expand, centred.node);
    centred.layout = LayoutMode::Horizontal;
    LayoutNode(*t.root);
    EXPECT_EQ(R(centred), (Rect{3, 4, 30, 30}));
    EXPECT_EQ(R(inner), (Rect{3, 4, 30, 30})) << "its own children are still laid out";
}

struct AlignCase {
    const char* what;
    Align align;
    bool verticalAxis;
    int w, h;            // current size
    int sx, sy, sw, sh;  // slot
    Rect expected;
};

TEST(Layout, AlignmentsAcrossTheAxis) {
    const AlignCase cases[] = {
        {"center narrower (vertical)", Align::Center, true, 50, 9, 10, 0, 200, 30, {85, 0, 50, 30}},
        {"center wider clamps", Align::Center, true, 50, 9, 10, 0, 40, 30, {10, 0, 40, 30}},
        {"center equal", Align::Center, true, 40, 9, 10, 0, 40, 30, {10, 0, 40, 30}},
        {"center horizontal", Align::Center, false, 9, 10, 0, 5, 30, 50, {0, 25, 30, 10}},
        {"center horizontal taller", Align::Center, false, 9, 80, 0, 5, 30, 50, {0, 5, 30, 50}},
        {"left keeps width", Align::Left, true, 50, 9, 10, 0, 200, 30, {10, 0, 50, 30}},
        {"left clamps width", Align::Left, true, 500, 9, 10, 0, 200, 30, {10, 0, 200, 30}},
        {"top acts as start", Align::Top, true, 50, 9, 10, 0, 200, 30, {10, 0, 50, 30}},
        {"top horizontal", Align::Top, false, 9, 20, 0, 5, 30, 50, {0, 5, 30, 20}},
        {"top horizontal clamps", Align::Top, false, 9, 70, 0, 5, 30, 50, {0, 5, 30, 50}},
        {"right", Align::Right, true, 50, 9, 10, 0, 200, 30, {160, 0, 50, 30}},
        {"right wider clamps", Align::Right, true, 250, 9, 10, 0, 200, 30, {10, 0, 200, 30}},
        {"bottom horizontal", Align::Bottom, false, 9, 20, 0, 5, 30, 50, {0, 35, 30, 20}},
        {"bottom acts as end (vertical)",
         Align::Bottom,
         true,
         50,
         9,
         10,
         0,
         200,
         30,
         {160, 0, 50, 30}},
        {"bottom horizontal taller", Align::Bottom, false, 9, 60, 0, 5, 30, 50, {0, 5, 30, 50}},
        {"expand fills", Align::Expand, true, 1, 1, 10, 0, 200, 30, {10, 0, 200, 30}},
    };
    for (const auto& c : cases) {
        Probe p;
        p.align = c.align;
        p.rect.width = c.w;
        p.rect.height = c.h;
        PlaceInSlot(p, c.sx, c.sy, c.sw, c.sh, c.verticalAxis ? Axis::Vertical : Axis::Horizontal);
        EXPECT_EQ(R(p), c.expected) << c.what;
        EXPECT_EQ(p.placedCount, 1) << c.what;
    }
}

TEST(Layout, ClampedSizesStayClampedForTheNextPass) {
    Tree t;
    t.frame(0, 0, 40, 100, LayoutMode::Vertical);
    auto& c = t.add(50, 10, LayoutItem::Fixed, Align::Center);
    LayoutNode(*t.root);
    EXPECT_EQ(c.rect.width, 40);
    t.parent().rect.width = 200;
    LayoutNode(*t.root);
    EXPECT_EQ(R(c), (Rect{80, 0, 40, 10}));
}

TEST(Layout, ExpandScaleKeepsTheRatioInsideTheSlot) {
    struct Case {
        double r;
        int sw, sh;
        Rect expected;
    } cases[] = {
        {2.0, 300, 100, {50, 0, 200, 100}},  // slot wider than the ratio
        {2.0, 100, 300, {0, 125, 100, 50}},  // slot taller
        {3.0, 300, 100, {0, 0, 300, 100}},   // exact ratio: the else branch
        {0.5, 10, 0, {5, 0, 0, 0}},          // zero-height slot
        {1.5, 0, 0, {0, 0, 0, 0}},          {1e-300, 100, 100, {50, 0, 0, 100}},
    };
    for (const auto& c : cases) {
        Probe p;
        p.expandScale = c.r;
        PlaceInSlot(p, 0, 0, c.sw, c.sh, Axis::Vertical);
        EXPECT_EQ(R(p), c.expected) << "ratio " << c.r << " slot " << c.sw << "x" << c.sh;
    }
}

TEST(Layout, OnlyTheNodeIndexRangeTakesPart) {
    Tree t;
    t.frame(0, 0, 100, 10, LayoutMode::Horizontal);
    auto& a = t.add(10, 10);
    auto& b = t.add(20, 10);
    auto& c = t.add(30, 10);
    t.root->first = 1;
    t.root->last = 1;
    a.rect.x = c.rect.x = -1;
    LayoutNode(*t.root);
    EXPECT_EQ(b.rect.x, 0);
    EXPECT_EQ(a.rect.x, -1);
    EXPECT_EQ(c.rect.x, -1);
    EXPECT_EQ(t.parent().fixedWidthSum, 20);
    t.root->first = -5;
    t.root->last = 99;
    LayoutNode(*t.root);
    EXPECT_EQ(c.rect.x, 30);
}

TEST(Layout, ScrollPanelHearsPlacedAfterItsChildren) {
    struct Panel : Layer {
        int seen = -1;
        Layer* child = nullptr;
        void placed() override { seen = child->rect.x; }
    };
    auto panel = std::make_unique<Panel>();
    panel->kind = Kind::ScrollPanel;
    panel->rect.width = 50;
    panel->rect.height = 50;
    panel->layout = LayoutMode::Vertical;
    Panel* pp = panel.get();
    Tree t;
    t.root = Tree::Make(std::move(panel));
    auto& kid = t.add(10, 80);
    pp->child = &kid;
    kid.rect.x = -9;
    LayoutNode(*t.root);
    EXPECT_EQ(pp->seen, 0) << "placed() ran after the child was placed";
    EXPECT_EQ(pp->fixedHeightSum, 80);
}

TEST(Layout, NoChildrenOrNoneVisibleChangesNothingButTheSums) {
    Tree t;
    t.frame(0, 0, 10, 10, LayoutMode::Vertical);
    t.parent().fixedWidthSum = 99;
    LayoutNode(*t.root);
    EXPECT_EQ(t.parent().fixedWidthSum, 99) << "a leaf is left alone";
    auto& h = t.add(5, 5);
    h.visible = false;
    LayoutNode(*t.root);
    EXPECT_EQ(t.parent().fixedWidthSum, 0);
    EXPECT_EQ(h.placedCount, 0);
}

TEST(Layout, HugeSizesSaturateInsteadOfOverflowing) {
    Tree t;
    t.frame(INT_MAX - 5, 0, INT_MAX, INT_MAX, LayoutMode::Horizontal);
    t.parent().ml = -INT_MAX;
    for (int i = 0; i < 4; ++i)
        t.add(INT_MAX, INT_MAX);
    auto& e = t.add(0, 0, LayoutItem::Expand, Align::Center);
    LayoutNode(*t.root);  // UBSan fails this test on any overflow
    EXPECT_EQ(t.parent().fixedWidthSum, INT_MAX);
    EXPECT_EQ(e.placedCount, 1);
}

TEST(Layout, NestedContainersAreLaidOutDepthFirst) {
    Tree t;
    t.frame(0, 0, 200, 100, LayoutMode::Horizontal);
    auto& side = t.add(50, 0);
    side.layout = LayoutMode::Vertical;
    auto& top = t.add(0, 30, LayoutItem::Fixed, Align::Expand, side.node);
    auto& rest = t.add(0, 0, LayoutItem::Expand, Align::Expand, side.node);
    auto& main = t.add(0, 0, LayoutItem::Expand);
    LayoutNode(*t.root);
    EXPECT_EQ(R(side), (Rect{0, 0, 50, 100}));
    EXPECT_EQ(R(top), (Rect{0, 0, 50, 30}));
    EXPECT_EQ(R(rest), (Rect{0, 30, 50, 70}));
    EXPECT_EQ(R(main), (Rect{50, 0, 150, 100}));
}

}  // namespace
