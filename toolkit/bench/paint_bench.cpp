// Figures for painting windows the way the native window does (the same
// paint walk into a back buffer, off screen):
//   zudoz_paint_bench [repeats] [scale]
// builds a package of about 5 MB (pictures that are decoded at load) with a
// 1280 × 720 window of about 200 controls with images and texts, and a
// window of 10 000 controls, then prints:
//   - the package load (open, parse, decode every picture), first and median;
//   - a full repaint with cold caches (every image rendered again) and warm;
//   - the repaint of one slider's rectangle after its track frame changed (a
//     level display, ten times a second in the client);
//   - both repaints again at `scale` (2 unless given: a high-density screen,
//     four times the pixels, with the 2× pictures the package carries);
//   - the inspection record of the window (what ZUDOZ_INSPECT costs a tick);
//   - one layout pass over the 10 000 controls.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <glib.h>
#include <glib/gstdio.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "draw/back_buffer.h"
#include "layout/layout.h"
#include "res/image.h"
#include "res/package.h"
#include "res/resource_manager.h"
#include "window/inspect.h"
#include "window/paint_tree.h"
#include "window/window_manager.h"

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Milliseconds per run of `work`, the median of `repeats` runs.
double MedianMs(int repeats, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        const auto t0 = Clock::now();
        work();
        times.push_back(Millis(Clock::now() - t0));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A PNG of w × h: noise (incompressible, like photos) or one colour.
std::vector<uint8_t> Png(int w, int h, bool noise, uint32_t rgba, unsigned seed = 1) {
    GdkPixbuf* p = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, w, h);
    gdk_pixbuf_fill(p, rgba);
    if (noise) {
        std::mt19937 random(seed);
        guchar* px = gdk_pixbuf_get_pixels(p);
        const int stride = gdk_pixbuf_get_rowstride(p);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w * 4; ++x) {
                px[y * stride + x] = (x % 4 == 3) ? 255 : static_cast<guchar>(random());
            }
        }
    }
    gchar* buffer = nullptr;
    gsize size = 0;
    gdk_pixbuf_save_to_buffer(p, &buffer, &size, "png", nullptr, nullptr);
    std::vector<uint8_t> out(buffer, buffer + size);
    g_free(buffer);
    g_object_unref(p);
    return out;
}

constexpr int kPhotos = 6;

std::string ResourceXml() {
    std::string r =
        "<resources><resource>"
        "<res id=\"s.t\" type=\"string\">直播 Live 12</res>"
        "<res id=\"c.text\" type=\"color\" color=\"#EBE8E6\"/>"
        "<res id=\"c.panel\" type=\"color\" color=\"#29221F\"/>"
        "<res id=\"f.body\" type=\"font\" face=\"Noto Sans CJK SC\" size=\"9\"/>"
        "<res id=\"i.bg\" type=\"image\" stretch=\"tile\">bg.png</res>"
        "<res id=\"i.btn\" type=\"image\" count=\"4\" stretch=\"stretch9\" ml=\"8\" mr=\"8\" "
        "mt=\"8\" mb=\"8\">btn.png</res>"
        "<res id=\"i.toggle\" type=\"image\" count=\"4\">toggle.png</res>"
        "<res id=\"i.level\" type=\"image\" count=\"21\" stretch=\"stretch\">level.png</res>"
        "<res id=\"i.knob\" type=\"image\" count=\"2\">knob.png</res>";
    for (int i = 0; i < kPhotos; ++i) {
        r += "<res id=\"i.photo." + std::to_string(i) +
             "\" type=\"image\" stretch=\"stretch\">photo" + std::to_string(i) + ".png</res>";
    }
    return r + "</resource></resources>";
}

// Ten rows of 64-pixel cells: buttons, labels, photos, checks and tiles, and
// the level slider at the end of the last row.
std::string PaintWindow() {
    std::string w =
        "<window id=\"w.paint\" width=\"1280\" height=\"720\" font=\"f.body\" color=\"c.text\">"
        "<panel id=\"root\" layout=\"vertical\" image=\"i.bg\">";
    for (int row = 0; row < 10; ++row) {
        w += "<layer height=\"72\" layout=\"horizontal\">";
        const int cells = row == 9 ? 16 : 20;
        for (int k = 0; k < cells; ++k) {
            const std::string id = " id=\"c" + std::to_string(row) + "." + std::to_string(k) + "\"";
            switch ((row + k) % 5) {
                case 0:
                    w += "<button" + id +
                         " width=\"64\" text=\"s.t\" image=\"i.btn,0\" image-hover=\"i.btn,1\" "
                         "text-spec=\"center,vcenter\"/>";
                    break;
                case 1:
                    w += "<label" + id +
                         " width=\"64\" text=\"s.t\" color=\"c.panel\" text-spec=\"autowrap\"/>";
                    break;
                case 2:
                    w += "<panel" + id + " width=\"64\" image=\"i.photo." +
                         std::to_string(k % kPhotos) + "\"/>";
                    break;
                case 3:
                    w += "<check" + id +
                         " width=\"64\" image=\"i.toggle,0\" image-checked=\"i.toggle,2\"/>";
                    break;
                default:
                    w += "<panel" + id + " width=\"64\" image=\"i.bg\"/>";
            }
        }
        if (row == 9) {
            w +=
                "<slider id=\"slider.level\" width=\"256\" height=\"14\" align=\"center\" "
                "scrolltype=\"horizontal\" image-scroll=\"i.level,0\" image-tracker=\"i.knob,0\"/>";
        }
        w += "</layer>";
    }
    return w + "</panel></window>";
}

// 10 000 controls: 100 rows of 99 cells, alternately fixed and expanding.
std::string BigWindow() {
    std::string w =
        "<window id=\"w.big\" width=\"1920\" height=\"1080\"><layer layout=\"vertical\">";
    for (int row = 0; row < 100; ++row) {
        w += "<layer layout=\"horizontal\" height=\"10\">";
        for (int k = 0; k < 99; ++k) {
            w += k % 3 ? "<panel width=\"12\" align=\"center\" height=\"8\"/>"
                       : "<layer layoutItem=\"expand\"/>";
        }
        w += "</layer>";
    }
    return w + "</layer></window>";
}

int CountControls(const Vcl::TreeNode& node) {
    int n = 1;
    for (const auto& c : node.children) {
        n += CountControls(*c);
    }
    return n;
}

void ForEach(Vcl::TreeNode& node, const std::function<void(Vcl::Layer&)>& f) {
    f(*node.control);
    for (auto& c : node.children) {
        ForEach(*c, f);
    }
}

// What the native window does for one paint.
void Repaint(Vcl::BackBuffer& buffer, const Vcl::TreeNode& root, const Vcl::Rect& update,
             int scale = 1) {
    Vcl::Painter painter = buffer.begin(1280, 720, scale);
    Vcl::RepaintArea(painter, root, update);
}

}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(3, std::atoi(argv[1])) : 60;
    const int highScale = argc > 2 ? std::clamp(std::atoi(argv[2]), 2, 4) : 2;
    char* folder = g_dir_make_tmp("zudoz-bench-XXXXXX", nullptr);
    if (!folder) {
        return 1;
    }
    const std::string path = std::string(folder) + "/bench.dat";
    Res::xPackageWriter writer;
    writer.add("resource.xml", ResourceXml());
    writer.add("window.xml", "<windows>" + PaintWindow() + BigWindow() + "</windows>");
    // The look's pictures at 1× and 2×, as the client's package carries
    // them; the photos (avatars and such) come at 1× only.
    const struct {
        const char* name;
        int w, h;
        bool noise;
        uint32_t rgba;
    } art[] = {{"bg", 64, 64, true, 0},
               {"btn", 128, 32, false, 0x2C313AFFu},
               {"toggle", 160, 22, false, 0xE5484DFFu},
               {"level", 240 * 21, 14, false, 0x30A46CFFu},
               {"knob", 28, 14, false, 0xE6E8EBFFu}};
    for (const auto& a : art) {
        writer.add(std::string(a.name) + ".png", Png(a.w, a.h, a.noise, a.rgba, 7));
        writer.add(std::string(a.name) + "@2x.png", Png(2 * a.w, 2 * a.h, a.noise, a.rgba, 8));
    }
    for (int i = 0; i < kPhotos; ++i) {
        writer.add("photo" + std::to_string(i) + ".png", Png(512, 480, true, 0, 100 + i));
    }
    if (!writer.write(path)) {
        std::fprintf(stderr, "bench: cannot write %s\n", path.c_str());
        return 1;
    }
    GStatBuf st{};
    g_stat(path.c_str(), &st);

    // Package load: open, read both descriptions, fill the registry (every
    // picture decoded).
    double firstLoad = 0;
    std::vector<double> loads;
    for (int i = 0; i < 5; ++i) {
        Vcl::xWindowManager::Destroy();
        Res::xResourceManager::Destroy();
        const auto t0 = Clock::now();
        const bool ok = Res::xResourceManager::Instance().loadMain(path, "");
        const double ms = Millis(Clock::now() - t0);
        if (!ok) {
            std::fprintf(stderr, "bench: package did not load\n");
            return 1;
        }
        (i == 0 ? firstLoad : loads.emplace_back()) = ms;
    }
    std::sort(loads.begin(), loads.end());
    std::printf("package load: %.1f MB, %zu resources, first %.1f ms, median %.1f ms\n",
                st.st_size / 1048576.0, Res::xResourceManager::Instance().size(), firstLoad,
                loads[loads.size() / 2]);

    auto& registry = Res::xResourceManager::Instance();
    auto& windows = Vcl::xWindowManager::Instance();
    const auto tb = Clock::now();
    const int built = windows.buildAll(registry.windowXml(), registry);
    const double buildMs = Millis(Clock::now() - tb);
    Vcl::Window* paint = windows.find("w.paint");
    Vcl::Window* big = windows.find("w.big");
    if (built != 2 || !paint || !big || !paint->root || !big->root) {
        std::fprintf(stderr, "bench: windows did not build\n");
        return 1;
    }
    std::printf("build: %d + %d controls in %.1f ms\n", CountControls(*paint->root),
                CountControls(*big->root), buildMs);

    Vcl::TreeNode& root = *paint->root;
    root.control->rect = Vcl::Rect{0, 0, 1280, 720};
    Vcl::LayoutNode(root);
    const Vcl::Rect all{0, 0, 1280, 720};
    Vcl::Layer* slider = paint->query("slider.level");
    Res::xImage* track = slider ? slider->imageSlot(5) : nullptr;
    int frame = 0;
    // Full and one-control repaints on a screen of `scale`.
    auto measure = [&](int scale) {
        char at[64] = "";
        if (scale != 1) {
            std::snprintf(at, sizeof at, " at scale %d (%dx%d device pixels)", scale, 1280 * scale,
                          720 * scale);
        }
        Vcl::BackBuffer buffer;
        Repaint(buffer, root, all, scale);
        const double cold = MedianMs(repeats, [&] {
            ForEach(root, [](Vcl::Layer& c) { c.cache.invalidate(); });
            Repaint(buffer, root, all, scale);
        });
        const double warm = MedianMs(repeats, [&] { Repaint(buffer, root, all, scale); });
        std::printf("full repaint 1280x720%s, %d controls: cold %.3f ms, warm %.3f ms\n", at,
                    CountControls(root), cold, warm);
        if (!track) {
            std::printf(
                "one-control repaint: the slider has no track image (slot 5); not measured\n");
            return;
        }
        auto oneControl = [&] {
            return MedianMs(repeats * 10, [&] {
                track->index = ++frame % 21;
                slider->cache.invalidate();  // what a frame change does to the slider
                Repaint(buffer, root, slider->rect, scale);
            });
        };
        std::printf("one-control repaint%s (slider %dx%d, new track frame): %.4f ms\n", at,
                    slider->rect.width, slider->rect.height, oneControl());
        // The same with every text control hidden: what the walk costs
        // without the captions it draws on each paint, wherever they are.
        std::vector<Vcl::Layer*> texts;
        ForEach(root, [&](Vcl::Layer& c) {
            if (c.kind == Vcl::Kind::Label || c.kind == Vcl::Kind::Button) {
                c.visible = false;
                texts.push_back(&c);
            }
        });
        const double bare = oneControl();
        for (Vcl::Layer* c : texts) {
            c->visible = true;
        }
        std::printf("  the same without the %zu captions: %.4f ms\n", texts.size(), bare);
    };
    measure(1);
    measure(highScale);

    // What the inspector does every 50 ms while ZUDOZ_INSPECT is set.
    size_t recordBytes = 0;
    const double record = MedianMs(repeats, [&] {
        Vcl::inspect::Snapshot snapshot;
        snapshot.windows.push_back(
            {.id = "w.paint", .controls = Vcl::inspect::CollectControls(root, 0, 0)});
        recordBytes = Vcl::inspect::ToJson(snapshot).size();
    });
    std::printf("inspection record of that window: %.3f ms, %zu bytes\n", record, recordBytes);

    Vcl::TreeNode& bigRoot = *big->root;
    bigRoot.control->rect = Vcl::Rect{0, 0, 1920, 1080};
    int pass = 0;
    const double layout = MedianMs(repeats, [&] {
        bigRoot.control->rect.width = 1920 - (++pass % 7);
        Vcl::LayoutNode(bigRoot);
    });
    std::printf("layout pass, %d controls: %.3f ms\n", CountControls(bigRoot), layout);

    Vcl::xWindowManager::Destroy();
    Res::xResourceManager::Destroy();
    g_remove(path.c_str());
    g_rmdir(folder);
    g_free(folder);
    return 0;
}
