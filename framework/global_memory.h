#pragma once

#include "framework/unique_handle.h"

#include <windows.h>

#include <utility>

// An owning global memory handle (GlobalAlloc): freed with the wrapper unless released to a new
// owner, such as a data source or the clipboard.
namespace brevicor {

using GlobalMemory = UniqueHandle<HGLOBAL, &GlobalFree>;

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
