#include "Support/DataStructures.h"
#include "Base/MemoryManager.h"

#include <cmath>
#include <cstdarg>
#include <cstring>
#include <new>

namespace {

// Two texts; texts written once in the code are often the same block.
inline bool SameText(const TaggedValue& a, const TaggedValue& b)
{
    if (a.str == b.str) return true;
    size_t length = a.GetLength();
    return length == b.GetLength() && memcmp(a.GetString(), b.GetString(), length) == 0;
}

}  // namespace

CDS_Map::CDS_Map()
{
    static uint64_t s_serial = 0;
    m_serial = ++s_serial;
    NewVersion();
}

void CDS_Map::NewVersion()
{
    static uint64_t s_version = 0;
    m_version = ++s_version;
}

CDS_Map::RealScale CDS_Map::ScaleOfPrecision()
{
    RealScale reals;
    reals.scale = 1 / (2 * DS_Precision);
    // Whether reals of this magnitude are exact: a test that only grows with the magnitude, so
    // the bound is found from its estimate by steps of single precision.
    auto exact = [&](float v) { return !((double)v * reals.scale < 0x1p26); };
    float from = exact(0) ? 0 : DS_Narrow(0x1p26 / reals.scale);
    while (from > 0 && exact(std::nextafter(from, 0.0f))) from = std::nextafter(from, 0.0f);
    while (!exact(from)) from = std::nextafter(from, INFINITY);
    reals.exactFrom = from;
    return reals;
}

int64_t CDS_Map::FindTextSlot(const TaggedValue& key, uint32_t hash) const
{
    // The index is never more than half full, so a free slot ends every probe.
    float mark = TextKey(hash);
    for (size_t i = TextHome(hash); m_slots[i].node >= 0; i = (i + 1) & m_mask) {
        const Slot& s = m_slots[i];
        if (!SameBits(s.key, mark)) continue;
        const TaggedValue& stored = m_nodes[(size_t)s.node].entry.key;
        if (stored.IsString() && SameText(stored, key)) return (int64_t)i;
    }
    return -1;
}

// Of the stored reals that compare equal with the key in the run of slots from one bucket's home
// on (which holds the whole bucket), the nearest, or the one added first of two as near, into
// *best (a slot) and *nearest; true when it is the key's own value (a NaN finds the NaN of its
// bits, so that such a key can be found and deleted again, though it compares equal to nothing).
// A key of another bucket in the run is equal only if it lies in one the lookup searches too.
__attribute__((always_inline)) inline bool CDS_Map::NearestInBucket(uint32_t hash, float value, uint32_t bits, int64_t* best, double* nearest) const
{
    for (size_t i = RealHome(hash); m_slots[i].node >= 0; i = (i + 1) & m_mask) {
        const Slot& slot = m_slots[i];
        float v = slot.key;
        if (v == value) {
            *best = (int64_t)i;
            return true;
        }
        if (value != value) {
            // A text's mark is a NaN too.
            if (KeyBits(v) == bits && !m_nodes[(size_t)slot.node].entry.key.IsString()) {
                *best = (int64_t)i;
                return true;
            }
            continue;
        }
        if (!DS_NarrowedEqual(v, value)) continue;
        double distance = std::fabs((double)v - value);
        if (*best < 0 || distance < *nearest || (distance == *nearest && slot.node < m_slots[(size_t)*best].node)) {
            *best = (int64_t)i;
            *nearest = distance;
        }
    }
    return false;
}

__attribute__((always_inline)) inline int64_t CDS_Map::FindRealSlot(const TaggedValue& key) const
{
    Refresh();
    RealPlace p(key, m_reals);
    int64_t best = -1;
    double nearest = 0;
    if (NearestInBucket(p.Hash(p.bucket), p.value, p.bits, &best, &nearest) || p.exact) return best;
    const double margin = 1e-3;
    if (p.within < 0.5 + margin && NearestInBucket(p.Hash(p.bucket - 1), p.value, p.bits, &best, &nearest)) return best;
    if (p.within > 0.5 - margin) NearestInBucket(p.Hash(p.bucket + 1), p.value, p.bits, &best, &nearest);
    return best;
}

inline int64_t CDS_Map::FindSlot(const TaggedValue& key) const
{
    if (m_slots.empty()) return -1;
    return key.IsString() ? FindTextSlot(key, key.TextHash()) : FindRealSlot(key);
}

int32_t CDS_Map::ProbeNode(const TaggedValue& key) const
{
    int64_t slot = FindSlot(key);
    return slot < 0 ? -1 : m_slots[(size_t)slot].node;
}

size_t CDS_Map::HomeOf(const TaggedValue& key) const
{
    // A text keeps its hash: a key written in the code is hashed once.
    return key.IsString() ? TextHome(key.TextHash()) : RealHome(RealPlace(key, m_reals).Hash());
}

size_t CDS_Map::SlotHome(const Slot& slot) const
{
    if (slot.key == slot.key) return RealHome(RealPlace(slot.key, m_reals).Hash());
    // A text, or a real NaN.
    return HomeOf(m_nodes[(size_t)slot.node].entry.key);
}

void CDS_Map::IndexInsert(int32_t node) const
{
    const TaggedValue& key = m_nodes[(size_t)node].entry.key;
    size_t i = HomeOf(key);
    while (m_slots[i].node >= 0) i = (i + 1) & m_mask;
    m_slots[i] = Slot{node, key.IsString() ? TextKey(key.TextHash()) : DS_Narrow(key.GetReal())};
}

std::vector<CDS_Map::Slot> CDS_Map::EmptyIndex(size_t entries)
{
    size_t size = 16;
    while (size < 2 * entries) size *= 2;
    return std::vector<Slot>(size, Slot{-1, 0});
}

void CDS_Map::Reindex(std::vector<Slot> index) const
{
    m_generation = DS_PrecisionGeneration;
    m_reals = ScaleOfPrecision();
    m_slots.swap(index);
    m_mask = m_slots.size() - 1;
    m_shift = 32 - __builtin_ctzll(m_slots.size());
    for (size_t i = 0; i < m_nodes.size(); i++)
        if (m_nodes[i].live) IndexInsert((int32_t)i);
}

// Without the memory for it the holes simply stay.
void CDS_Map::Compact()
{
    std::vector<Node> nodes;
    std::vector<Slot> index;
    if (!MemoryManager_Try([&] {
            nodes.reserve(m_count);
            index = EmptyIndex((size_t)m_count + 1);
        }))
        return;
    for (int32_t i = m_first; i >= 0; i = m_nodes[i].next) {
        Node& n = m_nodes[i];
        int32_t at = (int32_t)nodes.size();
        nodes.push_back({std::move(n.entry), at - 1, -1, true});
        if (at > 0) nodes[at - 1].next = at;
    }
    m_nodes.swap(nodes);
    m_first = m_nodes.empty() ? -1 : 0;
    m_last = (int32_t)m_nodes.size() - 1;
    Reindex(std::move(index));
}

void CDS_Map::Clear()
{
    NewVersion();
    std::vector<Node>().swap(m_nodes);
    std::vector<Slot>().swap(m_slots);
    m_mask = 0;
    m_first = m_last = -1;
    m_count = 0;
}

void CDS_Map::Assign(const CDS_Map& other)
{
    if (this == &other) return;
    std::vector<Node> nodes(other.m_nodes);
    std::vector<Slot> slots(other.m_slots);
    NewVersion();
    m_nodes.swap(nodes);
    m_slots.swap(slots);
    m_mask = other.m_mask;
    m_shift = other.m_shift;
    m_generation = other.m_generation;
    m_reals = other.m_reals;
    m_first = other.m_first;
    m_last = other.m_last;
    m_count = other.m_count;
}

void CDS_Map::Append(const TaggedValue& key, const TaggedValue& value)
{
    Refresh();
    // The copies are made before the store may move: the key or value may be one of its entries.
    // Every new block (the node's room, a larger index) is made before the map changes.
    Node node{{key, value}, m_last, -1, true};
    std::vector<Slot> index;
    if (2 * ((size_t)m_count + 1) > m_slots.size()) index = EmptyIndex((size_t)m_count + 2);
    int32_t at = (int32_t)m_nodes.size();
    NewVersion();
    m_nodes.push_back(std::move(node));
    if (m_last >= 0) m_nodes[m_last].next = at;
    else m_first = at;
    m_last = at;
    m_count++;
    if (!index.empty()) Reindex(std::move(index));
    else IndexInsert(at);
}

bool CDS_Map::Add(const TaggedValue& key, const TaggedValue& value)
{
    if (FindSlot(key) >= 0) return false;
    Append(key, value);
    return true;
}

bool CDS_Map::AddDistinct(const TaggedValue& key, const TaggedValue& value)
{
    if (!m_slots.empty() && key.IsString() && FindTextSlot(key, key.TextHash()) >= 0) return false;
    if (!m_slots.empty() && !key.IsString()) {
        // The very real lies in the run from its own bucket's home, with the same narrowed bits.
        Refresh();
        RealPlace p(key, m_reals);
        double real = key.GetReal();
        for (size_t i = RealHome(p.Hash()); m_slots[i].node >= 0; i = (i + 1) & m_mask) {
            const Slot& slot = m_slots[i];
            const TaggedValue& stored = m_nodes[(size_t)slot.node].entry.key;
            if (KeyBits(slot.key) != p.bits || stored.IsString()) continue;
            double other = stored.GetReal();
            if (other == real || (other != other && real != real && memcmp(&other, &real, sizeof real) == 0)) return false;
        }
    }
    Append(key, value);
    return true;
}

bool CDS_Map::ReplaceOrAdd(const TaggedValue& key, const TaggedValue& value)
{
    int32_t node = FindNode(key);
    if (node >= 0) {
        m_nodes[(size_t)node].entry.value = value;
        return true;
    }
    Append(key, value);
    return false;
}

void CDS_Map::Delete(const TaggedValue& key)
{
    int64_t found = FindSlot(key);
    if (found < 0) return;
    NewVersion();
    Node& n = m_nodes[m_slots[found].node];

    // Backward-shift deletion: each later slot of the run moves into the gap unless its key's
    // home lies cyclically after the gap, so that no probe meets a free slot too early.
    size_t mask = m_mask;
    size_t gap = (size_t)found;
    for (size_t j = (gap + 1) & mask; m_slots[j].node >= 0; j = (j + 1) & mask) {
        size_t home = SlotHome(m_slots[j]);
        if (((j - home) & mask) >= ((j - gap) & mask)) {
            m_slots[gap] = m_slots[j];
            gap = j;
        }
    }
    m_slots[gap] = Slot{-1, 0};

    if (n.prev >= 0) m_nodes[n.prev].next = n.next;
    else m_first = n.next;
    if (n.next >= 0) m_nodes[n.next].prev = n.prev;
    else m_last = n.prev;
    n.live = false;
    n.entry = Entry();  // releases the texts now
    m_count--;
    if (m_nodes.size() - m_count > (size_t)m_count) Compact();
}

const TaggedValue* CDS_Map::First() const
{
    return m_first < 0 ? nullptr : &m_nodes[m_first].entry.key;
}

const TaggedValue* CDS_Map::Last() const
{
    return m_last < 0 ? nullptr : &m_nodes[m_last].entry.key;
}

const TaggedValue* CDS_Map::Next(const TaggedValue& key) const
{
    int32_t node = FindNode(key);
    if (node < 0 || m_nodes[node].next < 0) return nullptr;
    return &m_nodes[m_nodes[node].next].entry.key;
}

const TaggedValue* CDS_Map::Previous(const TaggedValue& key) const
{
    int32_t node = FindNode(key);
    if (node < 0 || m_nodes[node].prev < 0) return nullptr;
    return &m_nodes[m_nodes[node].prev].entry.key;
}

int CDS_Map_CreateFromList(int count, ...)
{
    CDS_Map* map = new (std::nothrow) CDS_Map;
    if (!map) return -1;
    va_list args;
    va_start(args, count);
    for (int i = 0; i < count; i++) {
        const char* key = va_arg(args, const char*);
        double real = va_arg(args, double);
        const char* text = va_arg(args, const char*);
        TaggedValue value(real);
        if (text) value.SetString(text);
        map->Add(TaggedValue(key), value);
    }
    va_end(args);
    return DS_Map_NewSlot(map);
}
