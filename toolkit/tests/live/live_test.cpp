// The gallery under the X server, driven by real input (XTest) at the
// places its inspection file gives: clicks reach the host as events on the
// right control, typing reaches an edit (and the host can swallow a key), a
// popup menu returns the chosen id (empty on Escape), and the custom frame's
// caption drags the window and its close button closes it (with a window
// manager on a display of the test's own).
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>

#include "live_support.h"

namespace {

using live::Centre;
using live::GalleryProcess;
using live::XInput;

std::string MainDisplay() {
    const char* d = std::getenv("DISPLAY");
    return d ? d : "";
}

class Live : public ::testing::Test {
protected:
    void SetUp() override {
        if (MainDisplay().empty()) {
            GTEST_SKIP() << "no X display";
        }
    }
    // The gallery with steady pictures, once it is on screen.
    std::unique_ptr<GalleryProcess> Start(std::vector<std::string> args = {},
                                          const std::string& display = MainDisplay()) {
        args.push_back("--still");
        auto g = std::make_unique<GalleryProcess>(display, args);
        EXPECT_TRUE(g->waitShown()) << "the gallery window did not come up:\n" << g->log();
        return g;
    }
};

TEST_F(Live, AClickReachesTheHostAsEvent4OnTheControlUnderThePointer) {
    auto g = Start();
    XInput input(MainDisplay());
    ASSERT_TRUE(input.ok());
    struct Case {
        const char* control;
        const char* expected;  // the line the host prints, or null for none
    } cases[] = {
        {"b.primary", "event b.primary 4 0"},
        {"b.secondary", "event b.secondary 4 0"},
        {"c.toggle", "event c.toggle 4 0"},
        {"ctl.hover", "event ctl.hover 4 0"},
        {"b.disabled", nullptr},  // a disabled button sends nothing
    };
    for (const auto& c : cases) {
        const Json::Value control = g->control(c.control);
        ASSERT_FALSE(control.isNull()) << c.control << " is not in the record";
        const auto p = Centre(control);
        const size_t before = g->linesStarting("event ").size();
        input.click(p.x, p.y);
        if (c.expected) {
            EXPECT_TRUE(g->waitPrinted(c.expected)) << c.control << ":\n" << g->log();
        } else {
            // A later click that does arrive shows the first one was handled.
            const auto q = Centre(g->control("b.secondary"));
            input.click(q.x, q.y);
            ASSERT_TRUE(
                live::WaitFor([&] { return g->linesStarting("event b.secondary 4").size() >= 2; }));
            for (const auto& l : g->linesStarting("event " + std::string(c.control))) {
                ADD_FAILURE() << "unexpected: " << l;
            }
        }
        // Each click is exactly one event 4, on that control only.
        const auto clicks = g->linesStarting("event ");
        for (size_t i = before; i < clicks.size(); ++i) {
            EXPECT_NE(clicks[i].find(" 4 "), std::string::npos) << clicks[i];
        }
    }
    EXPECT_TRUE(live::WaitFor([&] { return g->control("c.toggle")["checked"].asBool(); }))
        << "the toggle flipped before the host heard the click";
    EXPECT_TRUE(live::WaitFor([&] {
        return g->control("l.status")["text"].asString().find("b.secondary") != std::string::npos;
    })) << "the host's text change shows in the record";
}

TEST_F(Live, TypingReachesTheEditAndTheHostSwallowsItsKey) {
    // 0x42 is the virtual key of B.
    auto g = Start({"--swallow-key", "0x42"});
    XInput input(MainDisplay());
    ASSERT_TRUE(input.ok());
    const Json::Value edit = g->control("e.text");
    ASSERT_FALSE(edit.isNull());
    const std::string initial = edit["text"].asString();
    const auto p = Centre(edit);
    input.click(p.x, p.y);
    input.key(XK_End);
    input.type("abc");
    ASSERT_TRUE(g->waitPrinted("event e.text 6 key=67 pass=1")) << g->log();
    EXPECT_TRUE(g->printed("event e.text 6 key=65 pass=1"));
    EXPECT_TRUE(g->printed("event e.text 6 key=66 pass=0"));
    EXPECT_TRUE(g->printed("event e.text 7 key=65 pass=1"));
    EXPECT_TRUE(live::WaitFor([&] {
        return g->control("e.text")["text"].asString() == initial + "ac";
    })) << "text now: "
        << g->control("e.text")["text"].asString();
    EXPECT_TRUE(g->linesStarting("event e.password 6").empty()) << "keys go to the focused edit";
}

TEST_F(Live, APopupMenuReturnsTheChosenIdAndNothingOnEscape) {
    auto g = Start();
    XInput input(MainDisplay());
    ASSERT_TRUE(input.ok());
    const auto button = Centre(g->control("b.menu"));

    auto openMenu = [&]() -> Json::Value {
        input.click(button.x, button.y);
        Json::Value menu;
        live::WaitFor([&] {
            menu = g->state()["menus"][0];
            return menu["items"].size() > 0 && menu["screen"]["width"].asInt() > 0;
        });
        return menu;
    };

    Json::Value menu = openMenu();
    ASSERT_FALSE(menu.isNull()) << "no popup menu in the record:\n" << g->log();
    std::vector<std::string> ids;
    Json::Value save;
    for (const auto& item : menu["items"]) {
        ids.push_back(item["id"].asString());
        if (item["id"].asString() == "m.save") {
            save = item;
        }
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"m.open", "m.save", "", "", "m.exit"}))
        << "separator and submenu carry no id";
    ASSERT_FALSE(save.isNull());
    EXPECT_EQ(save["text"].asString(), "Save");
    const auto item = Centre(save);
    input.moveTo(item.x, item.y);
    input.click(item.x, item.y);
    EXPECT_TRUE(g->waitPrinted("menu \"m.save\"")) << g->log();
    EXPECT_TRUE(live::WaitFor([&] { return g->state()["menus"].size() == 0; }));

    menu = openMenu();
    ASSERT_FALSE(menu.isNull());
    input.key(XK_Escape);
    EXPECT_TRUE(g->waitPrinted("menu \"\"")) << g->log();
    EXPECT_EQ(g->linesStarting("menu ").size(), 2u);
}

TEST_F(Live, TheRecordShowsEveryKindAndTheListRows) {
    auto g = Start();
    std::set<std::string> kinds;
    std::set<int> rows;
    ASSERT_TRUE(live::WaitFor([&] {
        const Json::Value w = g->window();
        for (const auto& c : w["controls"]) {
            kinds.insert(c["kind"].asString());
            if (c["name"].asString() == "row.name" && c["row"].asInt() > 0) {
                rows.insert(c["row"].asInt());
            }
        }
        return rows.size() >= 12;
    })) << "list rows in the record: "
        << rows.size();
    for (const char* kind : {"panel", "control", "label", "button", "check", "edit", "rawwin",
                             "scroll", "slider", "spanel", "list", "graber", "layer"}) {
        EXPECT_TRUE(kinds.count(kind)) << kind;
    }
    EXPECT_EQ(*rows.begin(), 1) << "row ids start at 1";
    // Frames as the descriptions chose them, and a disabled button.
    EXPECT_EQ(g->control("NC.CLOSE")["images"][1].asInt(), 1);
    EXPECT_EQ(g->control("NC.CLOSE")["images"][2].asInt(), 2);
    EXPECT_FALSE(g->control("b.disabled")["enabled"].asBool());
    EXPECT_EQ(g->control("b.primary")["text"].asString(), "Go live");
    EXPECT_EQ(g->control("e.password")["text"].asString(), "") << "nothing typed yet";
    // Controls sit inside the window, and screen = client + the window's origin.
    const Json::Value w = g->window();
    const Json::Value b = g->control("b.primary");
    EXPECT_EQ(b["screen"]["x"].asInt(), w["screen"]["x"].asInt() + b["client"]["x"].asInt());
    EXPECT_EQ(b["screen"]["y"].asInt(), w["screen"]["y"].asInt() + b["client"]["y"].asInt());
    EXPECT_GT(b["client"]["width"].asInt(), 0);
}

TEST_F(Live, AMessageBoxIsInTheRecordWhileItIsOpen) {
    auto g = Start();
    XInput input(MainDisplay());
    ASSERT_TRUE(input.ok());
    const auto record = Centre(g->control("b.record"));
    input.click(record.x, record.y);
    Json::Value box;
    ASSERT_TRUE(live::WaitFor([&] {
        box = g->state()["messageBoxes"][0];
        return !box.isNull() && box["screen"]["width"].asInt() > 0;
    })) << g->log();
    EXPECT_EQ(box["caption"].asString(), "Zudoz gallery");
    EXPECT_EQ(box["text"].asString(), "Recording needs a folder to write to.");
    EXPECT_EQ(box["type"].asString(), "warning");
    EXPECT_EQ(box["buttons"].size(), 1u);
    EXPECT_EQ(box["buttons"][0].asString(), "ok");
    EXPECT_EQ(box["flags"].asInt(), 48);
    // Keys go where the pointer is.
    const auto centre = Centre(box);
    input.moveTo(centre.x, centre.y);
    input.key(XK_Return);
    EXPECT_TRUE(g->waitPrinted("msgbox 1")) << g->log();
    EXPECT_TRUE(live::WaitFor([&] { return g->state()["messageBoxes"].size() == 0; }));
}

TEST_F(Live, DragsClicksAndTheWheelMoveTheScrollFamily) {
    auto g = Start();
    XInput input(MainDisplay());
    ASSERT_TRUE(input.ok());
    auto percent = [&](const char* name) { return g->control(name)["percent"].asDouble(); };

    // The horizontal bar's tracker (40 pixels, fixed) starts at its left end;
    // dragged to the right end it reports 1.
    const Json::Value bar = g->control("s.horizontal")["screen"];
    const int y = bar["y"].asInt() + bar["height"].asInt() / 2;
    const int left = bar["x"].asInt();
    input.drag(left + 20, y, left + bar["width"].asInt() + 40, y);
    EXPECT_TRUE(g->waitPrinted("event s.horizontal 8 1.000")) << g->log();
    EXPECT_TRUE(live::WaitFor([&] { return percent("s.horizontal") == 1.0; }));
    EXPECT_TRUE(live::WaitFor([&] {
        return g->control("l.position")["text"].asString() == "position 1.00";
    })) << "the host followed the value";

    // A click on the slider's track puts the knob's centre there.
    const auto slider = Centre(g->control("slider.level"));
    input.click(slider.x, slider.y);
    EXPECT_TRUE(live::WaitFor([&] { return std::abs(percent("slider.level") - 0.5) < 0.05; }))
        << percent("slider.level");
    EXPECT_FALSE(g->linesStarting("event slider.level 8").empty());

    // One notch down over the list scrolls its rows.
    ASSERT_EQ(percent("list.rows"), 0.0);
    const auto list = Centre(g->control("list.rows"));
    input.moveTo(list.x, list.y);
    input.click(list.x, list.y, 5);
    EXPECT_TRUE(live::WaitFor([&] { return percent("list.rows") > 0.0; }));
    EXPECT_FALSE(g->linesStarting("event list.rows 8").empty()) << g->log();
}

TEST_F(Live, TheCustomFrameDragsByItsCaptionMaximisesAndClosesByItsButtons) {
    live::OwnDisplay own;
    ASSERT_FALSE(own.name().empty()) << own.problem();
    auto g = Start({}, own.name());
    XInput input(own.name());
    ASSERT_TRUE(input.ok());

    const Json::Value before = g->window()["screen"];
    const auto caption = Centre(g->control("l.caption"));
    input.drag(caption.x, caption.y, caption.x + 120, caption.y + 70);
    EXPECT_TRUE(live::WaitFor([&] {
        const Json::Value now = g->window()["screen"];
        return now["x"].asInt() == before["x"].asInt() + 120 &&
               now["y"].asInt() == before["y"].asInt() + 70;
    })) << "window at "
        << g->window()["screen"].toStyledString() << " was " << before.toStyledString();
    EXPECT_EQ(g->window()["screen"]["width"].asInt(), before["width"].asInt())
        << "moved, not sized";

    // The maximise box maximises, and on a maximised window restores.
    const int width = before["width"].asInt();
    auto max = Centre(g->control("NC.MAX"));
    input.click(max.x, max.y);
    EXPECT_TRUE(live::WaitFor([&] { return g->window()["screen"]["width"].asInt() > width; }))
        << "not maximised: " << g->window()["screen"].toStyledString();
    ASSERT_TRUE(g->waitShown());
    max = Centre(g->control("NC.MAX"));
    input.click(max.x, max.y);
    EXPECT_TRUE(live::WaitFor([&] { return g->window()["screen"]["width"].asInt() == width; }))
        << "not restored: " << g->window()["screen"].toStyledString();
    ASSERT_TRUE(g->waitShown());

    const auto close = Centre(g->control("NC.CLOSE"));
    input.click(close.x, close.y);
    EXPECT_EQ(g->waitExit(5000), 0) << g->log();
    EXPECT_TRUE(g->printed("event w.gallery 3 1")) << g->log();
    EXPECT_TRUE(g->printed("exit 0"));
}

}  // namespace
