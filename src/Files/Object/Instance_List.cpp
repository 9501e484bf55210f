#include "Object/Instance_List.h"

#include <algorithm>

namespace {

// How far an insertion looks either side of its place for an empty slot to shift into, before
// it moves the rest of the list instead.
constexpr size_t REACH = 32;
// Empty slots are dropped once they outnumber the entries by this many.
constexpr size_t SPARE = 32;

}  // namespace

CInstance* CInstanceList::front() const { return empty() ? nullptr : *begin(); }

CInstance* CInstanceList::back() const
{
    for (size_t k = m_slots.size(); k > 0; k--)
        if (m_slots[k - 1].inst) return m_slots[k - 1].inst;
    return nullptr;
}

size_t CInstanceList::Bisect(size_t lo, size_t hi, const InstanceKey& key) const
{
    auto at = std::lower_bound(m_slots.begin() + (long)lo, m_slots.begin() + (long)hi, key,
                               [](const Slot& s, const InstanceKey& k) { return InstanceKey_Less(s.key, k); });
    return (size_t)(at - m_slots.begin());
}

// Steps of 1, 2, 4... from the hint bracket the place, which a bisection then finds.
size_t CInstanceList::Place(const InstanceKey& key) const
{
    size_t size = m_slots.size(), bound = key.hint, step = 1;
    if (bound >= size) return Bisect(0, size, key);
    if (InstanceKey_Less(m_slots[bound].key, key)) {
        // The place lies after bound.
        for (;; step *= 2) {
            size_t next = bound + step;
            if (next >= size) return Bisect(bound + 1, size, key);
            if (!InstanceKey_Less(m_slots[next].key, key)) return Bisect(bound + 1, next, key);
            bound = next;
        }
    }
    // The place lies at bound or before it.
    for (;; step *= 2) {
        if (step > bound) return Bisect(0, bound, key);
        size_t next = bound - step;
        if (InstanceKey_Less(m_slots[next].key, key)) return Bisect(next + 1, bound, key);
        bound = next;
    }
}

void CInstanceList::Insert(CInstance* inst, InstanceKey& key)
{
    m_live++;
    // New entries mostly go last.
    bool last = m_slots.empty() || InstanceKey_Less(m_slots.back().key, key);
    size_t at = last ? m_slots.size() : Place(key);
    key.hint = (uint32_t)at;
    if (at == m_slots.size()) {
        m_slots.push_back({inst, key});
        return;
    }
    // The entries between the place and the nearest empty slot move one step towards it; the
    // empty slot's old key lies between the keys of its neighbours, so the order holds.
    auto slot = [&](size_t k) { return m_slots.begin() + (long)k; };
    for (size_t d = 0; d < REACH; d++) {
        if (d < at && !m_slots[at - 1 - d].inst) {
            std::move(slot(at - d), slot(at), slot(at - 1 - d));
            key.hint = (uint32_t)(at - 1);
            m_slots[at - 1] = {inst, key};
            return;
        }
        if (at + d < m_slots.size() && !m_slots[at + d].inst) {
            std::move_backward(slot(at), slot(at + d), slot(at + d + 1));
            m_slots[at] = {inst, key};
            return;
        }
    }
    m_slots.insert(slot(at), {inst, key});
}

size_t CInstanceList::Find(const CInstance* inst, const InstanceKey& key) const
{
    size_t at = Place(key);
    return inst && at < m_slots.size() && m_slots[at].inst == inst ? at : m_slots.size();
}

bool CInstanceList::Contains(const CInstance* inst, const InstanceKey& key) const
{
    return Find(inst, key) < m_slots.size();
}

bool CInstanceList::Remove(const CInstance* inst, const InstanceKey& key)
{
    size_t at = Find(inst, key);
    if (at == m_slots.size()) return false;
    m_slots[at].inst = nullptr;
    m_live--;
    if (m_slots.size() - m_live > m_live + SPARE) Compact();
    return true;
}

bool CInstanceList::Move(const CInstance* inst, InstanceKey& key, InstanceKey to)
{
    size_t old = Find(inst, key);
    if (old == m_slots.size()) return false;
    CInstance* moving = m_slots[old].inst;
    to.hint = (uint32_t)old;
    size_t at = Place(to);
    // A move past the last entry leaves an empty slot behind rather than moving every entry
    // after it (as instance_change into an object of a greater depth does to one after another).
    if (at == m_slots.size() && at - old > 1) {
        Remove(inst, key);
        Insert(moving, to);
        key = to;
        return true;
    }
    // Else the entries between the two places move one step.
    auto slot = [&](size_t k) { return m_slots.begin() + (long)k; };
    if (at > old) {
        std::move(slot(old + 1), slot(at), slot(old));
        at--;
    } else {
        std::move_backward(slot(at), slot(old), slot(old + 1));
    }
    to.hint = (uint32_t)at;
    m_slots[at] = {moving, to};
    key = to;
    return true;
}

void CInstanceList::Compact()
{
    m_slots.erase(std::remove_if(m_slots.begin(), m_slots.end(), [](const Slot& s) { return !s.inst; }), m_slots.end());
}

void CInstanceList::Clear()
{
    m_slots.clear();
    m_live = 0;
}
