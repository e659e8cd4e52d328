#include "framework/map_ptr_to_ptr.h"

#include <cstdint>

namespace brevicor {

IMPLEMENT_RUNTIME_CLASS(CMapPtrToPtr, CObject)

namespace {

// A prime bucket count to start with; the table doubles (plus one) when it gets crowded.
constexpr size_t kInitialBuckets = 17;

} // namespace

CMapPtrToPtr::CMapPtrToPtr(int blockSize) : m_blockSize(blockSize > 0 ? blockSize : 1) {}

size_t CMapPtrToPtr::BucketOf(void* key) const {
    // Handles and heap pointers are aligned: the low bits carry no information.
    return (reinterpret_cast<uintptr_t>(key) >> 4) % m_buckets.size();
}

CMapPtrToPtr::Assoc* CMapPtrToPtr::Find(void* key) const {
    if (m_buckets.empty()) {
        return nullptr;
    }
    for (Assoc* assoc = m_buckets[BucketOf(key)]; assoc != nullptr; assoc = assoc->next) {
        if (assoc->key == key) {
            return assoc;
        }
    }
    return nullptr;
}

bool CMapPtrToPtr::Lookup(void* key, void*& value) const {
    const Assoc* assoc = Find(key);
    if (assoc == nullptr) {
        return false;
    }
    value = assoc->value;
    return true;
}

CMapPtrToPtr::Assoc* CMapPtrToPtr::NewAssoc() {
    if (m_free == nullptr) {
        auto block = std::make_unique<Assoc[]>(static_cast<size_t>(m_blockSize));
        for (int i = m_blockSize - 1; i >= 0; --i) {
            block[static_cast<size_t>(i)].next = m_free;
            m_free = &block[static_cast<size_t>(i)];
        }
        m_blocks.push_back(std::move(block));
    }
    Assoc* assoc = m_free;
    m_free = assoc->next;
    *assoc = Assoc{};
    return assoc;
}

void CMapPtrToPtr::Rehash(size_t bucketCount) {
    std::vector<Assoc*> old = std::move(m_buckets);
    m_buckets.assign(bucketCount, nullptr);
    for (Assoc* head : old) {
        while (head != nullptr) {
            Assoc* next = head->next;
            Assoc*& bucket = m_buckets[BucketOf(head->key)];
            head->next = bucket;
            bucket = head;
            head = next;
        }
    }
}

void CMapPtrToPtr::SetAt(void* key, void* value) {
    if (Assoc* assoc = Find(key); assoc != nullptr) {
        assoc->value = value;
        return;
    }
    if (m_buckets.empty()) {
        Rehash(kInitialBuckets);
    } else if (static_cast<size_t>(m_count) >= 2 * m_buckets.size()) {
        Rehash(2 * m_buckets.size() + 1);
    }
    Assoc* assoc = NewAssoc();
    assoc->key = key;
    assoc->value = value;
    Assoc*& bucket = m_buckets[BucketOf(key)];
    assoc->next = bucket;
    bucket = assoc;
    ++m_count;
}

bool CMapPtrToPtr::RemoveKey(void* key) {
    if (m_buckets.empty()) {
        return false;
    }
    for (Assoc** link = &m_buckets[BucketOf(key)]; *link != nullptr; link = &(*link)->next) {
        Assoc* assoc = *link;
        if (assoc->key == key) {
            *link = assoc->next;
            assoc->next = m_free;
            m_free = assoc;
            --m_count;
            return true;
        }
    }
    return false;
}

void CMapPtrToPtr::RemoveAll() {
    m_buckets.clear();
    m_blocks.clear();
    m_free = nullptr;
    m_count = 0;
}

} // namespace brevicor
