// Owner of one COM interface pointer: released exactly once, never copied.
#pragma once

#include <objbase.h>

#include <utility>

namespace win {

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}

    T* get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    // For functions that hand out a new reference; drops the old one first.
    void** put() {
        reset();
        return reinterpret_cast<void**>(&ptr_);
    }
    void reset() {
        if (T* old = std::exchange(ptr_, nullptr)) old->Release();
    }

private:
    T* ptr_ = nullptr;
};

}  // namespace win
