#pragma once
// The one guard of every export: a null handle gives the neutral value, and
// nothing thrown inside may cross the flat interface.
#include <utility>

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
