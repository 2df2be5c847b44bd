#include "platform/utf.h"

#include <gtest/gtest.h>

using zv::Utf16ToUtf8;
using zv::Utf8ToUtf16;

TEST(Utf, RoundTripsAsciiChineseAndAstral) {
    for (const std::string text : {"", "w.main", "正在直播中...", "a😀b", "登录失败！\r\n"}) {
        EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
    }
    EXPECT_EQ(Utf8ToUtf16("主播"), u"主播");
    EXPECT_EQ(Utf8ToUtf16("😀"), std::u16string(u"\xD83D\xDE00"));
}

TEST(Utf, KeepsEmbeddedZeros) {
    EXPECT_EQ(Utf8ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
    EXPECT_EQ(Utf16ToUtf8(std::u16string(u"a\0b", 3)), std::string("a\0b", 3));
}

TEST(Utf, IllFormedUtf8BecomesReplacementCharacters) {
    struct Case {
        std::string input;
        std::u16string expected;
    };
    const Case cases[] = {
        {"\xFF", u"\uFFFD"},                                // never valid
        {"\xC3", u"\uFFFD"},                                // truncated at end
        {"\xE4\xB8", u"\uFFFD\uFFFD"},                      // truncated three-byte form
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong '/'
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"a\x80z", u"a\uFFFDz"},                            // stray continuation byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.input), c.expected) << "input bytes: " << c.input.size();
    }
}

TEST(Utf, LoneSurrogatesBecomeReplacementCharacters) {
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDC00), u'x'}), "\xEF\xBF\xBDx");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xD83D)}), "\xEF\xBF\xBD");
}

TEST(Utf, LargeTextConvertsCompletely) {
    std::string big;
    for (int i = 0; i < 100000; ++i) {
        big += "直";
    }
    std::u16string wide = Utf8ToUtf16(big);
    EXPECT_EQ(wide.size(), 100000u);
    EXPECT_EQ(Utf16ToUtf8(wide), big);
}
