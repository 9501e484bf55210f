// CInstanceList: instances in the order of a key, as a room's lists and the objects' lists hold
// them. An entry is found by a search on its key, and taking one out leaves an empty slot (which
// walks pass by, and which a later entry or a compaction fills) instead of moving every entry
// after it, so that finding, adding and removing an instance stay cheap in a list of thousands.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

class CInstance;

// Where an entry sits: by depth, ascending (NaN after every number), then by sequence number.
// The one who adds an entry gives it a sequence number no other entry of the list has.
struct InstanceKey {
    uint32_t order = 0;          // the depth as InstanceKey_Order gives it
    uint32_t hint = UINT32_MAX;  // not part of the key: the slot where a search for it starts
    uint64_t seq = 0;
};
// A number that sorts as depths do: NaN after every number, -0 and 0 alike.
inline uint32_t InstanceKey_Order(float depth)
{
    if (depth != depth) return UINT32_MAX;
    uint32_t bits;
    float d = depth == 0.0f ? 0.0f : depth;
    std::memcpy(&bits, &d, sizeof bits);
    return bits & 0x80000000u ? ~bits : bits | 0x80000000u;
}
inline bool InstanceKey_Less(const InstanceKey& a, const InstanceKey& b)
{
    return a.order < b.order || (a.order == b.order && a.seq < b.seq);
}

class CInstanceList {
    struct Slot {
        CInstance* inst;  // null: an empty slot, whose key still keeps the order
        InstanceKey key;
    };

public:
    // Walks the entries in order, passing empty slots by.
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = CInstance*;
        using difference_type = std::ptrdiff_t;
        using pointer = CInstance* const*;
        using reference = CInstance*;
        Iterator(const Slot* at, const Slot* end) : m_at(at), m_end(end) { Skip(); }
        CInstance* operator*() const { return m_at->inst; }
        Iterator& operator++()
        {
            ++m_at;
            Skip();
            return *this;
        }
        bool operator==(const Iterator& o) const { return m_at == o.m_at; }
        bool operator!=(const Iterator& o) const { return m_at != o.m_at; }

    private:
        void Skip()
        {
            while (m_at != m_end && !m_at->inst) ++m_at;
        }
        const Slot* m_at;
        const Slot* m_end;
    };

    Iterator begin() const { return {m_slots.data(), m_slots.data() + m_slots.size()}; }
    Iterator end() const { return {m_slots.data() + m_slots.size(), m_slots.data() + m_slots.size()}; }
    size_t size() const { return m_live; }
    bool empty() const { return m_live == 0; }
    // The first and last entries; null when the list is empty.
    CInstance* front() const;
    CInstance* back() const;
    // The entries in order, as a list of their own that changes to this one leave alone.
    std::vector<CInstance*> Snapshot() const { return {begin(), end()}; }

    // Adds an entry under a key that no entry of the list has; the key's hint learns its slot.
    void Insert(CInstance* inst, InstanceKey& key);
    // Takes out the entry of inst under key; false when the list holds no such entry.
    bool Remove(const CInstance* inst, const InstanceKey& key);
    // Gives the entry of inst under key the new key `to` (key becomes it), moving only the
    // entries between its old place and a near new one; false (nothing done) when the list holds
    // no such entry.
    bool Move(const CInstance* inst, InstanceKey& key, InstanceKey to);
    bool Contains(const CInstance* inst, const InstanceKey& key) const;
    // Takes out every entry whose instance gone(instance) holds for.
    template <class Pred>
    void RemoveIf(Pred gone)
    {
        for (Slot& s : m_slots)
            if (s.inst && gone(s.inst)) {
                s.inst = nullptr;
                m_live--;
            }
        Compact();
    }
    void Clear();

private:
    std::vector<Slot> m_slots;
    size_t m_live = 0;
    // The first slot whose key is not less than key, searched outwards from the key's hint (in
    // steps that double, so a place near it is found at once), or over the whole list when the
    // hint lies outside it.
    size_t Place(const InstanceKey& key) const;
    // The place within [lo, hi], the slots before lo being less than key and the slot hi (if
    // any) not.
    size_t Bisect(size_t lo, size_t hi, const InstanceKey& key) const;
    // The slot of inst under key, or the slot count when it is not there.
    size_t Find(const CInstance* inst, const InstanceKey& key) const;
    void Compact();
};
