// The custom frame's hit test as a table, its buttons' press and release,
// and the geometry a window's named controls give it.
#include "window/frame_hit.h"

#include "frame_support.h"

namespace {

using Vcl::FrameGeometry;
using Vcl::FrameHit;
using Vcl::Rect;

// A 300 x 200 window whose client starts `top` pixels down and leaves 10
// pixels left, right and below; boxes at the top right, below the strip.
FrameGeometry Frame(int top) {
    FrameGeometry f;
    f.window = Rect{0, 0, 300, 200};
    f.client = Rect::FromEdges(10, top, 290, 190);
    f.close = Rect{270, 6, 30, 20};
    f.maximize = Rect{240, 6, 30, 20};
    f.minimize = Rect{210, 6, 30, 20};
    return f;
}

TEST(FrameHitTest, EveryRegionOfTheFrame) {
    struct Case {
        const char* what;
        int top, x, y;
        FrameHit hit;
    } cases[] = {
        {"inside the client", 30, 150, 100, FrameHit::Client},
        {"client's top-left pixel", 30, 10, 30, FrameHit::Client},
        {"close box", 30, 280, 10, FrameHit::Close},
        {"maximise box", 30, 250, 10, FrameHit::Maximize},
        {"minimise box", 30, 215, 10, FrameHit::Minimize},
        {"a box wins over the border under it", 30, 295, 10, FrameHit::Close},
        {"top-left corner", 30, 0, 0, FrameHit::TopLeft},
        {"top-left corner's last pixel", 30, 5, 5, FrameHit::TopLeft},
        {"top-right corner", 30, 299, 5, FrameHit::TopRight},
        {"top-right corner's first column", 30, 294, 0, FrameHit::TopRight},
        {"top strip next to the corner", 30, 293, 0, FrameHit::Top},
        {"top strip", 30, 100, 3, FrameHit::Top},
        {"below the strip, above the client", 30, 5, 6, FrameHit::Caption},
        {"caption between strip and client", 30, 100, 15, FrameHit::Caption},
        {"left border", 30, 3, 100, FrameHit::Left},
        {"right border", 30, 295, 100, FrameHit::Right},
        {"bottom border", 30, 150, 195, FrameHit::Bottom},
        {"bottom-left corner", 30, 3, 195, FrameHit::BottomLeft},
        {"bottom-right corner", 30, 295, 195, FrameHit::BottomRight},
        {"left of the client's top edge", 30, 3, 30, FrameHit::Left},
        {"left, above the client's top", 30, 3, 20, FrameHit::Caption},
        {"strip of 4 when the client starts 4 down", 4, 100, 3, FrameHit::Top},
        {"below a 4-pixel strip", 4, 100, 4, FrameHit::Client},
        {"corner of 4", 4, 3, 3, FrameHit::TopLeft},
        {"beside a 4-pixel corner", 4, 4, 3, FrameHit::Top},
        {"strip of 6 when the client starts 20 down", 20, 100, 5, FrameHit::Top},
        {"7th row of a 20-pixel top is caption", 20, 100, 6, FrameHit::Caption},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Vcl::HitFrame(Frame(c.top), c.x, c.y), c.hit) << c.what;
    }
}

TEST(FrameHitTest, NoStripWithoutRoomAboveOrBelowTheClient) {
    FrameGeometry flush = Frame(0);  // client from the very top
    EXPECT_EQ(Vcl::HitFrame(flush, 3, 100), FrameHit::Left);
    EXPECT_EQ(Vcl::HitFrame(flush, 150, 195), FrameHit::Bottom);
    FrameGeometry full = Frame(30);
    full.client = Rect::FromEdges(10, 30, 290, 200);  // down to the bottom
    EXPECT_EQ(Vcl::HitFrame(full, 100, 2), FrameHit::Caption) << "no top strip";
    EXPECT_EQ(Vcl::HitFrame(full, 0, 0), FrameHit::Caption) << "no corner";
    EXPECT_EQ(Vcl::HitFrame(full, 3, 100), FrameHit::Left) << "side borders stay";
}

TEST(FrameHitTest, MenusAndLayersCountAsClient) {
    FrameGeometry f = Frame(30);
    f.clientLike = {Rect{20, 8, 60, 16}, Rect{0, 100, 10, 20}};
    EXPECT_EQ(Vcl::HitFrame(f, 30, 10), FrameHit::Client) << "a menu in the caption";
    EXPECT_EQ(Vcl::HitFrame(f, 5, 110), FrameHit::Client) << "a layer over the left border";
    EXPECT_EQ(Vcl::HitFrame(f, 5, 130), FrameHit::Left);
}

TEST(FrameButtonsTest, TheCommandNeedsPressAndReleaseOnTheSameBox) {
    struct Case {
        FrameHit press, release, command;
    } cases[] = {
        {FrameHit::Close, FrameHit::Close, FrameHit::Close},
        {FrameHit::Maximize, FrameHit::Maximize, FrameHit::Maximize},
        {FrameHit::Minimize, FrameHit::Minimize, FrameHit::Minimize},
        {FrameHit::Close, FrameHit::Maximize, FrameHit::Client},
        {FrameHit::Close, FrameHit::Caption, FrameHit::Client},
        {FrameHit::Caption, FrameHit::Close, FrameHit::Client},
        {FrameHit::Client, FrameHit::Close, FrameHit::Client},
    };
    for (const auto& c : cases) {
        Vcl::FrameButtons buttons;
        buttons.press(c.press);
        EXPECT_EQ(buttons.release(c.release), c.command);
        EXPECT_EQ(buttons.release(c.release), FrameHit::Client) << "one release per press";
    }
}

class FrameParts : public frame_test::WindowTest {};

TEST_F(FrameParts, NamedControlsGiveTheGeometryAndHiddenOnesAreIgnored) {
    Vcl::Window* w = Load(
        "<window id=\"w\" width=\"300\" height=\"200\"><layer id=\"root\" layout=\"vertical\">"
        "  <layer id=\"top\" height=\"20\">"
        "    <layer id=\"NC.LAYER.1\" width=\"60\"/><layer id=\"NC.LAYER.2\" width=\"60\" "
        "visible=\"false\"/>"
        "    <layer layoutItem=\"expand\"/>"
        "    <button id=\"NC.MIN\" width=\"30\"/><button id=\"NC.CLOSE\" width=\"30\"/>"
        "  </layer>"
        "  <layer id=\"NC.CLIENT\" layoutItem=\"expand\"/>"
        "</layer></window>",
        300, 200);
    ASSERT_NE(w, nullptr);
    Vcl::FrameParts parts;
    EXPECT_FALSE(parts.custom());
    parts.lookUp(*w);
    EXPECT_TRUE(parts.custom());
    EXPECT_TRUE(parts.any());
    FrameGeometry g = parts.geometry(300, 200);
    EXPECT_EQ(g.client, (Rect{0, 20, 300, 180}));
    ASSERT_EQ(g.clientLike.size(), 1u) << "the hidden layer does not count";
    EXPECT_EQ(g.clientLike[0], (Rect{0, 0, 60, 20}));
    EXPECT_FALSE(g.maximize.has_value());
    ASSERT_TRUE(g.close && g.minimize);
    EXPECT_EQ(Vcl::HitFrame(g, 290, 10), FrameHit::Close);
    EXPECT_EQ(Vcl::HitFrame(g, 100, 10), FrameHit::Caption);
    EXPECT_EQ(Vcl::HitFrame(g, 70, 10), FrameHit::Caption) << "where the hidden layer is";
    w->query("NC.CLOSE")->visible = false;
    EXPECT_EQ(Vcl::HitFrame(parts.geometry(300, 200), 290, 10), FrameHit::Caption);
}

TEST_F(FrameParts, WithoutAClientTheSystemKeepsTheFrame) {
    Vcl::Window* w =
        Load("<window id=\"w\"><layer><button id=\"NC.CLOSE\" width=\"20\"/></layer></window>", 100,
             100);
    ASSERT_NE(w, nullptr);
    Vcl::FrameParts parts;
    parts.lookUp(*w);
    EXPECT_FALSE(parts.custom());
    EXPECT_TRUE(parts.any());
}

}  // namespace
