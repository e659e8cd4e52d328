#pragma once

#include "framework/global_memory.h"

#include <cstddef>

// A memory file over one movable global block, as the clipboard wants its data: written from
// the start, grown in fixed steps, then detached and handed on whole.
namespace brevicor {

// The clipboard's allocation: movable, zero-initialised, shareable (0x2042).
inline constexpr UINT kSharedFileFlags = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE;
inline constexpr size_t kSharedFileGrowBytes = 4096;

class CSharedFile {
public:
    explicit CSharedFile(UINT allocFlags = kSharedFileFlags,
                         size_t growBytes = kSharedFileGrowBytes);
    CSharedFile(const CSharedFile&) = delete;
    CSharedFile& operator=(const CSharedFile&) = delete;

    // Writes at the current position and moves past the bytes written. The block grows to the
    // next multiple of the step that holds them; bytes after the data stay zero. Returns false,
    // and leaves the file as it was, when memory cannot be had.
    bool Write(const void* data, size_t count);

    // Bytes written so far (the file's length, not the block's size).
    size_t GetLength() const { return m_length; }

    // Hands over the block (empty when nothing was ever written); the file is then empty.
    GlobalMemory Detach();

private:
    bool GrowTo(size_t needed);

    UINT m_allocFlags;
    size_t m_growBytes;
    GlobalMemory m_block;
    size_t m_blockSize = 0;
    size_t m_position = 0;
    size_t m_length = 0;
};

} // namespace brevicor
