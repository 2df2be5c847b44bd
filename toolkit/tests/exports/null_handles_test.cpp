// Every export takes a null handle and gives its neutral value.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "zudoz.h"

namespace {

bool Empty(const char16_t* s) {
    return s && *s == u'\0';
}

TEST(ExportsWithNullHandles, GiveTheirNeutralValues) {
    char buffer[8] = "x";
    int row = 7;
    int x = 11, y = 12, w = 13, h = 14;
    struct Case {
        const char* name;
        std::function<bool()> neutral;
    };
    const std::vector<Case> cases = {
        {"XUI_LOAD", [] { return XUI_LOAD(nullptr, nullptr, nullptr) == -1; }},
        {"XUI_WIN_REGISTER", [] { return XUI_WIN_REGISTER(nullptr, nullptr) == nullptr; }},
        {"XUI_WIN_REGISTER_NEWINSTANCE",
         [] { return XUI_WIN_REGISTER_NEWINSTANCE(nullptr, nullptr) == nullptr; }},
        {"XUI_WIN_CREATE", [] { return XUI_WIN_CREATE(nullptr, nullptr) == 0; }},
        {"XUI_WIN_MODAL", [] { return XUI_WIN_MODAL(nullptr, nullptr) == 0; }},
        {"XUI_WIN_ENDMODAL", [] { return XUI_WIN_ENDMODAL(nullptr, 1), true; }},
        {"XUI_WIN_DESTROY", [] { return XUI_WIN_DESTROY(nullptr), true; }},
        {"XUI_WIN_RAW", [] { return XUI_WIN_RAW(nullptr) == nullptr; }},
        {"XUI_WIN_SETTIMER", [] { return XUI_WIN_SETTIMER(nullptr, 1, 10) == 0; }},
        {"XUI_WIN_KILLTIMER", [] { return XUI_WIN_KILLTIMER(nullptr, 1), true; }},
        {"XUI_VCL_QUERY", [] { return XUI_VCL_QUERY(nullptr, "a") == nullptr; }},
        {"XUI_COMMON_GET",
         [&] {
             return XUI_COMMON_GET(nullptr, buffer, 8, buffer, 8, buffer, 8, &row) == 0 &&
                    std::string(buffer) == "x" && row == 7;
         }},
        {"XUI_VISIBLE_SET", [] { return XUI_VISIBLE_SET(nullptr, 1), true; }},
        {"XUI_VISIBLE_GET", [] { return XUI_VISIBLE_GET(nullptr) == 0; }},
        {"XUI_ENABLE_SET", [] { return XUI_ENABLE_SET(nullptr, 1), true; }},
        {"XUI_ENABLE_GET", [] { return XUI_ENABLE_GET(nullptr) == 0; }},
        {"XUI_CHECK_SET", [] { return XUI_CHECK_SET(nullptr, 1), true; }},
        {"XUI_CHECK_GET", [] { return XUI_CHECK_GET(nullptr) == 0; }},
        {"XUI_TEXT_SET", [] { return XUI_TEXT_SET(nullptr, u"t"), true; }},
        {"XUI_TEXT_GET", [] { return Empty(XUI_TEXT_GET(nullptr)); }},
        {"XUI_DATA_SET", [] { return XUI_DATA_SET(nullptr, 3), true; }},
        {"XUI_DATA_GET", [] { return XUI_DATA_GET(nullptr) == 0; }},
        {"XUI_IMAGE_SET", [] { return XUI_IMAGE_SET(nullptr, 1, 1), true; }},
        {"XUI_IMAGE_GET", [] { return XUI_IMAGE_GET(nullptr, 1) == -1; }},
        {"XUI_IMAGE_SET_WITHPATH", [] { return XUI_IMAGE_SET_WITHPATH(nullptr, "/x.png") == 0; }},
        {"XUI_IMAGE_SET_WITHID", [] { return XUI_IMAGE_SET_WITHID(nullptr, "i", 0), true; }},
        {"XUI_COLOR_SET", [] { return XUI_COLOR_SET(nullptr, 0, "#000000"), true; }},
        {"XUI_FONT_SET", [] { return XUI_FONT_SET(nullptr, "f"), true; }},
        {"XUI_SIZE_GET",
         [&] {
             XUI_SIZE_GET(nullptr, &x, &y, &w, &h, 1);
             return x == 11 && y == 12 && w == 13 && h == 14;
         }},
        {"XUI_SIZE_SET", [] { return XUI_SIZE_SET(nullptr, 0, 0, 1, 1), true; }},
        {"XUI_EXPAND_SET", [] { return XUI_EXPAND_SET(nullptr, 1), true; }},
        {"XUI_LAYOUT_SET", [] { return XUI_LAYOUT_SET(nullptr, 1), true; }},
        {"XUI_PERCENT_SET", [] { return XUI_PERCENT_SET(nullptr, 0.5f, 1), true; }},
        {"XUI_PERCENT_GET", [] { return XUI_PERCENT_GET(nullptr) == 0.0f; }},
        {"XUI_FLUSH_PREPARE", [] { return XUI_FLUSH_PREPARE(nullptr), true; }},
        {"XUI_FLUSH_END", [] { return XUI_FLUSH_END(nullptr), true; }},
        {"XUI_SET_TIPS", [] { return XUI_SET_TIPS(nullptr, u"tip"), true; }},
        {"XUI_SET_EXTRA", [] { return XUI_SET_EXTRA(nullptr, nullptr), true; }},
        {"XUI_SET_EDITFOCUS", [] { return XUI_SET_EDITFOCUS(nullptr, nullptr), true; }},
        {"XUI_SET_DRAGDROP", [] { return XUI_SET_DRAGDROP(nullptr, nullptr), true; }},
        {"XUI_ITEM_APPEND", [] { return XUI_ITEM_APPEND(nullptr, 1) == -1; }},
        {"XUI_ITEM_REMOVE", [] { return XUI_ITEM_REMOVE(nullptr, 1), true; }},
        {"XUI_ITEM_RESET", [] { return XUI_ITEM_RESET(nullptr), true; }},
        {"XUI_ITEM_SORT", [] { return XUI_ITEM_SORT(nullptr, nullptr), true; }},
        {"XUI_ITEM_COUNT", [] { return XUI_ITEM_COUNT(nullptr) == 0; }},
        {"XUI_ITEM_DATA", [] { return XUI_ITEM_DATA(nullptr, 1) == -1; }},
        {"XUI_ITEM_QUERY", [] { return XUI_ITEM_QUERY(nullptr, 1, "a") == nullptr; }},
        {"XUI_ITEM_MOVETO", [] { return XUI_ITEM_MOVETO(nullptr, 1), true; }},
        {"XUI_UPDATE_ITEM_SIZE", [] { return XUI_UPDATE_ITEM_SIZE(nullptr, 1, 5), true; }},
        // Before any load the registry is empty: ids resolve to nothing.
        {"XUI_STRING_GET", [] { return Empty(XUI_STRING_GET(nullptr)); }},
        {"XUI_COLOR_GET", [] { return XUI_COLOR_GET(nullptr) == 0; }},
        {"XUI_FONT_GET", [] { return XUI_FONT_GET(nullptr) == nullptr; }},
        {"XUI_DATAFILE_GET", [] { return XUI_DATAFILE_GET(nullptr) == nullptr; }},
        {"XUI_DATAFILE_GET_LENTH", [] { return XUI_DATAFILE_GET_LENTH(nullptr) == 0; }},
        {"XUI_GET_LANGUAGE", [] { return XUI_GET_LANGUAGE() != nullptr; }},
        {"XUI_MENU_QUERY", [] { return XUI_MENU_QUERY(nullptr) == nullptr; }},
        {"XUI_MENU_CHECKITEM", [] { return XUI_MENU_CHECKITEM(nullptr, "a", 1), true; }},
        {"XUI_MENU_ENABLEITEM", [] { return XUI_MENU_ENABLEITEM(nullptr, "a", 1), true; }},
        {"XUI_MENU_REMOVEITEM", [] { return XUI_MENU_REMOVEITEM(nullptr, "a") == 0; }},
        {"XUI_MENU_GETITEMTEXT", [] { return Empty(XUI_MENU_GETITEMTEXT(nullptr, "a")); }},
        {"XUI_MENU_FIX", [] { return XUI_MENU_FIX(nullptr), true; }},
        {"XUI_MENU_POPUP",
         [] {
             const char* id = XUI_MENU_POPUP(nullptr, nullptr, 0, 0, 1);
             return id && *id == '\0';
         }},
        {"XUI_RESOURCE_FREE", [] { return XUI_RESOURCE_FREE(nullptr), true; }},
    };
    EXPECT_EQ(cases.size(), 63u) << "the 61 exports and the two timer exports";
    for (const auto& c : cases) {
        EXPECT_TRUE(c.neutral()) << c.name;
    }
}

}  // namespace
