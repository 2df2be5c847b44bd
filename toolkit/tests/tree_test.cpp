// Window descriptions: style bits, the control tree and its name map, and
// deferred deletion.
#include <gtest/gtest.h>

#include <stdexcept>

#include "controls/button.h"
#include "controls/edit.h"
#include "controls/label.h"
#include "controls/list.h"
#include "controls/rawwin.h"
#include "controls/registry.h"
#include "controls/slider.h"
#include "test_support.h"
#include "window/tree.h"
#include "window/window.h"
#include "zudoz.h"

namespace {

using namespace testing_support;
using Vcl::WindowStyle;

TEST(WindowStyles, KeywordsMapToTheirBits) {
    struct Case {
        const char* style;
        const char* styleEx;
        bool dialog;
        uint32_t bits;
        uint32_t exBits;
    } cases[] = {
        {nullptr, nullptr, false, 0x12CF0000u, 0},
        {"caption,closebox", nullptr, false, 0x02000000u | 0x00C00000u | 0x00080000u | 0x40000000u,
         0},
        {"overlapped,caption", nullptr, false, 0x02000000u | 0x00C00000u, 0},
        {"popup,visible", nullptr, false, 0x02000000u | 0x80000000u | 0x10000000u, 0},
        {"overlapped,popup", nullptr, false, 0x02000000u, 0},
        {"overlapped,sysmenu,thickframe,minbox,maxbox,border,clipsiblings", nullptr, false,
         0x02000000u | 0x00080000u | 0x00040000u | 0x00020000u | 0x00010000u | 0x00800000u |
             0x04000000u,
         0},
        {"overlapped, visible", nullptr, false, 0x02000000u, 0},  // no trimming
        {"", nullptr, false, 0x02000000u | 0x40000000u, 0},
        {"overlapped", "dragdrop", false, 0x02000000u, 0x10},
        {"overlapped", "acceptfiles", false, 0x02000000u, 0x10},
        {"overlapped", "toolwindow,appwindow,staticedge,windowedge", false, 0x02000000u,
         0x80u | 0x40000u | 0x20000u | 0x100u},
        {nullptr, "toolwindow", false, 0x12CF0000u, 0x80},
        {nullptr, nullptr, true, 0x10C80880u, 0},
        {"caption,center", nullptr, true, 0x02000080u | 0x00C00000u | 0x00000800u, 0},
        {"visible,popup", nullptr, true, 0x02000080u | 0x10000000u, 0},
    };
    for (const auto& c : cases) {
        WindowStyle s = Vcl::ParseWindowStyle(c.style, c.styleEx, c.dialog);
        EXPECT_EQ(s.style, c.bits) << (c.style ? c.style : "(none)") << " dialog " << c.dialog;
        EXPECT_EQ(s.exStyle, c.exBits) << (c.styleEx ? c.styleEx : "(none)");
    }
}

TEST(WindowStyles, OptionsComeFromKeywords) {
    WindowStyle s = Vcl::ParseWindowStyle(
        "overlapped,center,topmost,autohide-lostfocus,autohide-mouseout", nullptr, false);
    EXPECT_TRUE(s.center && s.topmost && s.autoHideOnFocusLoss && s.autoHideOnMouseOut);
    EXPECT_TRUE(Vcl::ParseWindowStyle("autohide", nullptr, false).autoHideOnFocusLoss);
    EXPECT_FALSE(Vcl::ParseWindowStyle(nullptr, nullptr, false).center);
    EXPECT_TRUE(Vcl::ParseWindowStyle(nullptr, nullptr, true).center)
        << "dialogs centre by default";
    EXPECT_FALSE(Vcl::ParseWindowStyle("caption", nullptr, true).center);
}

TEST(ControlAttributes, AlignPicksByPriorityNotByOrder) {
    struct Case {
        const char* list;
        Vcl::Align align;
    } cases[] = {{"", Vcl::Align::Expand},
                 {"left", Vcl::Align::Left},
                 {"left,center", Vcl::Align::Center},
                 {"bottom,top", Vcl::Align::Top},
                 {"right,left", Vcl::Align::Left},
                 {"bottom", Vcl::Align::Bottom},
                 {"center,expand", Vcl::Align::Expand},
                 {"Left", Vcl::Align::Expand},
                 {"right,bottom", Vcl::Align::Right}};
    for (const auto& c : cases) {
        EXPECT_EQ(Vcl::ParseAlign(c.list), c.align) << c.list;
    }
}

class Trees : public ::testing::Test {
protected:
    RegistryReset reset;
    TempDir dir;

    // Loads a package whose window.xml holds `windows` plus extra entries.
    int Build(const std::string& windows, Entries extra = {}) {
        Entries e = {{"resource.xml",
                      ResourceXml(Set("",
                                      "<res id=\"s.title\" type=\"string\">Title</res>"
                                      "<res id=\"c.text\" type=\"color\" color=\"#102030\"/>"
                                      "<res id=\"c.fill\" type=\"color\" color=\"#AABBCC\"/>"))},
                     {"window.xml", "<windows>" + windows + "</windows>"}};
        e.insert(e.end(), extra.begin(), extra.end());
        std::string path = dir.file("t.dat");
        EXPECT_TRUE(WritePackage(path, e));
        EXPECT_TRUE(Res::xResourceManager::Instance().loadMain(path, ""));
        return Vcl::xWindowManager::Instance().buildAll(
            Res::xResourceManager::Instance().windowXml(), Res::xResourceManager::Instance());
    }
    Vcl::Window* W(const std::string& name) { return Vcl::xWindowManager::Instance().find(name); }
};

TEST_F(Trees, WindowAttributesAndTheFirstWindowIsMain) {
    ASSERT_EQ(
        Build("<window id=\"a\" text=\"s.title\" x=\"5\" y=\"6\" width=\"300\" height=\"200\" "
              "width-min=\"120\" height-min=\"80\" color=\"c.text\"><layer/></window>"
              "<dialog id=\"d\"><layer/></dialog>"),
        2);
    Vcl::Window* a = W("a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(Vcl::xWindowManager::Instance().mainWindow(), a);
    EXPECT_EQ(a->title, u"Title");
    EXPECT_EQ(a->rect.x, 5);
    EXPECT_EQ(a->rect.right(), 305);
    EXPECT_EQ(a->rect.bottom(), 206);
    EXPECT_EQ(a->minWidth, 120);
    ASSERT_NE(a->textColor, nullptr);
    EXPECT_EQ(a->textColor->argb, 0xFF302010u);
    EXPECT_FALSE(a->isDialog);
    EXPECT_TRUE(W("d")->isDialog);
    EXPECT_EQ(W("d")->rect.width, 100) << "default size";
}

TEST_F(Trees, BadDescriptionsAreSkippedAndTheOthersLoad) {
    EXPECT_EQ(Build("<frame id=\"x\"><layer/></frame>"
                    "<window id=\"empty\"/>"
                    "<window id=\"badroot\"><bogus/></window>"
                    "<window id=\"badlist\"><list/></window>"
                    "<window id=\"ok\"><layer/></window>"),
              1);
    EXPECT_EQ(Vcl::xWindowManager::Instance().mainWindow(), W("ok"));
    EXPECT_EQ(W("x"), nullptr);
    EXPECT_EQ(W("badroot"), nullptr);
}

TEST_F(Trees, TagsInheritNamesMapAndUnknownElementsDropTheirSubtree) {
    ASSERT_EQ(Build("<window id=\"w\"><layer id=\"root\">"
                    "  <panel id=\"p\" tag=\"group\"><button id=\"b\"/><label id=\"l\" "
                    "tag=\"own\"/></panel>"
                    "  <unknown id=\"u\"><button id=\"inside\"/></unknown>"
                    "  <control id=\"dup\" tag=\"first\"/><check id=\"dup\" tag=\"second\"/>"
                    "  <edit id=\"e\" visible=\"false\" enable=\"no\"/>"
                    "</layer></window>"),
              1);
    Vcl::Window* w = W("w");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->query("root")->tag, "") << "the root's tag stays empty";
    EXPECT_EQ(w->query("b")->tag, "group");
    EXPECT_EQ(w->query("l")->tag, "own");
    EXPECT_EQ(w->query("u"), nullptr);
    EXPECT_EQ(w->query("inside"), nullptr) << "the unknown element's subtree is dropped";
    EXPECT_EQ(w->query("dup")->tag, "second") << "the later control of a name wins";
    EXPECT_EQ(w->query("dup")->kind, Vcl::Kind::Check);
    EXPECT_EQ(w->query("dup")->element, "check");
    EXPECT_FALSE(w->query("e")->visible);
    EXPECT_TRUE(w->query("e")->enabled) << "only \"false\" disables";
    EXPECT_EQ(w->root->children.size(), 4u);
    EXPECT_EQ(w->query("b")->itemIndex, -1);
    EXPECT_TRUE(w->query("b")->mouseAware);
    EXPECT_FALSE(w->query("p")->mouseAware);
}

TEST_F(Trees, EveryKindIsBuiltWithItsNumberAndCommonFields) {
    std::string body;
    const auto kinds = Vcl::ControlKinds();
    ASSERT_EQ(kinds.size(), 13u) << "every kind registered, once";
    for (size_t i = 0; i < kinds.size(); ++i) {
        EXPECT_EQ(static_cast<int>(kinds[i].kind), static_cast<int>(i) + 1) << "in kind order";
    }
    for (const auto& row : kinds) {
        std::string extra =
            row.kind == Vcl::Kind::List ? "<item height=\"20\"><layer/></item>" : "";
        body += "<" + row.element + " id=\"k" + std::to_string(static_cast<int>(row.kind)) +
                "\" width=\"11\" height=\"12\" ml=\"1\" mr=\"2\" mt=\"3\" mb=\"4\" layout=\"grid\" "
                "layoutItem=\"expand\" expandScale=\"1.5\" align=\"right\">" +
                extra + "</" + row.element + ">";
    }
    ASSERT_EQ(Build("<window id=\"w\"><layer>" + body + "</layer></window>"), 1);
    for (const auto& row : kinds) {
        Vcl::Layer* c = W("w")->query("k" + std::to_string(static_cast<int>(row.kind)));
        ASSERT_NE(c, nullptr) << row.element;
        EXPECT_EQ(c->kind, row.kind);
        EXPECT_EQ(c->element, row.element);
        EXPECT_EQ(c->rect.width, 11);
        EXPECT_EQ(c->declaredHeight, 12);
        EXPECT_EQ(c->ml + c->mr + c->mt + c->mb, 10);
        EXPECT_EQ(c->layout, Vcl::LayoutMode::Grid);
        EXPECT_EQ(c->layoutItem, Vcl::LayoutItem::Expand);
        EXPECT_DOUBLE_EQ(c->expandScale, 1.5);
        EXPECT_EQ(c->align, Vcl::Align::Right);
    }
    auto* list = dynamic_cast<Vcl::List*>(W("w")->query("k10"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->itemHeight, 20);
    EXPECT_TRUE(list->node->children.empty()) << "the row description is not a child control";
    EXPECT_TRUE(dynamic_cast<Vcl::Slider*>(W("w")->query("k9"))->fixedTracker);
}

TEST_F(Trees, KindAttributesUseResourcesAndWindowDefaults) {
    ASSERT_EQ(
        Build(
            "<window id=\"w\" color=\"c.text\"><layer>"
            "<label id=\"l\" text=\"s.title\" text-spec=\"right,center,vcenter\" "
            "autosize=\"true\"/>"
            "<button id=\"b\" text-color=\"c.fill,128\" color=\"c.fill\" speedclick=\"true\"/>"
            "<edit id=\"e\" title=\"s.title\" style=\"password,readonly,border\" maxlength=\"8\"/>"
            "<rawwin id=\"r\" color=\"c.fill\" autochildsize=\"true\"/>"
            "<panel id=\"p\" color=\"undefined\" expandScale=\"nan\"/>"
            "</layer></window>"),
        1);
    Vcl::Window* w = W("w");
    auto* l = dynamic_cast<Vcl::Label*>(w->query("l"));
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->attrs.text, u"Title");
    EXPECT_TRUE(l->attrs.center);
    EXPECT_FALSE(l->attrs.right) << "center wins over right";
    EXPECT_EQ(l->attrs.textColor, w->textColor.get()) << "the window's colour is the default";
    auto* b = dynamic_cast<Vcl::Button*>(w->query("b"));
    EXPECT_EQ(b->attrs.textColor->argb, 0x80CCBBAAu);
    EXPECT_EQ(b->looks.color.normal->argb, 0xFFCCBBAAu);
    EXPECT_TRUE(b->speedClick);
    auto* e = dynamic_cast<Vcl::Edit*>(w->query("e"));
    EXPECT_EQ(e->initialText, u"Title");
    EXPECT_EQ(e->style, 0x44000100u | 0x20u | 0x800u | 0x10000000u);
    EXPECT_EQ(e->exStyle, 0x20000u);
    EXPECT_EQ(e->maxLength, 8);
    auto* r = dynamic_cast<Vcl::Rawwin*>(w->query("r"));
    EXPECT_EQ(r->color, 0x00AABBCCu) << "native order of #AABBCC";
    EXPECT_TRUE(r->autoChildSize);
    auto* p = dynamic_cast<Vcl::Panel*>(w->query("p"));
    EXPECT_EQ(p->looks.color.normal, nullptr);
    EXPECT_EQ(p->expandScale, 0.0);
}

TEST_F(Trees, IncludesAppendFragmentsAndCyclesEnd) {
    ASSERT_EQ(
        Build(
            "<window id=\"w\"><layer id=\"root\" src=\"part\"><label id=\"own\"/></layer></window>"
            "<window id=\"loop\"><layer id=\"top\" src=\"self\"/></window>"
            "<window id=\"missing\"><layer id=\"m\" src=\"nothing\"><panel "
            "id=\"kept\"/></layer></window>",
            {{"part.xml",
              "<module><button id=\"inc1\"/><panel id=\"inc2\"><label "
              "id=\"deep\"/></panel></module>"},
             {"self.xml", "<module><layer id=\"again\" src=\"self\"/></module>"}}),
        3);
    Vcl::Window* w = W("w");
    ASSERT_EQ(w->root->children.size(), 3u);
    EXPECT_EQ(w->root->children[0]->control->name, "own") << "existing children come first";
    EXPECT_EQ(w->root->children[1]->control->name, "inc1");
    EXPECT_NE(w->query("deep"), nullptr);
    EXPECT_NE(W("loop")->query("again"), nullptr);
    EXPECT_NE(W("missing")->query("kept"), nullptr);
    // The kept description has no included children (new instances include again).
    EXPECT_EQ(w->description.FirstChildElement()
                  ->FirstChildElement()
                  ->FirstChildElement()
                  ->NextSiblingElement(),
              nullptr);
}

TEST_F(Trees, ExplodingIncludesStopAtTheControlLimit) {
    // Each level includes the next twice: 2^20 controls if nothing stopped it.
    Entries fragments;
    for (int i = 0; i < 20; ++i) {
        std::string next = "f" + std::to_string(i + 1);
        fragments.push_back(
            {"f" + std::to_string(i) + ".xml",
             "<module><layer src=\"" + next + "\"/><layer src=\"" + next + "\"/></module>"});
    }
    ASSERT_EQ(Build("<window id=\"w\"><layer src=\"f0\"/></window>", fragments), 1);
    std::function<int(const Vcl::TreeNode&)> count = [&](const Vcl::TreeNode& n) {
        int total = 1;
        for (const auto& c : n.children)
            total += count(*c);
        return total;
    };
    EXPECT_LE(count(*W("w")->root), Vcl::kMaxControlsPerWindow);
}

struct RemovingHandler : WinHandler {
    Vcl::TreeNode* parentNode = nullptr;
    int events = 0;
    int onEvent(XuiControl*, int, void*) override {
        ++events;
        Vcl::RemoveChild(*parentNode, 0);  // the control being notified
        return 0;
    }
};

TEST_F(Trees, ControlDestroyedInsideItsOwnEventIsFreedAfterIt) {
    ASSERT_EQ(Build("<dialog id=\"d\"><layer id=\"root\"><button id=\"DLG.OK\"/><button "
                    "id=\"other\"/></layer></dialog>"),
              1);
    Vcl::Window* d = W("d");
    RemovingHandler handler;
    handler.parentNode = d->root.get();
    d->handler = &handler;
    Vcl::Layer* ok = d->query("DLG.OK");
    ASSERT_NE(ok, nullptr);
    ok->notify(ok, XUI_EVENT_CLICK, nullptr);  // ASan reports any later use
    EXPECT_EQ(handler.events, 1) << "no dialog command followed: the control was gone";
    EXPECT_EQ(Vcl::DeferredCount(), 0u);
    EXPECT_EQ(d->query("DLG.OK"), nullptr);
    EXPECT_EQ(d->root->children.size(), 1u);
    EXPECT_EQ(d->root->children[0]->control->name, "other");
}

// The host answers a click by something that sends the same control another
// event, and removes the control in that inner event: the control must stay
// alive until the outer event is over too.
struct NestedRemovingHandler : WinHandler {
    Vcl::TreeNode* parentNode = nullptr;
    std::vector<int> codes;
    size_t parkedAfterInner = 0;
    std::string nameAfterInner;
    int onEvent(XuiControl* control, int code, void*) override {
        codes.push_back(code);
        auto* c = reinterpret_cast<Vcl::Layer*>(control);
        if (code == XUI_EVENT_CLICK) {
            c->notify(c, XUI_EVENT_DBLCLICK, nullptr);
            parkedAfterInner = Vcl::DeferredCount();
            nameAfterInner = c->name;  // still a live object here
        } else if (code == XUI_EVENT_DBLCLICK) {
            Vcl::RemoveChild(*parentNode, 0);
        }
        return 0;
    }
};

TEST_F(Trees, ControlRemovedInANestedEventLivesUntilTheOuterEventEnds) {
    ASSERT_EQ(Build("<dialog id=\"d\"><layer id=\"root\"><button id=\"DLG.OK\"/><button "
                    "id=\"other\"/></layer></dialog>"),
              1);
    Vcl::Window* d = W("d");
    NestedRemovingHandler handler;
    handler.parentNode = d->root.get();
    d->handler = &handler;
    Vcl::Layer* ok = d->query("DLG.OK");
    ASSERT_NE(ok, nullptr);
    ok->notify(ok, XUI_EVENT_CLICK, nullptr);  // ASan reports any use after the free
    EXPECT_EQ(handler.codes, (std::vector<int>{XUI_EVENT_CLICK, XUI_EVENT_DBLCLICK}))
        << "no close request followed: the control was gone";
    EXPECT_EQ(handler.parkedAfterInner, 1u) << "freed only once the outer event returned";
    EXPECT_EQ(handler.nameAfterInner, "DLG.OK");
    EXPECT_EQ(Vcl::DeferredCount(), 0u);
    EXPECT_EQ(d->query("DLG.OK"), nullptr);
    ASSERT_EQ(d->root->children.size(), 1u);
    EXPECT_EQ(d->root->children[0]->control->name, "other");
}

struct ThrowingHandler : WinHandler {
    int calls = 0;
    int onEvent(XuiControl*, int, void*) override {
        ++calls;
        throw std::runtime_error("host bug");
    }
};

TEST_F(Trees, AHostHandlerThatThrowsDoesNotUnwindThroughTheToolkit) {
    ASSERT_EQ(Build("<window id=\"w\"><layer><button id=\"b\"/></layer></window>"), 1);
    ThrowingHandler handler;
    W("w")->handler = &handler;
    Vcl::Layer* b = W("w")->query("b");
    EXPECT_NO_THROW(b->notify(b, XUI_EVENT_CLICK, nullptr));
    EXPECT_NO_THROW(W("w")->notify(W("w"), XUI_EVENT_TIMER, nullptr));
    EXPECT_EQ(handler.calls, 2);
    EXPECT_FALSE(b->inCallback);
}

}  // namespace
