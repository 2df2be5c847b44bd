// A window moved to a screen of another scale redraws at it. The desktop's
// settings daemon announces the window scale ("Gdk/WindowScalingFactor"
// over XSETTINGS); this test is that daemon, on an X server of its own, so
// no other program sees the change. The gallery comes up at scale 1, the
// setting turns to 2, and the window's rectangles, clicks and pixels follow.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include "live_support.h"

// Xlib last: its macros (None, Status) clash with gtest's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The XSETTINGS manager of screen 0 holding one integer setting.
class ScaleSettings {
public:
    explicit ScaleSettings(const std::string& display) {
        // A fresh server may drop a connection while another client leaves.
        live::WaitFor([&] { return (d_ = XOpenDisplay(display.c_str())) != nullptr; });
        if (!d_) {
            return;
        }
        const Window root = DefaultRootWindow(d_);
        owner_ = XCreateSimpleWindow(d_, root, 0, 0, 1, 1, 0, 0, 0);
        selection_ = XInternAtom(d_, "_XSETTINGS_S0", False);
        settings_ = XInternAtom(d_, "_XSETTINGS_SETTINGS", False);
        set(1);
        XSetSelectionOwner(d_, selection_, owner_, CurrentTime);
        // Clients that started first learn of the manager from this.
        XClientMessageEvent m{};
        m.type = ClientMessage;
        m.window = root;
        m.message_type = XInternAtom(d_, "MANAGER", False);
        m.format = 32;
        m.data.l[0] = CurrentTime;
        m.data.l[1] = long(selection_);
        m.data.l[2] = long(owner_);
        XSendEvent(d_, root, False, StructureNotifyMask, reinterpret_cast<XEvent*>(&m));
        XSync(d_, False);
    }
    ~ScaleSettings() {
        if (d_) {
            XDestroyWindow(d_, owner_);
            XCloseDisplay(d_);
        }
    }
    bool ok() const { return d_ && XGetSelectionOwner(d_, selection_) == owner_; }
    std::string why() const {
        return !d_ ? "no display" : "owner " + std::to_string(XGetSelectionOwner(d_, selection_));
    }

    // Publishes the window scale (a new serial, so clients read it again).
    void set(int scale) {
        const std::string name = "Gdk/WindowScalingFactor";
        std::vector<uint8_t> b;
        auto u32 = [&](uint32_t v) {
            for (int i = 0; i < 4; ++i) {
                b.push_back(uint8_t(v >> (8 * i)));
            }
        };
        b = {LSBFirst, 0, 0, 0};
        u32(++serial_);
        u32(1);                     // one setting
        b.insert(b.end(), {0, 0});  // type integer, pad
        b.push_back(uint8_t(name.size()));
        b.push_back(uint8_t(name.size() >> 8));
        b.insert(b.end(), name.begin(), name.end());
        while (b.size() % 4) {
            b.push_back(0);
        }
        u32(serial_);  // last change
        u32(uint32_t(scale));
        XChangeProperty(d_, owner_, settings_, settings_, 8, PropModeReplace, b.data(),
                        int(b.size()));
        XSync(d_, False);
    }

private:
    Display* d_ = nullptr;
    Window owner_ = 0;
    Atom selection_ = None, settings_ = None;
    uint32_t serial_ = 0;
};

// Where the screenshots go for a person to look at.
std::string ShotPath(const std::string& name) {
    const std::string folder = std::string(ZV_BUILD_DIR) + "/test-screens";
    g_mkdir_with_parents(folder.c_str(), 0755);
    return folder + "/" + name + ".png";
}

// The screen pixel at (x, y) of a screenshot, as 0xRRGGBB; -1 when unreadable.
long ScreenPixel(const std::string& png, int x, int y) {
    GdkPixbuf* p = gdk_pixbuf_new_from_file(png.c_str(), nullptr);
    if (!p) {
        return -1;
    }
    long v = -1;
    if (x >= 0 && y >= 0 && x < gdk_pixbuf_get_width(p) && y < gdk_pixbuf_get_height(p)) {
        const guchar* px = gdk_pixbuf_read_pixels(p) + y * gdk_pixbuf_get_rowstride(p) +
                           x * gdk_pixbuf_get_n_channels(p);
        v = long(px[0]) << 16 | long(px[1]) << 8 | px[2];
    }
    g_object_unref(p);
    return v;
}

TEST(ScaleChange, AWindowRedrawsAtTheNewScaleAndInputFollows) {
    unsetenv("GDK_SCALE");              // a fixed scale would not follow the setting
    zvtest::OwnDisplay display(false);  // no window manager: the window stays put
    ASSERT_TRUE(display.problem().empty()) << display.problem();
    ScaleSettings settings(display.name());
    ASSERT_TRUE(settings.ok()) << settings.why() << " on " << display.name();
    live::GalleryProcess g(display.name(), {"--still"});
    ASSERT_TRUE(g.waitShown()) << g.log();
    const Json::Value before = g.window();
    ASSERT_EQ(before["scale"].asInt(), 1);
    const Json::Value button = g.control("b.primary");
    const std::string one = ShotPath("scale-change-1");
    ASSERT_TRUE(zvtest::Screenshot(display.name(), one));
    const auto c1 = live::Centre(button);
    // A point inside the button's face, left of its caption, off the
    // rounded corners.
    const int fx = button["screen"]["x"].asInt() + 6, fy = c1.y;
    const long face = ScreenPixel(one, fx, fy);

    settings.set(2);
    ASSERT_TRUE(live::WaitFor([&] {
        const Json::Value w = g.window();
        return w["scale"].asInt() == 2 &&
               w["screen"]["width"].asInt() == 2 * before["screen"]["width"].asInt();
    })) << g.window().toStyledString();
    const Json::Value sharp = g.control("b.primary");
    EXPECT_EQ(sharp["client"], button["client"]) << "the layout is logical and unchanged";
    EXPECT_EQ(sharp["screen"]["width"].asInt(), 2 * button["screen"]["width"].asInt());

    // The repaint at scale 2 covers the doubled window: the button's face
    // is where the record says, at twice the distance from the origin.
    const Json::Value w = g.window();
    const int ox = w["screen"]["x"].asInt(), oy = w["screen"]["y"].asInt();
    const int sx = ox + 2 * (fx - before["screen"]["x"].asInt());
    const int sy = oy + 2 * (fy - before["screen"]["y"].asInt());
    const std::string two = ShotPath("scale-change-2");
    ASSERT_TRUE(live::WaitFor([&] {
        return zvtest::Screenshot(display.name(), two) && ScreenPixel(two, sx, sy) == face &&
               ScreenPixel(two, sx + 1, sy + 1) == face;
    })) << "face 0x"
        << std::hex << face << ", at scale 2 0x" << ScreenPixel(two, sx, sy);

    // A click lands on the control under the pointer at its new place.
    live::XInput input(display.name());
    ASSERT_TRUE(input.ok());
    const auto c2 = live::Centre(sharp);
    EXPECT_NE(c2.x, c1.x);
    input.click(c2.x, c2.y);
    EXPECT_TRUE(g.waitPrinted("event b.primary 4 0")) << g.log();
}

}  // namespace
