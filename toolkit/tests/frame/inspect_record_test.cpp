// The inspection record without a display: what is collected from a control
// tree, the JSON text (read back with jsoncpp), and the file that is
// replaced whole and only on change.
#include <gtest/gtest.h>
#include <json/json.h>
#include <sys/stat.h>

#include <glib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "controls/edit.h"
#include "host/inspector.h"
#include "test_support.h"
#include "window/inspect.h"
#include "window/inspect_file.h"
#include "window/window_manager.h"

namespace {

using namespace testing_support;
namespace inspect = Vcl::inspect;
namespace fs = std::filesystem;

Json::Value Parse(const std::string& text) {
    Json::Value v;
    Json::CharReaderBuilder b;
    b["strictRoot"] = true;
    b["rejectDupKeys"] = true;
    std::string errors;
    std::istringstream in(text);
    EXPECT_TRUE(Json::parseFromStream(b, in, &v, &errors)) << errors << "\n" << text;
    return v;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(InspectJson, StringsAreEscapedAndAlwaysValidUtf8) {
    struct Case {
        std::string in;
        std::string literal;  // the expected JSON literal
    } cases[] = {
        {"", "\"\""},
        {"plain", "\"plain\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"a\\b", "\"a\\\\b\""},
        {"l1\nl2\r\t", "\"l1\\nl2\\r\\t\""},
        {std::string("\x01\x1f\b\f", 4), "\"\\u0001\\u001f\\b\\f\""},
        {std::string("nul\0in", 6), "\"nul\\u0000in\""},
        {"\x7f/", "\"\x7f/\""},
        {"直播 ✓ \xF0\x9F\x8E\xA4", "\"直播 ✓ \xF0\x9F\x8E\xA4\""},    // up to four-byte forms
        {"\x80", "\"\xEF\xBF\xBD\""},                                  // a lone continuation byte
        {"ab\xE7\x9B", "\"ab\xEF\xBF\xBD\xEF\xBF\xBD\""},              // cut off at the end
        {"\xC0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},                  // overlong NUL
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},  // a surrogate
        {"\xF4\x90\x80\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},  // > U+10FFFF
        {"\xFF"
         "ok",
         "\"\xEF\xBF\xBDok\""},
    };
    for (const auto& c : cases) {
        const std::string literal = inspect::JsonString(c.in);
        EXPECT_EQ(literal, c.literal);
        // Whatever came in, a strict reader takes it back.
        Json::Value v = Parse("[" + literal + "]");
        ASSERT_TRUE(v.isArray());
        EXPECT_TRUE(v[0].isString());
    }
    EXPECT_EQ(Parse("[" + inspect::JsonString("a\"b\\c\n\x01") + "]")[0].asString(),
              "a\"b\\c\n\x01");
}

inspect::Snapshot Sample() {
    inspect::Snapshot s;
    inspect::WindowState w;
    w.id = "w.\"main\"";
    w.xid = 0x2a00007;
    w.main = true;
    w.visible = true;
    w.screen = {100, 80, 1000, 700};
    inspect::ControlState c;
    c.name = "b.go";
    c.kind = "button";
    c.client = {10, 20, 120, 32};
    c.screen = {110, 100, 120, 32};
    c.visible = true;
    c.enabled = false;
    c.checked = true;
    c.text = "Go \"live\"\n直播";
    c.frames = {0, 1, 2, -1, -1, -1, 5, -1};
    c.percent = 0.25;
    w.controls.push_back(c);
    c.name = "row.name";
    c.row = 7;
    c.percent = std::numeric_limits<double>::quiet_NaN();
    w.controls.push_back(c);
    s.windows.push_back(w);
    s.windows.push_back(inspect::WindowState{.id = "w.empty"});
    s.messageBoxes.push_back(
        {"Caption", "Text", "", "question", {"ok", "cancel"}, 33, {300, 200, 360, 140}});
    inspect::MenuState m;
    m.screen = {5, 6, 70, 80};
    m.items.push_back({"m.open", "Open", 3, false, false, true, true, {6, 8, 60, 24}});
    m.items.push_back({"", "", 0, true, false, true, false});
    m.items.push_back({"", "More", 0, false, true, false, false});
    s.menus.push_back(m);
    return s;
}

TEST(InspectJson, TheRecordReadsBackFieldByField) {
    const std::string text = inspect::ToJson(Sample());
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    Json::Value v = Parse(text);
    ASSERT_EQ(v["windows"].size(), 2u);
    const Json::Value& w = v["windows"][0];
    EXPECT_EQ(w["id"].asString(), "w.\"main\"");
    EXPECT_EQ(w["xid"].asUInt64(), 0x2a00007u);
    EXPECT_TRUE(w["main"].asBool());
    EXPECT_TRUE(w["visible"].asBool());
    EXPECT_EQ(w["screen"]["x"].asInt(), 100);
    EXPECT_EQ(w["screen"]["height"].asInt(), 700);
    ASSERT_EQ(w["controls"].size(), 2u);
    const Json::Value& c = w["controls"][0];
    EXPECT_EQ(c["name"].asString(), "b.go");
    EXPECT_EQ(c["kind"].asString(), "button");
    EXPECT_EQ(c["row"].asInt(), -1);
    EXPECT_EQ(c["client"]["y"].asInt(), 20);
    EXPECT_EQ(c["screen"]["x"].asInt(), 110);
    EXPECT_EQ(c["screen"]["width"].asInt(), 120);
    EXPECT_FALSE(c["enabled"].asBool());
    EXPECT_TRUE(c["checked"].asBool());
    EXPECT_EQ(c["text"].asString(), "Go \"live\"\n直播");
    ASSERT_EQ(c["images"].size(), 8u);
    EXPECT_EQ(c["images"][1].asInt(), 1);
    EXPECT_EQ(c["images"][3].asInt(), -1);
    EXPECT_EQ(c["images"][6].asInt(), 5);
    EXPECT_DOUBLE_EQ(c["percent"].asDouble(), 0.25);
    EXPECT_EQ(w["controls"][1]["row"].asInt(), 7);
    EXPECT_TRUE(w["controls"][1]["percent"].isNull()) << "a non-finite number is not JSON";
    EXPECT_EQ(v["windows"][1]["controls"].size(), 0u);

    ASSERT_EQ(v["messageBoxes"].size(), 1u);
    EXPECT_EQ(v["messageBoxes"][0]["type"].asString(), "question");
    EXPECT_EQ(v["messageBoxes"][0]["buttons"][1].asString(), "cancel");
    EXPECT_EQ(v["messageBoxes"][0]["flags"].asInt(), 33);
    EXPECT_EQ(v["messageBoxes"][0]["screen"]["width"].asInt(), 360);
    ASSERT_EQ(v["menus"].size(), 1u);
    const Json::Value& items = v["menus"][0]["items"];
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0]["id"].asString(), "m.open");
    EXPECT_EQ(items[0]["command"].asInt(), 3);
    EXPECT_TRUE(items[0]["checked"].asBool());
    EXPECT_EQ(items[0]["screen"]["y"].asInt(), 8);
    EXPECT_EQ(items[0]["screen"]["height"].asInt(), 24);
    EXPECT_TRUE(items[1]["separator"].asBool());
    EXPECT_TRUE(items[2]["submenu"].asBool());
    EXPECT_FALSE(items[2]["enabled"].asBool());
    EXPECT_EQ(v["menus"][0]["screen"]["width"].asInt(), 70);
}

TEST(InspectJson, AnEmptyRecordHasItsThreeLists) {
    Json::Value v = Parse(inspect::ToJson({}));
    for (const char* key : {"windows", "messageBoxes", "menus"}) {
        EXPECT_TRUE(v[key].isArray()) << key;
        EXPECT_EQ(v[key].size(), 0u) << key;
    }
    EXPECT_EQ(v.size(), 3u);
}

TEST(InspectJson, MessageBoxFlagsFollowTypeAndButtons) {
    struct Case {
        const char* type;
        std::vector<std::string> buttons;
        int flags;
    } cases[] = {
        {"warning", {"ok"}, 48},
        {"question", {"ok", "cancel"}, 33},
        {"info", {"ok"}, 64},
        {"error", {"ok"}, 16},
        {"question", {"yes", "no"}, 36},
        {"question", {"yes", "no", "cancel"}, 35},
        {"other", {"close"}, 0},
        {"warning", {"cancel"}, 48},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(inspect::MessageBoxFlags(c.type, c.buttons), c.flags) << c.type;
    }
}

// Controls collected from a window built the way XUI_LOAD builds it.
class InspectTree : public ::testing::Test {
protected:
    RegistryReset reset;
    TempDir dir;

    Vcl::Window* Load(const std::string& root) {
        const Entries entries = {
            {"resource.xml",
             ResourceXml(Set("",
                             "<res id=\"s.go\" type=\"string\">Go 直播</res>"
                             "<res id=\"i.frames\" type=\"image\" count=\"4\">f.png</res>"))},
            {"window.xml", "<windows><window id=\"w\">" + root + "</window></windows>"},
            {"f.png", Png(40, 10)}};
        const std::string path = dir.file("t.dat");
        EXPECT_TRUE(WritePackage(path, entries));
        auto& registry = Res::xResourceManager::Instance();
        EXPECT_TRUE(registry.loadMain(path, ""));
        EXPECT_EQ(Vcl::xWindowManager::Instance().buildAll(registry.windowXml(), registry), 1);
        return Vcl::xWindowManager::Instance().find("w");
    }
    static const inspect::ControlState* Find(const std::vector<inspect::ControlState>& all,
                                             const std::string& name) {
        for (const auto& c : all) {
            if (c.name == name) {
                return &c;
            }
        }
        return nullptr;
    }
};

TEST_F(InspectTree, NamedControlsInDocumentOrderWithTheirState) {
    Vcl::Window* w = Load(
        "<layer id=\"root\" layout=\"vertical\">"
        "  <panel id=\"p.img\" height=\"10\" image=\"i.frames,2\"/>"
        "  <layer height=\"30\"><button id=\"b.go\" width=\"50\" text=\"s.go\"/></layer>"
        "  <panel id=\"p.hidden\" visible=\"false\"><label id=\"l.inside\"/></panel>"
        "  <check id=\"c.on\" enable=\"false\"/>"
        "</layer>");
    ASSERT_NE(w, nullptr);
    ASSERT_NE(w->root, nullptr);
    w->root->control->rect = {0, 0, 200, 100};
    w->query("b.go")->rect = {5, 12, 50, 30};
    w->query("c.on")->setChecked(true);

    const auto all = inspect::CollectControls(*w->root, 300, 400);
    std::vector<std::string> names;
    for (const auto& c : all) {
        names.push_back(c.name);
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"root", "p.img", "b.go", "p.hidden", "l.inside", "c.on"}))
        << "unnamed layers are left out, hidden subtrees are not";

    const auto* go = Find(all, "b.go");
    ASSERT_NE(go, nullptr);
    EXPECT_EQ(go->kind, "button");
    EXPECT_EQ(go->client, (Vcl::Rect{5, 12, 50, 30}));
    EXPECT_EQ(go->screen, (Vcl::Rect{305, 412, 50, 30}));
    EXPECT_EQ(go->text, "Go 直播");
    EXPECT_TRUE(go->visible);
    EXPECT_TRUE(go->enabled);
    EXPECT_EQ(go->row, -1);

    EXPECT_FALSE(Find(all, "p.hidden")->visible);
    EXPECT_FALSE(Find(all, "l.inside")->visible) << "shown means every ancestor is visible";
    EXPECT_FALSE(Find(all, "c.on")->enabled);
    EXPECT_TRUE(Find(all, "c.on")->checked);
    EXPECT_FALSE(Find(all, "b.go")->checked);

    const auto* img = Find(all, "p.img");
    EXPECT_EQ(img->frames[0], 2) << "slot 1 at the frame the attribute chose";
    for (int slot = 2; slot <= 8; ++slot) {
        EXPECT_EQ(img->frames[slot - 1], -1) << "slot " << slot;
    }
}

TEST_F(InspectTree, APasswordNeverReachesTheRecord) {
    Vcl::Window* w = Load(
        "<layer id=\"root\"><edit id=\"e.pass\" style=\"password\"/>"
        "<edit id=\"e.name\"/></layer>");
    ASSERT_NE(w, nullptr);
    w->query("e.pass")->setText(u"s3cr\"t");
    w->query("e.name")->setText(u"streamer");
    const auto all = inspect::CollectControls(*w->root, 0, 0);
    EXPECT_EQ(Find(all, "e.pass")->text, "\u2022\u2022\u2022\u2022\u2022\u2022");
    EXPECT_EQ(Find(all, "e.name")->text, "streamer");
    inspect::Snapshot s;
    s.windows.push_back({.id = "w", .controls = all});
    EXPECT_EQ(inspect::ToJson(s).find("s3cr"), std::string::npos);
}

class InspectFile : public ::testing::Test {
protected:
    TempDir dir;
    size_t EntriesInDir() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(dir.path()), {}));
    }
};

TEST_F(InspectFile, ReplacesTheFileWholeAndLeavesNoTemporaryBehind) {
    const std::string path = dir.file("state.json");
    ASSERT_TRUE(inspect::ReplaceFile(path, "first"));
    EXPECT_EQ(ReadAll(path), "first");
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    ASSERT_TRUE(inspect::ReplaceFile(path, std::string(100000, 'x')));
    EXPECT_EQ(ReadAll(path), std::string(100000, 'x'));
    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino) << "a new file renamed over the old one";
    EXPECT_EQ(after.st_mode & 0777, 0600u) << "the record is the user's alone";
    EXPECT_EQ(EntriesInDir(), 1u);
}

TEST_F(InspectFile, FailuresReportFalseAndLeaveNothing) {
    EXPECT_FALSE(inspect::ReplaceFile("", "x"));
    EXPECT_FALSE(inspect::ReplaceFile(dir.file("missing/state.json"), "x"));
    // A folder where the file should be: the rename fails after the write.
    fs::create_directory(dir.file("taken"));
    EXPECT_FALSE(inspect::ReplaceFile(dir.file("taken"), "x"));
    EXPECT_EQ(EntriesInDir(), 1u) << "only the folder itself";
}

TEST_F(InspectFile, WritesOnlyChangesAndRetriesAfterAFailure) {
    const std::string folder = dir.file("sub");
    const std::string path = folder + "/state.json";
    inspect::ChangeWriter writer(path);
    EXPECT_FALSE(writer.update("a")) << "the folder does not exist yet";
    EXPECT_EQ(writer.writes(), 0);
    fs::create_directory(folder);
    EXPECT_TRUE(writer.update("a")) << "the same text is tried again after a failure";
    EXPECT_EQ(writer.writes(), 1);
    EXPECT_EQ(ReadAll(path), "a");

    fs::remove(path);
    EXPECT_TRUE(writer.update("a"));
    EXPECT_EQ(writer.writes(), 1) << "unchanged text is not written again";
    EXPECT_FALSE(fs::exists(path));

    EXPECT_TRUE(writer.update("b"));
    EXPECT_EQ(writer.writes(), 2);
    EXPECT_EQ(ReadAll(path), "b");
    EXPECT_TRUE(writer.update(""));
    EXPECT_EQ(ReadAll(path), "") << "an empty text is a change too";
}

// The inspector on the GLib loop (no display: there are no windows).
TEST_F(InspectFile, TheInspectorWritesOnlyWhenAskedAndEndsWithNoWindows) {
    RegistryReset reset;
    const std::string path = dir.file("state.json");
    auto pump = [](int ms, const std::function<bool()>& done) {
        const gint64 end = g_get_monotonic_time() + gint64(ms) * 1000;
        while (!done() && g_get_monotonic_time() < end) {
            g_main_context_iteration(nullptr, FALSE);
            g_usleep(2000);
        }
    };

    setenv("ZUDOZ_INSPECT", "", 1);
    {
        HostWin::Inspector idle;
        pump(150, [] { return false; });
    }
    EXPECT_EQ(EntriesInDir(), 0u) << "an empty variable asks for nothing";

    setenv("ZUDOZ_INSPECT", path.c_str(), 1);
    {
        HostWin::Inspector inspector;
        pump(3000, [&] { return fs::exists(path); });
        ASSERT_TRUE(fs::exists(path)) << "the first tick writes the record";
        Json::Value v = Parse(ReadAll(path));
        EXPECT_EQ(v["windows"].size(), 0u);
        fs::remove(path);
    }
    unsetenv("ZUDOZ_INSPECT");
    ASSERT_TRUE(fs::exists(path)) << "the end of the run is recorded, changed or not";
    EXPECT_EQ(Parse(ReadAll(path))["windows"].size(), 0u);
}

}  // namespace
