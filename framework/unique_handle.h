#pragma once

#include <utility>

// An owning Win32 handle, released with the function given as template argument (DestroyMenu,
// DeleteObject, GlobalFree...). Move-only, so no handle is ever freed twice.
namespace brevicor {

template <class Handle, auto Free> class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : m_handle(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

    // Gives up ownership; the caller frees the handle or hands it on (to a parent menu, a data
    // source, the clipboard).
    Handle Release() { return std::exchange(m_handle, nullptr); }

    void Reset(Handle handle = nullptr) {
        if (m_handle != nullptr) {
            Free(m_handle);
        }
        m_handle = handle;
    }

private:
    Handle m_handle = nullptr;
};

} // namespace brevicor
