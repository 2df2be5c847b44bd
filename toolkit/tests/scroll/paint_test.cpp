// What the scroll family looks like, read back from an off-screen surface:
// the bar's images by state and position, a scroll panel's content under
// its bar, and list rows kept inside the list.
#include "controls/list.h"
#include "controls/scroll.h"
#include "draw/painter.h"
#include "scroll_fixture.h"
#include "window/paint_tree.h"

namespace scrolltest {
namespace {

constexpr uint32_t kBlue = 0xFF0000FFu, kYellow = 0xFFFFFF00u, kWhite = 0xFFFFFFFFu,
                   kMagenta = 0xFFFF00FFu;
constexpr uint32_t kOdd = 0xFF332211u, kEven = 0xFF665544u, kMid = 0xFF998877u;

class Looks : public ScrollFixture {
protected:
    // Paints the last built tree over a surface of `size` and keeps it.
    void Paint(int w, int h) {
        surface = Vcl::MakeImageSurface(w, h);
        Vcl::Painter painter(surface.get());
        Vcl::PaintTree(painter, *trees.back(), Rect{0, 0, w, h});
        cairo_surface_flush(surface.get());
    }
    uint32_t At(int x, int y) const {
        const auto* row = cairo_image_surface_get_data(surface.get()) +
                          y * cairo_image_surface_get_stride(surface.get());
        return reinterpret_cast<const uint32_t*>(row)[x];
    }
    Vcl::SurfacePtr surface;
};

TEST_F(Looks, BarShowsTrackAndTrackerByStateAndPosition) {
    Build(
        "<panel color=\"even\"><slider id=\"s\" width=\"20\" image-scroll=\"track\" "
        "image-scroll-hover=\"trackhover\" image-tracker=\"tracker50\" "
        "image-tracker-hover=\"trackerhover\"/></panel>",
        Rect{0, 0, 40, 200});
    Layer& s = *names.at("s");
    Paint(40, 200);
    EXPECT_EQ(At(15, 100), kBlue) << "the track";
    EXPECT_EQ(At(15, 10), kWhite) << "the tracker at the start";
    EXPECT_EQ(At(5, 100), kEven) << "no bar left of the track";

    s.setPercent(1.0, false);
    Paint(40, 200);
    EXPECT_EQ(At(15, 10), kBlue);
    EXPECT_EQ(At(15, 190), kWhite);

    Send(s, InputKind::Enter, 5, 100);
    Send(s, InputKind::Move, 5, 100);
    Paint(40, 200);
    EXPECT_EQ(At(15, 100), kYellow) << "hovered control: the hover track";
    EXPECT_EQ(At(15, 190), kWhite) << "the tracker lights only under the pointer";
    Send(s, InputKind::Move, 15, 190);
    Paint(40, 200);
    EXPECT_EQ(At(15, 190), kMagenta);

    s.setEnable(0);
    Paint(40, 200);
    EXPECT_EQ(At(15, 100), kBlue) << "no disable image: the normal one";
    EXPECT_EQ(At(15, 190), kWhite);
}

TEST_F(Looks, ScrollPanelContentShowsUnderItsBarAndInsideIt) {
    Build(
        "<panel color=\"mid\" mt=\"20\" mb=\"20\"><spanel id=\"p\" layoutItem=\"expand\" "
        "layout=\"vertical\" "
        "color=\"odd\" image-scroll=\"track\"><panel height=\"100\" color=\"odd\"/>"
        "<panel height=\"100\" color=\"even\"/><panel height=\"100\" color=\"odd\"/>"
        "</spanel></panel>",
        Rect{0, 0, 60, 140});
    names.at("p")->setPercent(0.5, true);  // 300 px of content in 100: up by 100
    Paint(60, 140);
    EXPECT_EQ(At(10, 10), kMid) << "content above the panel is cut";
    EXPECT_EQ(At(10, 30), kEven) << "the second child at the top, not hidden by the panel";
    EXPECT_EQ(At(10, 119), kEven);
    EXPECT_EQ(At(10, 125), kMid) << "content below the panel is cut";
    EXPECT_EQ(At(56, 60), kBlue) << "the bar over the content";
}

TEST_F(Looks, ListRowsStayInsideTheListAndEvenRowsShowItsBackground) {
    Build(
        "<panel color=\"mid\" mt=\"20\" mb=\"20\"><list id=\"l\" layoutItem=\"expand\" "
        "color-odd=\"odd\">"
        "<item height=\"30\"><layer/></item></list></panel>",
        Rect{0, 0, 60, 140});
    auto* list = dynamic_cast<Vcl::List*>(names.at("l"));
    for (int i = 0; i < 10; ++i)
        list->appendItem(i);
    list->setPercent(0.125, true);  // offset 25: rows at -5, 25, 55, 85, 115 (in the list)
    Paint(60, 140);
    EXPECT_EQ(At(10, 10), kMid) << "the first row's cut part is not painted over the parent";
    EXPECT_EQ(At(10, 22), kOdd);
    EXPECT_EQ(At(10, 50), kMid) << "an even row without \"color-even\"";
    EXPECT_EQ(At(10, 70), kOdd);
    EXPECT_EQ(At(10, 117), kOdd) << "the fifth row, odd, reaches the list's end";
    EXPECT_EQ(At(10, 125), kMid) << "and is cut there";
}

}  // namespace
}  // namespace scrolltest
