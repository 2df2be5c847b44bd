// Scroll bars and sliders: geometry, the input state table, the host's
// position calls, and the host destroying a bar inside its value event.
#include "controls/scroll.h"

#include <cmath>

#include "controls/slider.h"
#include "scroll_fixture.h"

namespace scrolltest {
namespace {

using Vcl::Scroll;

class Scrolls : public ScrollFixture {
protected:
    // A vertical bar over (0, 0, 20, 200): the track at x 12, 8 px wide.
    Scroll* Bar(const std::string& attrs, const char* element = "scroll") {
        return Build<Scroll>(std::string("<") + element +
                                 " image-scroll=\"track\" image-tracker=\"tracker50\" " + attrs +
                                 "/>",
                             Rect{0, 0, 20, 200});
    }
};

TEST_F(Scrolls, GeometryFollowsImagesMarginRatioAndMinimum) {
    // Over (0, 10, 50, 200); "V" is the vertical track image with the 50 px
    // tracker, "H" the horizontal pair.
    const std::string V = "image-scroll=\"track\" image-tracker=\"tracker50\" ";
    const std::string H =
        "scrolltype=\"horizontal\" image-scroll=\"htrack\" "
        "image-tracker=\"htracker\" ";
    const Rect vTrack{42, 10, 8, 200};
    struct Case {
        std::string attrs;
        double ratio;
        Rect track, tracker;
    } cases[] = {
        {V + "fixedtracker=\"yes\"", 1.0, vTrack, {42, 10, 8, 50}},
        {V + "margin=\"3\" fixedtracker=\"TRUE\"", 1.0, {39, 10, 8, 200}, {39, 10, 8, 50}},
        {"image-scroll=\"track\" image-tracker=\"tracker40\" fixedtracker=\"true\"",
         1.0,
         vTrack,
         {42, 10, 8, 40}},
        {V, 0.25, vTrack, {42, 10, 8, 50}},
        {V + "mintracker=\"30\"", 0.01, vTrack, {42, 10, 8, 30}},
        {V + "mintracker=\"900\"", 0.5, vTrack, {42, 10, 8, 200}},
        {H + "fixedtracker=\"true\" margin=\"1\"", 1.0, {0, 203, 50, 6}, {0, 203, 30, 6}},
        {"", 1.0, {50, 10, 0, 200}, {50, 10, 0, 200}},  // no track image: no bar
    };
    for (const auto& c : cases) {
        auto* s = Build<Scroll>("<scroll " + c.attrs + "/>", Rect{0, 10, 50, 200});
        ASSERT_NE(s, nullptr) << c.attrs;
        s->visibleRatio = c.ratio;
        s->placed();
        EXPECT_EQ(s->track, c.track) << c.attrs;
        EXPECT_EQ(s->tracker, c.tracker) << c.attrs;
    }
}

TEST_F(Scrolls, DraggingMovesByThePointerAndReportsEachMove) {
    Scroll* s = Bar("fixedtracker=\"true\"");
    ASSERT_NE(s, nullptr);
    Send(*s, InputKind::Press, 14, 10);
    EXPECT_TRUE(s->dragging);
    Send(*s, InputKind::Move, 14, 85);
    EXPECT_DOUBLE_EQ(s->position, 0.5) << "75 px of 150 px travel";
    EXPECT_EQ(s->tracker.y, 75);
    ASSERT_EQ(owner.codes(), std::vector<int>{XUI_EVENT_VALUE});
    EXPECT_FLOAT_EQ(owner.events[0].value, 0.5f);
    Send(*s, InputKind::Move, 14, 85);
    EXPECT_EQ(owner.events.size(), 1u) << "no move, no event";

    Send(*s, InputKind::Move, 30, 900);  // past the end, off the bar
    EXPECT_DOUBLE_EQ(s->position, 1.0);
    Send(*s, InputKind::Move, 14, 60);
    EXPECT_EQ(s->tracker.y, 50) << "the tracker follows the pointer back at once";

    const size_t before = owner.events.size();
    Send(*s, InputKind::Release, 14, 60);
    EXPECT_FALSE(s->dragging);
    Send(*s, InputKind::Move, 14, 10);
    EXPECT_EQ(s->tracker.y, 50) << "released: moves no longer drag";
    EXPECT_EQ(owner.events.size(), before + 1) << "only the click of the release";
    EXPECT_EQ(owner.events.back().code, XUI_EVENT_CLICK);
}

TEST_F(Scrolls, WheelMovesByTrackerLengthsAwayFromTheUserIsUp) {
    struct Case {
        const char* tracker;
        int startOffset;
        int steps;
        int offset;
        bool event;
    } cases[] = {
        {"tracker50", 0, -2, 100, true},  // two notches towards the user: two lengths down
        {"tracker40", 0, -1, 40, true},   // one notch down over a 40 px tracker
        {"tracker40", 80, 1, 40, true},    {"tracker50", 0, 1, 0, false},  // already at the top
        {"tracker50", 100, -5, 150, true},                                 // clamped at the end
    };
    for (const auto& c : cases) {
        owner.events.clear();
        Scroll* s = Build<Scroll>(std::string("<scroll image-scroll=\"track\" image-tracker=\"") +
                                      c.tracker + "\" fixedtracker=\"true\"/>",
                                  Rect{0, 0, 20, 200});
        ASSERT_NE(s, nullptr);
        s->setPercent(double(c.startOffset) / (200 - s->trackerLength()), true);
        ASSERT_EQ(s->trackerOffset(), c.startOffset);
        Send(*s, InputKind::Wheel, 14, 100, c.steps);
        EXPECT_EQ(s->trackerOffset(), c.offset) << c.tracker << " steps " << c.steps;
        EXPECT_EQ(owner.events.size(), c.event ? 1u : 0u) << c.tracker << " steps " << c.steps;
    }
}

TEST_F(Scrolls, TrackPressJumpsWithAFixedTrackerAndPagesWithout) {
    Scroll* fixed = Bar("fixedtracker=\"true\"");
    Send(*fixed, InputKind::Press, 14, 150);
    EXPECT_EQ(fixed->trackerOffset(), 125) << "the centre comes to the point";
    EXPECT_FALSE(fixed->dragging);
    Send(*fixed, InputKind::Release, 14, 150);
    Send(*fixed, InputKind::Press, 14, 199);
    EXPECT_EQ(fixed->trackerOffset(), 150) << "kept on the track";

    Scroll* paged = Bar("");
    paged->visibleRatio = 0.25;
    paged->placed();
    ASSERT_EQ(paged->trackerLength(), 50);
    Send(*paged, InputKind::Press, 14, 180);
    EXPECT_EQ(paged->trackerOffset(), 50) << "one page towards the point";
    Send(*paged, InputKind::Release, 14, 180);
    Send(*paged, InputKind::Press, 14, 180);
    EXPECT_EQ(paged->trackerOffset(), 100);
    Send(*paged, InputKind::Release, 14, 180);
    Send(*paged, InputKind::Press, 14, 5);
    EXPECT_EQ(paged->trackerOffset(), 50);
    Send(*paged, InputKind::Release, 14, 5);
    Send(*paged, InputKind::Press, 2, 5);  // inside the control, off the track
    EXPECT_EQ(paged->trackerOffset(), 50);
}

TEST_F(Scrolls, HostPositionIsForcedOrIgnoredAndSendsNoEvent) {
    Scroll* s = Bar("fixedtracker=\"true\"");
    s->setPercent(0.333, false);
    EXPECT_EQ(s->trackerOffset(), 49) << "0.333 x 1000 x 150 / 1000, truncated";
    EXPECT_DOUBLE_EQ(s->percent(), 0.333);

    int paints = owner.invalidations;
    s->tracker.y = 0;  // disturbed, to see whether the call places it again
    s->setPercent(0.333, false);
    EXPECT_EQ(owner.invalidations, paints) << "the same fraction without force does nothing";
    EXPECT_EQ(s->tracker.y, 0);
    s->setPercent(0.333, true);
    EXPECT_GT(owner.invalidations, paints) << "forced: applied again and repainted";
    EXPECT_EQ(s->trackerOffset(), 49);

    Send(*s, InputKind::Press, 14, 60);
    ASSERT_TRUE(s->dragging);
    s->setPercent(0.9, false);
    EXPECT_DOUBLE_EQ(s->percent(), 0.333) << "the user's drag wins";
    s->setPercent(0.9, true);
    EXPECT_EQ(s->trackerOffset(), 135);
    s->setPercent(std::nan(""), true);
    EXPECT_EQ(s->percent(), 0.0) << "not a number is the start";
    s->setPercent(7.0, true);
    EXPECT_EQ(s->percent(), 1.0);
    EXPECT_TRUE(owner.events.empty()) << "host moves are not reported back";
}

TEST_F(Scrolls, SliderReportsEveryReleaseBeforeItsClick) {
    auto* slider = Build<Vcl::Slider>(
        "<slider image-scroll=\"track\" image-tracker=\"tracker50\"/>", Rect{0, 0, 20, 200});
    ASSERT_NE(slider, nullptr);
    EXPECT_TRUE(slider->fixedTracker);
    Send(*slider, InputKind::Press, 14, 10);
    Send(*slider, InputKind::Release, 14, 10);
    EXPECT_EQ(owner.codes(), (std::vector<int>{XUI_EVENT_VALUE, XUI_EVENT_CLICK}));
    owner.events.clear();
    Send(*slider, InputKind::Press, 14, 150);
    Send(*slider, InputKind::Release, 300, 300);
    EXPECT_EQ(owner.codes(), (std::vector<int>{XUI_EVENT_VALUE, XUI_EVENT_VALUE}))
        << "the jump and the release outside; no click";
    EXPECT_FLOAT_EQ(owner.events[1].value, 125.0f / 150.0f);

    owner.events.clear();
    Scroll* plain = Bar("");
    Send(*plain, InputKind::Press, 14, 10);
    Send(*plain, InputKind::Release, 300, 300);
    EXPECT_TRUE(owner.events.empty()) << "a scroll bar does not report releases";
}

TEST_F(Scrolls, DisabledBarIgnoresInputAndStopsDragging) {
    Scroll* s = Bar("fixedtracker=\"true\"");
    Send(*s, InputKind::Press, 14, 10);
    s->setEnable(0);
    EXPECT_FALSE(s->dragging);
    Send(*s, InputKind::Move, 14, 100);
    Send(*s, InputKind::Wheel, 14, 100, -1);
    Send(*s, InputKind::Press, 14, 150);
    EXPECT_EQ(s->trackerOffset(), 0);
    EXPECT_TRUE(owner.events.empty());
}

TEST_F(Scrolls, ImageSlotsFiveToEightAreTheBarsAndOneToFourTheControls) {
    Scroll* s = Build<Scroll>(
        "<scroll image=\"track\" image-scroll=\"track\" image-scroll-hover=\"htrack\" "
        "image-tracker=\"tracker50\" image-tracker-hover=\"tracker40\"/>",
        Rect{0, 0, 20, 200});
    EXPECT_EQ(s->imageSlot(1), s->looks.image.normal.get());
    EXPECT_EQ(s->imageSlot(5), s->trackImages.normal.get());
    EXPECT_EQ(s->imageSlot(6)->frameHeight, 6);
    EXPECT_EQ(s->imageSlot(7)->frameHeight, 50);
    EXPECT_EQ(s->imageSlot(8)->frameHeight, 40);
    EXPECT_EQ(s->imageSlot(9), nullptr);
}

TEST_F(Scrolls, HostDestroyingTheBarInItsValueEventEndsTheEvent) {
    auto* root = Build<Layer>(
        "<layer><slider id=\"s\" image-scroll=\"track\" image-tracker=\"tracker50\" "
        "height=\"200\" width=\"20\"/></layer>",
        Rect{0, 0, 20, 200});
    ASSERT_NE(root, nullptr);
    Layer* slider = names.at("s");
    owner.onDeliver = [&](Layer&, int code) {
        if (code == XUI_EVENT_VALUE) {
            Vcl::RemoveChild(*root->node, 0);
        }
    };
    Send(*slider, InputKind::Press, 14, 150);  // ASan reports any use after the free
    EXPECT_EQ(owner.codes(), std::vector<int>{XUI_EVENT_VALUE});
    EXPECT_TRUE(owner.deliveredCodes.empty()) << "nothing more for that event";
    EXPECT_TRUE(root->node->children.empty());
    EXPECT_EQ(Vcl::DeferredCount(), 0u);
}

}  // namespace
}  // namespace scrolltest
