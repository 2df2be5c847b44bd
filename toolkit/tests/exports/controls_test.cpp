// The exports on controls of a built window: common fields, states, texts,
// images, colours and geometry.
#include <cstring>

#include "exports/exports_fixture.h"
#include "res/image.h"
#include "window/window.h"

namespace exports_test {
namespace {

Vcl::Layer* L(XuiControl* c) {
    return reinterpret_cast<Vcl::Layer*>(c);
}

TEST_F(Exports, CommonFieldsAreCutToTheBuffersAndRowIdsAreMinusOneOutsideRows) {
    char name[4], kind[32], tag[32];
    int row = 0;
    ASSERT_EQ(
        XUI_COMMON_GET(C("list"), name, sizeof name, kind, sizeof kind, tag, sizeof tag, &row), 1);
    EXPECT_STREQ(name, "lis") << "cut and terminated";
    EXPECT_STREQ(kind, "list");
    EXPECT_EQ(row, -1);
    // Null buffers and sizes of 0 are skipped.
    EXPECT_EQ(XUI_COMMON_GET(C("l"), nullptr, 10, kind, 0, nullptr, 0, nullptr), 1);
}

TEST_F(Exports, TextGetOverwritesItsBufferSoAKeptPointerShowsTheLatestText) {
    XUI_TEXT_SET(C("l2"), u"second");
    const char16_t* first = XUI_TEXT_GET(C("l"));
    EXPECT_EQ(std::u16string(first), u"Hello");
    const char16_t* second = XUI_TEXT_GET(C("l2"));
    EXPECT_EQ(first, second);
    EXPECT_EQ(std::u16string(first), u"second");
    // A text longer than the buffer moves to a larger one; the old pointer
    // still reads valid memory.
    std::u16string longText(4000, u'x');
    XUI_TEXT_SET(C("l"), longText.c_str());
    EXPECT_EQ(std::u16string(XUI_TEXT_GET(C("l"))), longText);
    EXPECT_EQ(std::u16string(first).size(), 6u);
}

TEST_F(Exports, TextsGoToLabelsButtonsAndEditsOnly) {
    XUI_TEXT_SET(C("b"), u"Go");
    XUI_TEXT_SET(C("e"), u"typed");
    XUI_TEXT_SET(C("p"), u"ignored");
    XUI_TEXT_SET(C("l"), nullptr);
    EXPECT_EQ(std::u16string(XUI_TEXT_GET(C("b"))), u"Go");
    EXPECT_EQ(std::u16string(XUI_TEXT_GET(C("e"))), u"typed");
    EXPECT_EQ(std::u16string(XUI_TEXT_GET(C("p"))), u"");
    EXPECT_EQ(std::u16string(XUI_TEXT_GET(C("l"))), u"") << "null clears";
}

TEST_F(Exports, StatesAndTheHostsWordRoundTrip) {
    XuiControl* k = C("k");
    XUI_CHECK_SET(k, 1);
    EXPECT_EQ(XUI_CHECK_GET(k), 1);
    XUI_CHECK_SET(k, 0);
    EXPECT_EQ(XUI_CHECK_GET(k), 0);
    XUI_CHECK_SET(C("l"), 1);
    EXPECT_EQ(XUI_CHECK_GET(C("l")), 0) << "only checks have a checked state";

    XUI_ENABLE_SET(k, 0);
    EXPECT_EQ(XUI_ENABLE_GET(k), 0);
    XUI_ENABLE_SET(k, 1);
    EXPECT_EQ(XUI_ENABLE_GET(k), 1);
    XUI_VISIBLE_SET(C("p"), 0);
    EXPECT_EQ(XUI_VISIBLE_GET(C("p")), 0);
    XUI_DATA_SET(C("p"), -42);
    EXPECT_EQ(XUI_DATA_GET(C("p")), -42);
}

TEST_F(Exports, TipsAreCutTo255CharactersAndNullClearsThem) {
    std::u16string tip(300, u'a');
    tip[254] = u'\xD83D';  // a pair cut by the limit goes whole
    tip[255] = u'\xDE00';
    XUI_SET_TIPS(C("b"), tip.c_str());
    EXPECT_EQ(L(C("b"))->tipText, std::u16string(254, u'a'));
    XUI_SET_TIPS(C("b"), nullptr);
    EXPECT_TRUE(L(C("b"))->tipText.empty());
}

TEST_F(Exports, ImageSlotsSelectAndReadFrames) {
    XuiControl* p = C("p");
    EXPECT_EQ(XUI_IMAGE_GET(p, 1), 0);
    XUI_IMAGE_SET(p, 2, 1);
    EXPECT_EQ(XUI_IMAGE_GET(p, 1), 2);
    XUI_IMAGE_SET(p, 9, 1);
    EXPECT_EQ(XUI_IMAGE_GET(p, 1), 2) << "a frame past the strip is refused";
    EXPECT_EQ(XUI_IMAGE_GET(p, 2), -1) << "empty slot";
    EXPECT_EQ(XUI_IMAGE_GET(p, 5), -1) << "only slots 1 to 4 are read";

    XUI_IMAGE_SET_WITHID(p, "i.strip", 3);
    EXPECT_EQ(XUI_IMAGE_GET(p, 1), 3);
    XUI_IMAGE_SET_WITHID(p, "i.undefined", 1);
    EXPECT_EQ(XUI_IMAGE_GET(p, 1), 3) << "an undefined id does nothing";
}

TEST_F(Exports, ImagesFromFilesAreStretchedAndUndecodableFilesStillMakeAnImage) {
    XuiControl* p = C("p");
    const std::string png = dir.file("pic.png");
    ASSERT_TRUE(g_file_set_contents(png.c_str(), Png(6, 3).data(), Png(6, 3).size(), nullptr));
    ASSERT_EQ(XUI_IMAGE_SET_WITHPATH(p, png.c_str()), 1);
    const Res::xImage* image = L(p)->imageSlot(1);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->mode, Res::ImageMode::Stretch);
    EXPECT_EQ(image->frameWidth, 6);
    EXPECT_EQ(image->index, 0);

    EXPECT_EQ(XUI_IMAGE_SET_WITHPATH(p, dir.file("missing.png").c_str()), 1);
    ASSERT_NE(L(p)->imageSlot(1), nullptr);
    EXPECT_FALSE(L(p)->imageSlot(1)->image) << "draws nothing";
    EXPECT_EQ(XUI_IMAGE_SET_WITHPATH(C("ly"), png.c_str()), 0) << "a layer has no image";
}

TEST_F(Exports, ColoursReadInNativeOrderAndSetFromPackageText) {
    EXPECT_EQ(static_cast<uint32_t>(XUI_COLOR_GET("c.rgb")), 0x00563412u)
        << "red 12, green 34, blue 56 give the bytes 00 56 34 12";
    EXPECT_EQ(XUI_COLOR_GET("c.none"), 0);
    EXPECT_EQ(std::u16string(XUI_STRING_GET("s.hello")), u"Hello");
    EXPECT_NE(XUI_FONT_GET("f.body"), nullptr);
}

TEST_F(Exports, SizeSetWithTheCurrentSizeLeavesTheLayoutAlone) {
    Vcl::Layer* label = L(C("l"));
    Vcl::Layer* sibling = L(C("l2"));
    // A mark the layout would overwrite if it ran.
    sibling->rect.x = 777;
    XUI_SIZE_SET(C("l"), 1, 2, label->rect.width, label->rect.height);
    EXPECT_EQ(sibling->rect.x, 777);
    XUI_SIZE_SET(C("l"), 1, 2, 90, 25);
    // The vertical root stretches widths; heights stay as set.
    EXPECT_EQ(label->rect.height, 25);
    EXPECT_NE(sibling->rect.x, 777) << "the parent was laid out again";

    int x = -1, y = -1, w = -1, h = -1;
    XUI_SIZE_GET(C("l"), &x, &y, &w, &h, 0);
    EXPECT_EQ(w, label->rect.width);
    EXPECT_EQ(h, 25);
    XUI_SIZE_GET(C("l"), nullptr, nullptr, nullptr, nullptr, 1);  // null outputs are skipped
}

TEST_F(Exports, ExpandAndBackRestoresTheDeclaredSize) {
    Vcl::Layer* label = L(C("l"));
    XUI_EXPAND_SET(C("l"), 1);
    EXPECT_EQ(label->layoutItem, Vcl::LayoutItem::Expand);
    XUI_EXPAND_SET(C("l"), 0);
    EXPECT_EQ(label->layoutItem, Vcl::LayoutItem::Fixed);
    EXPECT_EQ(label->rect.height, 20);

    XUI_LAYOUT_SET(C("root"), 0x102);  // the low byte counts
    EXPECT_EQ(L(C("root"))->layout, Vcl::LayoutMode::Grid);
    XUI_LAYOUT_SET(C("root"), 7);
    EXPECT_EQ(L(C("root"))->layout, Vcl::LayoutMode::Grid) << "no such mode";
}

}  // namespace
}  // namespace exports_test
