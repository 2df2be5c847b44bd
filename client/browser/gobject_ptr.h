#pragma once
// Owning handle for one GObject reference: released on reset and destruction,
// moved but never copied implicitly, so no reference is dropped twice.
#include <glib-object.h>

#include <utility>

namespace zv::browser {

template <typename T>
class GObjectPtr {
public:
    GObjectPtr() = default;
    // Adopts a reference the caller already holds (a "new" or "ref" result).
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

    // Takes a new reference of its own on `object` (which may be floating).
    static GObjectPtr Ref(T* object) {
        return GObjectPtr(object ? static_cast<T*>(g_object_ref_sink(object)) : nullptr);
    }

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

}  // namespace zv::browser
