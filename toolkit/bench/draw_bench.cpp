// Figures for painting:
//   zudoz_draw_bench [repeats]
// prints the time of rendering a stretch9 image at a control's size, of
// blitting its cached rendering instead, of one text draw and of one text
// measure, each averaged over that many repeats (default 2000).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "draw/back_buffer.h"
#include "draw/image_cache.h"
#include "draw/painter.h"

namespace {

using Clock = std::chrono::steady_clock;

double MicrosecondsPer(int repeats, const std::function<void()>& work) {
    const auto start = Clock::now();
    for (int i = 0; i < repeats; ++i) {
        work();
    }
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / repeats;
}

}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    Vcl::SurfacePtr picture = Vcl::MakeImageSurface(120, 40);  // four 30 × 40 frames
    Vcl::Painter(picture.get()).fill(Vcl::Rect{0, 0, 120, 40}, Vcl::Color::FromArgb(0xFF3366CCu));
    const Vcl::ImageDesc image{picture.get(), 30, 40, 1, 4, Vcl::ImageMode::Stretch9, 8, 8, 8, 8};
    const Vcl::Rect place{20, 20, 300, 60}, all{0, 0, 800, 600};

    Vcl::BackBuffer buffer;
    Vcl::Painter painter = buffer.begin(800, 600);
    Vcl::ImageCache cache;
    const double render = MicrosecondsPer(repeats, [&] {
        cache.invalidate();
        cache.draw(painter, image, place, all);
    });
    cache.markValid();
    const double blit = MicrosecondsPer(repeats, [&] { cache.draw(painter, image, place, all); });
    const Vcl::Color black = Vcl::Color::FromArgb(0xFF000000u);
    const double text = MicrosecondsPer(repeats, [&] {
        painter.drawText(u"直播间 — live room title", nullptr, black, place,
                         Vcl::TextFormat{.align = Vcl::TextAlign::Center, .vcenter = true});
    });
    const double measure = MicrosecondsPer(
        repeats, [&] { painter.measureText(u"直播间 — live room title", nullptr); });
    std::printf("stretch9 300x60 render+blit: %8.2f us\n", render);
    std::printf("stretch9 300x60 cached blit: %8.2f us\n", blit);
    std::printf("text draw (centred):         %8.2f us\n", text);
    std::printf("text measure:                %8.2f us\n", measure);
    return 0;
}
