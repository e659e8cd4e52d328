#pragma once

#include <windows.h>

#include <utility>

// An owning global memory handle (GlobalAlloc): freed with the wrapper unless released to a new
// owner, such as a data source or the clipboard.
namespace brevicor {

class GlobalMemory {
public:
    GlobalMemory() = default;
    explicit GlobalMemory(HGLOBAL block) : m_block(block) {}
    ~GlobalMemory() { Reset(); }
    GlobalMemory(GlobalMemory&& other) noexcept : m_block(other.Release()) {}
    GlobalMemory& operator=(GlobalMemory&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    GlobalMemory(const GlobalMemory&) = delete;
    GlobalMemory& operator=(const GlobalMemory&) = delete;

    HGLOBAL Get() const { return m_block; }
    explicit operator bool() const { return m_block != nullptr; }

    // Gives up ownership; the caller frees the block or hands it on.
    HGLOBAL Release() { return std::exchange(m_block, nullptr); }

    void Reset(HGLOBAL block = nullptr) {
        if (m_block != nullptr) {
            GlobalFree(m_block);
        }
        m_block = block;
    }

private:
    HGLOBAL m_block = nullptr;
};

// Locks a movable block for the guard's lifetime; Data() is null when the lock failed.
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL block)
        : m_block(block), m_data(block != nullptr ? GlobalLock(block) : nullptr) {}
    ~GlobalLockGuard() {
        if (m_data != nullptr) {
            GlobalUnlock(m_block);
        }
    }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;

    void* Data() const { return m_data; }

private:
    HGLOBAL m_block;
    void* m_data;
};

} // namespace brevicor
