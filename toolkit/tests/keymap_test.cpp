#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>

#include "host/keymap.h"

namespace {

TEST(KeyMap, GdkKeysBecomeWindowsVirtualKeys) {
    struct Case {
        unsigned keyval;
        uint32_t vk;
    } cases[] = {
        {GDK_KEY_a, 0x41},       {GDK_KEY_Z, 0x5A},         {GDK_KEY_0, 0x30},
        {GDK_KEY_9, 0x39},       {GDK_KEY_F5, 0x74},        {GDK_KEY_F1, 0x70},
        {GDK_KEY_F12, 0x7B},     {GDK_KEY_Return, 0x0D},    {GDK_KEY_KP_Enter, 0x0D},
        {GDK_KEY_Escape, 0x1B},  {GDK_KEY_Tab, 0x09},       {GDK_KEY_BackSpace, 0x08},
        {GDK_KEY_Delete, 0x2E},  {GDK_KEY_Left, 0x25},      {GDK_KEY_Down, 0x28},
        {GDK_KEY_Shift_R, 0x10}, {GDK_KEY_Control_L, 0x11}, {GDK_KEY_Alt_L, 0x12},
        {GDK_KEY_KP_5, 0x65},    {GDK_KEY_space, 0x20},     {GDK_KEY_comma, 0xBC},
        {GDK_KEY_Home, 0x24},    {GDK_KEY_dead_acute, 0},   {0xFFFFFF, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HostWin::VirtualKeyFromKeyval(c.keyval), c.vk) << std::hex << c.keyval;
    }
}

}  // namespace
