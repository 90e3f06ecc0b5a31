#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

#include "platform/status.h"

namespace platform {

// A reference-counted object: destroyed when its last reference is released.
// Objects are made only by CreateObject, so every one of them lives on the heap.
class Object {
public:
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    void AddRef() const noexcept { ++references_; }
    void Release() const noexcept
    {
        if (--references_ == 0) {
            delete this;
        }
    }

    // How many objects exist; lets the tests prove that every one was released.
    static std::size_t LiveCount() noexcept { return live_; }

protected:
    Object() noexcept { ++live_; }
    virtual ~Object() { --live_; }

private:
    mutable std::uint32_t references_ = 0;
    // The program is single-threaded, so plain counters do.
    inline static std::size_t live_ = 0;
};

// A reference to an object. Assigning one releases the reference held before;
// Reset() sets it to nothing.
template <class T>
class Ref {
public:
    Ref() noexcept = default;
    explicit Ref(T* object) noexcept : object_(object)
    {
        if (object_) {
            object_->AddRef();
        }
    }
    Ref(const Ref& other) noexcept : Ref(other.object_) {}
    Ref(Ref&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    Ref& operator=(Ref other) noexcept
    {
        std::swap(object_, other.object_);
        return *this;
    }
    ~Ref() { Reset(); }

    void Reset() noexcept
    {
        if (T* object = std::exchange(object_, nullptr)) {
            object->Release();
        }
    }

    T* operator->() const noexcept { return object_; }
    T& operator*() const noexcept { return *object_; }
    explicit operator bool() const noexcept { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};

// Creates a T, running its creation defaults before the reference is handed
// out. `out` is written only on success; it then holds the only reference.
template <class T>
Status CreateObject(Ref<T>& out) noexcept
{
    try {
        out = Ref<T>(new T());
        return kOk;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
}

}  // namespace platform
