#pragma once
// Owning reference to a GObject: adopts a reference already taken, unrefs
// once on reset or destruction, and copies by taking a new reference.
#include <glib-object.h>

#include <utility>

template <typename T>
class GObjectPtr {
public:
    GObjectPtr() = default;
    // Adopts `object` (a reference the caller already holds).
    explicit GObjectPtr(T* object) : object_(object) {}
    GObjectPtr(const GObjectPtr& other) : object_(other.object_) {
        if (object_) {
            g_object_ref(object_);
        }
    }
    GObjectPtr(GObjectPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    GObjectPtr& operator=(GObjectPtr other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~GObjectPtr() { reset(); }

    void reset(T* object = nullptr) {
        if (object_) {
            g_object_unref(object_);
        }
        object_ = object;
    }
    T* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};
