// The main window's address, label and level rules.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "main_rules.h"

using namespace zv::mainwin;

TEST(MainRules, RecordAddressReplacesTheFirstLiveOnly) {
    struct Case {
        const char* push;
        const char* record;
    };
    const Case cases[] = {
        {"rtmp://127.0.0.1:19350/live/k1", "rtmp://127.0.0.1:19350/record/k1"},
        {"rtmp://h/live/live/k", "rtmp://h/record/live/k"},
        {"rtmp://h/app/k", ""},
        {"rtmp://h/livex/k", ""},
        {"/live/", "/record/"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RecordAddress(c.push), c.record) << c.push;
    }
}

TEST(MainRules, LabelsAndSentinels) {
    EXPECT_EQ(EntryLabel("Terminal:0x1a00007\r\nxterm"), "Terminal");
    EXPECT_EQ(EntryLabel("no colon"), "no colon");
    // Window capture's own form: the title, also when it holds a ':'.
    EXPECT_EQ(EntryLabel("6291685\r\nZelvio 直播助手\r\nZelvio"), "Zelvio 直播助手");
    EXPECT_EQ(EntryLabel("77\r\nvim: notes.txt\r\nxterm"), "vim: notes.txt");
    EXPECT_EQ(EntryLabel("77\r\n\r\nxterm"), "");
    EXPECT_EQ(EntryLabel("77\r\ntitle only"), "title only");
    EXPECT_EQ(EntryLabel(":leading"), "");
    const std::string desktop = SentinelEntry(u"整个桌面");
    const std::string cameraOff = SentinelEntry(u"禁用视频");
    EXPECT_EQ(EntryLabel(desktop), "整个桌面");
    EXPECT_EQ(EntryLabel(cameraOff), "禁用视频");
    EXPECT_NE(desktop, cameraOff);
    EXPECT_NE(desktop, "整个桌面:") << "a real entry could carry an empty suffix";
    EXPECT_EQ(SentinelEntry(u"整个桌面"), desktop) << "sentinels are recognised by their text";

    EXPECT_TRUE(IsDefaultMicrophone("default"));
    EXPECT_TRUE(IsDefaultMicrophone("DEFAULT"));
    EXPECT_TRUE(IsDefaultMicrophone("DeFaUlT"));
    EXPECT_FALSE(IsDefaultMicrophone("alsa_input.usb"));
    EXPECT_FALSE(IsDefaultMicrophone("default2"));
    EXPECT_FALSE(IsDefaultMicrophone("defaul"));
    EXPECT_FALSE(IsDefaultMicrophone(""));
}

TEST(MainRules, WindowMenuListsTheEnginesWindowsOnlyOnX11) {
    using zv::DesktopSession;
    const std::string desktop = SentinelEntry(u"整个桌面");
    const std::string chooser = SentinelEntry(u"选择窗口…");
    const std::vector<std::string> two = {"77\r\nvim\r\nxterm", "78\r\nmake\r\nxterm"};
    using Entries = std::vector<std::string>;
    EXPECT_EQ(WindowMenuEntries(DesktopSession::kX11, desktop, chooser, two),
              (Entries{desktop, two[0], two[1]}));
    EXPECT_EQ(WindowMenuEntries(DesktopSession::kX11, desktop, chooser, {}), Entries{desktop});
    EXPECT_EQ(WindowMenuEntries(DesktopSession::kWayland, desktop, chooser, two),
              (Entries{desktop, chooser}));
    EXPECT_EQ(WindowMenuEntries(DesktopSession::kWayland, desktop, chooser, {}),
              (Entries{desktop, chooser}));
}

TEST(MainRules, MessagePlaceholderTakesAnyTextOnce) {
    EXPECT_EQ(WithMessage(u"您已被踢出！\r\n{message}", u"违规"), u"您已被踢出！\r\n违规");
    EXPECT_EQ(WithMessage(u"{message}", u""), u"");
    EXPECT_EQ(WithMessage(u"no placeholder", u"x"), u"no placeholder");
    EXPECT_EQ(WithMessage(u"{message}/{message}", u"a"), u"a/a");
    // A message that itself holds the placeholder is not expanded again.
    EXPECT_EQ(WithMessage(u"<{message}>", u"{message}"), u"<{message}>");
    EXPECT_EQ(WithMessage(u"{messag", u"x"), u"{messag");
}

TEST(MainRules, LevelFrameRunsOneToTwentyOne) {
    struct Case {
        float level;
        int frame;
    };
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {0.0f, 1},  {0.5f, 11}, {1.0f, 21},         {0.049f, 1}, {0.05f, 2}, {0.999f, 20},
        {-0.3f, 1}, {1.7f, 21}, {std::nanf(""), 1}, {-inf, 1},   {inf, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LevelFrame(c.level), c.frame) << c.level;
    }
}
