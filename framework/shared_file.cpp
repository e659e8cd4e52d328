#include "framework/shared_file.h"

#include <cstring>
#include <limits>

namespace brevicor {

CSharedFile::CSharedFile(UINT allocFlags, size_t growBytes)
    : m_allocFlags(allocFlags), m_growBytes(growBytes == 0 ? 1 : growBytes) {}

bool CSharedFile::GrowTo(size_t needed) {
    if (needed <= m_blockSize) {
        return true;
    }
    if (needed > std::numeric_limits<size_t>::max() - m_growBytes) {
        return false;
    }
    size_t newSize = (needed + m_growBytes - 1) / m_growBytes * m_growBytes;
    HGLOBAL grown = m_block ? GlobalReAlloc(m_block.Get(), newSize, m_allocFlags)
                            : GlobalAlloc(m_allocFlags, newSize);
    if (grown == nullptr) {
        return false; // the old block, if any, is untouched
    }
    m_block.Release();
    m_block.Reset(grown);
    // Zero the new part ourselves: not every allocator zeroes what a reallocation adds.
    GlobalLockGuard lock(m_block.Get());
    if (lock.Data() == nullptr) {
        return false;
    }
    std::memset(static_cast<char*>(lock.Data()) + m_blockSize, 0, newSize - m_blockSize);
    m_blockSize = newSize;
    return true;
}

bool CSharedFile::Write(const void* data, size_t count) {
    if (count == 0) {
        return true;
    }
    if (count > std::numeric_limits<size_t>::max() - m_position || !GrowTo(m_position + count)) {
        return false;
    }
    GlobalLockGuard lock(m_block.Get());
    if (lock.Data() == nullptr) {
        return false;
    }
    std::memcpy(static_cast<char*>(lock.Data()) + m_position, data, count);
    m_position += count;
    if (m_position > m_length) {
        m_length = m_position;
    }
    return true;
}

GlobalMemory CSharedFile::Detach() {
    m_blockSize = 0;
    m_position = 0;
    m_length = 0;
    return std::move(m_block);
}

} // namespace brevicor
