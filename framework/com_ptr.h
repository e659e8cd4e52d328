#pragma once

#include <unknwn.h>

#include <utility>

// An owning COM interface pointer: one reference, released with the wrapper. Move-only, so a
// reference is never taken or dropped by accident.
namespace brevicor {

template <class T> class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller already holds (a new object's first one, an out
    // parameter).
    static ComPtr Adopt(T* pointer) {
        ComPtr result;
        result.m_pointer = pointer;
        return result;
    }
    ~ComPtr() { Reset(); }
    ComPtr(ComPtr&& other) noexcept : m_pointer(std::exchange(other.m_pointer, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_pointer = std::exchange(other.m_pointer, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* Get() const { return m_pointer; }
    T* operator->() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }

    void Reset() {
        if (m_pointer != nullptr) {
            std::exchange(m_pointer, nullptr)->Release();
        }
    }

private:
    T* m_pointer = nullptr;
};

} // namespace brevicor
