#include "window/frame_hit.h"

#include <algorithm>

#include "window/window.h"

namespace Vcl {

bool IsFrameBorder(FrameHit hit) {
    return hit >= FrameHit::Left;
}

bool IsFrameButton(FrameHit hit) {
    return hit == FrameHit::Close || hit == FrameHit::Maximize || hit == FrameHit::Minimize;
}

FrameHit HitFrame(const FrameGeometry& f, int x, int y) {
    const Rect& c = f.client;
    if (c.contains(x, y)) {
        return FrameHit::Client;
    }
    for (const Rect& r : f.clientLike) {
        if (r.contains(x, y)) {
            return FrameHit::Client;
        }
    }
    if (f.close && f.close->contains(x, y)) {
        return FrameHit::Close;
    }
    if (f.maximize && f.maximize->contains(x, y)) {
        return FrameHit::Maximize;
    }
    if (f.minimize && f.minimize->contains(x, y)) {
        return FrameHit::Minimize;
    }
    const Rect& w = f.window;
    // The strip along the top is as thick as the space above the client,
    // and only exists when the client leaves room above and below it.
    int t = 0;
    if (c.bottom() < w.bottom() && c.y > w.y) {
        t = std::min(c.y - w.y, kFrameStripMax);
    }
    if (t > 0 && y < w.y + t) {
        if (x < w.x + t) {
            return FrameHit::TopLeft;
        }
        if (x >= w.right() - t) {
            return FrameHit::TopRight;
        }
        return FrameHit::Top;
    }
    if (y >= c.y) {
        const bool below = y >= c.bottom();
        if (x >= c.right()) {
            return below ? FrameHit::BottomRight : FrameHit::Right;
        }
        if (x < c.x) {
            return below ? FrameHit::BottomLeft : FrameHit::Left;
        }
        if (below) {
            return FrameHit::Bottom;
        }
    }
    return FrameHit::Caption;
}

namespace {

ControlRef Named(const Window& window, const char* name) {
    Layer* c = window.query(name);
    return c ? c->ref() : ControlRef();
}

void AddShown(const ControlRef& ref, std::vector<Rect>& out) {
    if (Layer* c = ref.get(); c && c->shown()) {
        out.push_back(c->rect);
    }
}

std::optional<Rect> IfShown(const ControlRef& ref) {
    Layer* c = ref.get();
    return c && c->shown() ? std::optional<Rect>(c->rect) : std::nullopt;
}

}  // namespace

void FrameParts::lookUp(const Window& window) {
    close_ = Named(window, "NC.CLOSE");
    max_ = Named(window, "NC.MAX");
    min_ = Named(window, "NC.MIN");
    menu_ = Named(window, "NC.MENU");
    menuEx_ = Named(window, "NC.MENU.EX");
    const char* layers[] = {"NC.LAYER.1", "NC.LAYER.2", "NC.LAYER.3", "NC.LAYER.4"};
    for (int i = 0; i < 4; ++i) {
        layers_[i] = Named(window, layers[i]);
    }
    client_ = Named(window, "NC.CLIENT");
}

bool FrameParts::any() const {
    return close_ || max_ || min_ || menu_ || menuEx_ ||
           std::any_of(std::begin(layers_), std::end(layers_),
                       [](const ControlRef& r) { return static_cast<bool>(r); });
}

FrameGeometry FrameParts::geometry(int width, int height) const {
    FrameGeometry g;
    g.window = Rect{0, 0, width, height};
    if (Layer* c = client_.get()) {
        g.client = c->rect;
    }
    AddShown(menu_, g.clientLike);
    AddShown(menuEx_, g.clientLike);
    for (const ControlRef& layer : layers_) {
        AddShown(layer, g.clientLike);
    }
    g.close = IfShown(close_);
    g.maximize = IfShown(max_);
    g.minimize = IfShown(min_);
    return g;
}

FrameHit FrameButtons::release(FrameHit hit) {
    const FrameHit was = pressed_;
    pressed_ = FrameHit::Client;
    return IsFrameButton(was) && was == hit ? was : FrameHit::Client;
}

}  // namespace Vcl
