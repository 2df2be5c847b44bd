// The pointer router as a state table, without a display: who hears each
// event, and that handles held across host calls never reach a control the
// host destroyed.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "controls/tree_node.h"
#include "input/router.h"

namespace {

using Vcl::InputEvent;
using Vcl::InputKind;

// Records what it hears as "<name>:<kind>"; may run a reaction once.
class Probe : public Vcl::Layer {
public:
    Probe(std::string id, Vcl::Rect r, std::vector<std::string>& log) : log_(log) {
        name = std::move(id);
        rect = r;
        mouseAware = true;
    }
    void onInput(const InputEvent& e) override {
        log_.push_back(name + ":" + std::to_string(static_cast<int>(e.kind)));
        if (react) {
            auto once = std::move(react);
            react = nullptr;
            once();
        }
    }
    std::function<void()> react;

private:
    std::vector<std::string>& log_;
};

std::string Heard(const char* name, InputKind kind) {
    return std::string(name) + ":" + std::to_string(static_cast<int>(kind));
}

// Two side-by-side controls: a at x 0..49, b at x 50..99, both y 0..49.
class Router : public ::testing::Test {
protected:
    std::vector<std::string> log;
    std::unique_ptr<Probe> a = std::make_unique<Probe>("a", Vcl::Rect{0, 0, 50, 50}, log);
    std::unique_ptr<Probe> b = std::make_unique<Probe>("b", Vcl::Rect{50, 0, 50, 50}, log);
    Vcl::PointerRouter router;
    Vcl::Layer* extra = nullptr;  // a control the test keeps elsewhere

    Vcl::Layer* Hit(int x, int y) {
        for (Vcl::Layer* c :
             {static_cast<Vcl::Layer*>(a.get()), static_cast<Vcl::Layer*>(b.get()), extra}) {
            if (c && c->contains(x, y)) {
                return c;
            }
        }
        return nullptr;
    }
    void Send(InputKind kind, int x, int y) {
        router.route(InputEvent{kind, x, y}, [this](int px, int py) { return Hit(px, py); });
    }
};

TEST_F(Router, EachEventReachesTheControlTheTableNames) {
    struct Step {
        const char* what;
        InputKind kind;
        int x, y;
        std::vector<std::string> heard;
        const char* hoveredAfter;
        const char* capturedAfter;
    } steps[] = {
        {"move onto a: enter, then the move",
         InputKind::Move,
         10,
         10,
         {Heard("a", InputKind::Enter), Heard("a", InputKind::Move)},
         "a",
         nullptr},
        {"press inside a captures it",
         InputKind::Press,
         10,
         10,
         {Heard("a", InputKind::Press)},
         "a",
         "a"},
        {"moving out while captured: a leaves, b enters, the move goes to a",
         InputKind::Move,
         60,
         10,
         {Heard("a", InputKind::Leave), Heard("b", InputKind::Enter), Heard("a", InputKind::Move)},
         "b",
         "a"},
        {"release outside still goes to the captured a",
         InputKind::Release,
         60,
         10,
         {Heard("a", InputKind::Release)},
         "b",
         nullptr},
        {"a wheel goes to the hovered b",
         InputKind::Wheel,
         60,
         10,
         {Heard("b", InputKind::Wheel)},
         "b",
         nullptr},
        {"right press captures the hovered b",
         InputKind::RightPress,
         60,
         10,
         {Heard("b", InputKind::RightPress)},
         "b",
         "b"},
        {"right release to b",
         InputKind::RightRelease,
         60,
         10,
         {Heard("b", InputKind::RightRelease)},
         "b",
         nullptr},
        {"move to empty space: b leaves",
         InputKind::Move,
         200,
         10,
         {Heard("b", InputKind::Leave)},
         nullptr,
         nullptr},
        {"press on nothing captures nothing", InputKind::Press, 200, 10, {}, nullptr, nullptr},
        {"release with nothing captured goes nowhere",
         InputKind::Release,
         10,
         10,
         {},
         nullptr,
         nullptr},
        {"back onto b, then the pointer leaves the window",
         InputKind::Move,
         70,
         10,
         {Heard("b", InputKind::Enter), Heard("b", InputKind::Move)},
         "b",
         nullptr},
        {"leaving the window: b hears it",
         InputKind::Leave,
         70,
         10,
         {Heard("b", InputKind::Leave)},
         nullptr,
         nullptr},
    };
    for (const auto& s : steps) {
        log.clear();
        Send(s.kind, s.x, s.y);
        EXPECT_EQ(log, s.heard) << s.what;
        auto name = [](Vcl::Layer* c) { return c ? c->name : std::string("none"); };
        EXPECT_EQ(name(router.hovered()), s.hoveredAfter ? s.hoveredAfter : "none") << s.what;
        EXPECT_EQ(name(router.captured()), s.capturedAfter ? s.capturedAfter : "none") << s.what;
    }
}

TEST_F(Router, AControlDestroyedInsideItsOwnEventIsNeverReachedAgain) {
    Send(InputKind::Move, 10, 10);
    Send(InputKind::Press, 10, 10);
    router.setFocus(a.get());
    ASSERT_EQ(router.captured(), a.get());
    // The host destroys a while it handles a's move out of itself.
    a->react = [this] { a.reset(); };
    log.clear();
    Send(InputKind::Move, 60, 10);
    EXPECT_EQ(log,
              (std::vector<std::string>{Heard("a", InputKind::Leave), Heard("b", InputKind::Enter),
                                        Heard("b", InputKind::Move)}))
        << "after a went, the captured move falls back to the hovered control";
    EXPECT_EQ(router.captured(), nullptr);
    EXPECT_EQ(router.focused(), nullptr);
    log.clear();
    Send(InputKind::Release, 60, 10);
    EXPECT_TRUE(log.empty()) << "the release of a destroyed capture goes nowhere";
}

TEST_F(Router, AControlParkedForDeletionDropsOutOfEveryHandle) {
    // A control removed inside its own event is parked, still alive, until
    // the event returns: the router must treat it as gone at once.
    auto node = std::make_unique<Vcl::TreeNode>();
    Probe* parked = b.get();
    node->control = std::move(b);
    extra = parked;
    Send(InputKind::Move, 60, 10);
    ASSERT_EQ(router.hovered(), parked);
    parked->inCallback = true;
    node.reset();  // parks the control instead of freeing it
    ASSERT_TRUE(Vcl::IsDeferred(parked));
    EXPECT_EQ(router.hovered(), nullptr);
    log.clear();
    Send(InputKind::Wheel, 60, 10);
    EXPECT_EQ(log, std::vector<std::string>{}) << "the parked control hears nothing";
    extra = nullptr;
    EXPECT_TRUE(Vcl::TakeDeferred(parked));
}

TEST_F(Router, HandlesOfALiveControlStayValidAcrossCopies) {
    Vcl::ControlRef ref = a->ref();
    Vcl::ControlRef copy = ref;
    EXPECT_TRUE(copy.is(a.get()));
    a->retire();
    EXPECT_FALSE(ref);
    EXPECT_FALSE(copy);
    EXPECT_FALSE(a->ref()) << "a retired control hands out dead handles";
}

}  // namespace
