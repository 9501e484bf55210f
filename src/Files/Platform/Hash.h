// A hash map with chained buckets; the bucket table doubles when the map is fuller than its size.
#pragma once
#include "Base/MemoryManager.h"

#include <cstdint>
#include <functional>

template <typename K, typename V>
class Hash {
public:
    struct Element {
        Element* next;
        K key;
        V value;
    };

    Hash() = default;
    ~Hash() { Clear(); }
    Hash(const Hash&) = delete;
    Hash& operator=(const Hash&) = delete;

    // Stores the value under the key, replacing an earlier value; returns its element (null
    // without memory).
    Element* Insert(const K& key, const V& value)
    {
        if (Element* e = FindElement(key)) {
            e->value = value;
            return e;
        }
        if (m_count >= m_size) Grow();
        if (!m_buckets) return nullptr;
        Element*& bucket = m_buckets[Index(key, m_size)];
        bucket = new Element{bucket, key, value};
        m_count++;
        return bucket;
    }
    // The stored value, or null.
    V* Find(const K& key)
    {
        Element* e = FindElement(key);
        return e ? &e->value : nullptr;
    }
    bool Delete(const K& key)
    {
        if (!m_buckets) return false;
        for (Element** link = &m_buckets[Index(key, m_size)]; *link; link = &(*link)->next) {
            if ((*link)->key == key) {
                Element* gone = *link;
                *link = gone->next;
                delete gone;
                m_count--;
                return true;
            }
        }
        return false;
    }
    void Clear()
    {
        for (size_t i = 0; i < m_size; i++) {
            while (Element* e = m_buckets[i]) {
                m_buckets[i] = e->next;
                delete e;
            }
        }
        MemFree(m_buckets);
        m_buckets = nullptr;
        m_size = 0;
        m_count = 0;
    }
    int Count() const { return (int)m_count; }
    // Visits every element (in no particular order); the visitor must not change the map.
    template <typename F>
    void ForEach(F visit)
    {
        for (size_t i = 0; i < m_size; i++)
            for (Element* e = m_buckets[i]; e; e = e->next) visit(e->key, e->value);
    }

private:
    static size_t Index(const K& key, size_t size) { return std::hash<K>()(key) & (size - 1); }

    Element* FindElement(const K& key)
    {
        if (!m_buckets) return nullptr;
        for (Element* e = m_buckets[Index(key, m_size)]; e; e = e->next)
            if (e->key == key) return e;
        return nullptr;
    }
    void Grow()
    {
        size_t size = m_size ? m_size * 2 : 16;
        Element** buckets = (Element**)MemAllocClear(size * sizeof(Element*));
        if (!buckets) return;  // keep the fuller table
        for (size_t i = 0; i < m_size; i++) {
            while (Element* e = m_buckets[i]) {
                m_buckets[i] = e->next;
                Element*& target = buckets[Index(e->key, size)];
                e->next = target;
                target = e;
            }
        }
        MemFree(m_buckets);
        m_buckets = buckets;
        m_size = size;
    }

    Element** m_buckets = nullptr;
    size_t m_size = 0;  // a power of two
    size_t m_count = 0;
};
