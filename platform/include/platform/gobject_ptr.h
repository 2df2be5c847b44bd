#pragma once
// Owning handle for one GObject reference. Moved, never copied, so every
// reference it holds is dropped exactly once (on reset or destruction).
//
//   GObjectPtr<T> p(made)       adopts a reference the caller already holds
//                               (the result of a *_new or a ref call)
//   GObjectPtr<T>::Ref(object)  takes a reference of its own on a borrowed
//                               object, sinking a floating one
//   p.share()                   a second owner of the same object, with its
//                               own reference
//
// Header-only and needs only gobject-2.0, which the platform library links.
#include <glib-object.h>

#include <utility>

namespace zv {

template <typename T>
class GObjectPtr {
public:
    GObjectPtr() = default;
    // Adopts `adopted` (may be null). Pitfall: passing a borrowed pointer here
    // drops a reference its owner still counts on; use Ref for those.
    explicit GObjectPtr(T* adopted) : object_(adopted) {}
    ~GObjectPtr() { reset(); }

    GObjectPtr(GObjectPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    GObjectPtr& operator=(GObjectPtr&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.object_, nullptr));
        }
        return *this;
    }
    GObjectPtr(const GObjectPtr&) = delete;
    GObjectPtr& operator=(const GObjectPtr&) = delete;

    // A new reference on `object` (null gives an empty pointer). A floating
    // reference (a fresh GInitiallyUnowned) is sunk and becomes this one.
    static GObjectPtr Ref(T* object) {
        return GObjectPtr(object ? static_cast<T*>(g_object_ref_sink(object)) : nullptr);
    }

    // Another owner of the same object, holding a reference of its own; empty
    // when this one is.
    GObjectPtr share() const {
        return GObjectPtr(object_ ? static_cast<T*>(g_object_ref(object_)) : nullptr);
    }

    // Drops the held reference, then adopts `adopted` (may be null).
    void reset(T* adopted = nullptr) {
        T* old = std::exchange(object_, adopted);
        if (old) {
            g_object_unref(old);
        }
    }
    T* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};

}  // namespace zv
