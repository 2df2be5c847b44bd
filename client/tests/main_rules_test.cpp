// The main window's address, label and level rules.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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
    EXPECT_EQ(EntryLabel(kWholeDesktopEntry), "整个桌面");
    EXPECT_EQ(EntryLabel(kCameraOffEntry), "禁用视频");
    EXPECT_NE(kWholeDesktopEntry, kCameraOffEntry);
    EXPECT_NE(kWholeDesktopEntry, "整个桌面:") << "a real entry could carry an empty suffix";

    EXPECT_EQ(MicrophoneLabel("Built-in", "default"), "系统默认音频输入设备");
    EXPECT_EQ(MicrophoneLabel("Built-in", "DEFAULT"), "系统默认音频输入设备");
    EXPECT_EQ(MicrophoneLabel("USB mic", "alsa_input.usb"), "USB mic");
    EXPECT_EQ(MicrophoneLabel("Other", "default2"), "Other");
    EXPECT_EQ(MicrophoneLabel("", ""), "");
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
