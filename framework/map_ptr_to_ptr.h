#pragma once

#include "framework/object.h"

#include <cstddef>
#include <memory>
#include <vector>

// A hash map from pointer to pointer. Entries are carved out of blocks of a fixed number of
// entries, so that adding and removing keys does not allocate each time; a removed entry goes
// to a free list and is reused by the next insertion. The map owns neither keys nor values.
namespace brevicor {

class CMapPtrToPtr : public CObject {
    DECLARE_RUNTIME_CLASS(CMapPtrToPtr)
public:
    explicit CMapPtrToPtr(int blockSize = 10);
    ~CMapPtrToPtr() override = default;
    // Entries point into the map's own blocks: neither copied nor moved.
    CMapPtrToPtr(const CMapPtrToPtr&) = delete;
    CMapPtrToPtr& operator=(const CMapPtrToPtr&) = delete;

    int GetCount() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }
    int GetBlockSize() const { return m_blockSize; }

    // True and the value when the key is present; false and the value untouched otherwise.
    bool Lookup(void* key, void*& value) const;
    // Adds the key or replaces its value.
    void SetAt(void* key, void* value);
    // False when the key was not present.
    bool RemoveKey(void* key);
    // Forgets every entry and gives the blocks back.
    void RemoveAll();

private:
    struct Assoc {
        Assoc* next = nullptr;
        void* key = nullptr;
        void* value = nullptr;
    };

    size_t BucketOf(void* key) const;
    Assoc* Find(void* key) const;
    Assoc* NewAssoc();
    void Rehash(size_t bucketCount);

    std::vector<Assoc*> m_buckets;
    std::vector<std::unique_ptr<Assoc[]>> m_blocks;
    Assoc* m_free = nullptr;
    int m_count = 0;
    int m_blockSize;
};

} // namespace brevicor
