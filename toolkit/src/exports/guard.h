#pragma once
// The one guard of every export: a null handle gives the neutral value, and
// nothing thrown inside may cross the flat interface.
#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "res/resource_manager.h"
#include "window/window.h"
#include "zudoz.h"

namespace Vcl::exports {

inline Window* AsWindow(XuiWindow* w) {
    return reinterpret_cast<Window*>(w);
}
inline XuiWindow* ToHandle(Window* w) {
    return reinterpret_cast<XuiWindow*>(w);
}
inline Layer* AsControl(XuiControl* c) {
    return reinterpret_cast<Layer*>(c);
}

// A function's result text: the next call overwrites it in place, so a
// pointer the host kept shows the newer text, and it never dangles: a text
// too long for the buffer moves to a larger one and the old one is kept.
template <typename Char>
class ResultBuffer {
public:
    const Char* set(std::basic_string_view<Char> text) {
        if (text.size() + 1 > current_.size()) {
            if (!current_.empty()) {
                retired_.push_back(std::move(current_));
            }
            current_.assign(std::max<size_t>(text.size() + 1, 256), Char());
        }
        std::copy(text.begin(), text.end(), current_.begin());
        current_[text.size()] = Char();
        return current_.data();
    }

private:
    std::vector<Char> current_;
    std::vector<std::vector<Char>> retired_;
};

// The loaded resource `id` of kind T, or null (also before any load).
template <typename T>
T* FindResource(const char* id) {
    if (!id || !Res::xResourceManager::Exists()) {
        return nullptr;
    }
    return Res::xResourceManager::Instance().findAs<T>(id);
}

// The window a control belongs to (a window is its own), or null.
inline Window* WindowOf(Layer& c) {
    return dynamic_cast<Window*>(c.owner);
}

// `fn(*object)` when `object` is not null, else `fallback`; `fallback` too
// when anything escapes `fn`.
template <typename R, typename T, typename Fn>
R Guard(T* object, R fallback, Fn&& fn) {
    if (!object) {
        return fallback;
    }
    try {
        return std::forward<Fn>(fn)(*object);
    } catch (...) {
        return fallback;
    }
}

// The same for exports without a result.
template <typename T, typename Fn>
void Guard(T* object, Fn&& fn) {
    if (!object) {
        return;
    }
    try {
        std::forward<Fn>(fn)(*object);
    } catch (...) {
    }
}

}  // namespace Vcl::exports
