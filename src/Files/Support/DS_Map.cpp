#include "Support/DataStructures.h"
#include "Base/MemoryManager.h"

#include <cstdarg>
#include <cstring>
#include <new>

namespace {

// The bits that identify a key that is not a string.
uint64_t RealBits(const TaggedValue& key)
{
    double v = key.GetReal();
    if (v == 0.0) v = 0.0;  // -0 and 0 are one key
    uint64_t bits;
    memcpy(&bits, &v, sizeof bits);
    return bits;
}

// Spreads every input bit over the low bits that pick the slot (whole numbers differ mostly in
// the high bits of their doubles).
uint64_t Mix(uint64_t x)
{
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9u;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBu;
    return x ^ (x >> 31);
}

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
}

inline uint32_t CDS_Map::HashOf(const TaggedValue& key)
{
    // A text keeps its hash: a key written in the code is hashed once.
    if (key.IsString()) return key.TextHash();
    return (uint32_t)Mix(RealBits(key));
}

bool CDS_Map::SameKey(const TaggedValue& a, const TaggedValue& b)
{
    bool text = a.IsString();
    if (text != b.IsString()) return false;
    return text ? SameText(a, b) : RealBits(a) == RealBits(b);
}

template <class Same>
inline int64_t CDS_Map::Probe(uint32_t hash, Same same) const
{
    // The table is never more than half full, so a free slot ends every probe.
    const Slot* slots = m_slots.data();
    size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& s = slots[i];
        if (s.node < 0) return -1;
        if (s.hash == hash && same(m_nodes[(size_t)s.node].entry.key)) return (int64_t)i;
    }
}

int64_t CDS_Map::FindTextSlot(const TaggedValue& key, uint32_t hash) const
{
    return Probe(hash, [&](const TaggedValue& stored) { return stored.IsString() && SameText(stored, key); });
}

// Real keys, the common case, compare by bits worked out once, in a loop that calls nothing.
inline int64_t CDS_Map::FindRealSlot(uint64_t bits, uint32_t hash) const
{
    return Probe(hash, [bits](const TaggedValue& stored) { return !stored.IsString() && RealBits(stored) == bits; });
}

int64_t CDS_Map::FindSlot(const TaggedValue& key, uint32_t hash) const
{
    if (m_slots.empty()) return -1;
    if (key.IsString()) return FindTextSlot(key, hash);
    return FindRealSlot(RealBits(key), hash);
}

int32_t CDS_Map::ProbeNode(const TaggedValue& key) const
{
    if (m_slots.empty()) return -1;
    int64_t slot;
    if (key.IsString()) {
        slot = FindTextSlot(key, key.TextHash());
    } else {
        uint64_t bits = RealBits(key);
        slot = FindRealSlot(bits, (uint32_t)Mix(bits));
    }
    return slot < 0 ? -1 : m_slots[(size_t)slot].node;
}

void CDS_Map::IndexInsert(uint32_t hash, int32_t node)
{
    size_t mask = m_slots.size() - 1;
    size_t i = hash & mask;
    while (m_slots[i].node >= 0) i = (i + 1) & mask;
    m_slots[i] = {hash, node};
}

std::vector<CDS_Map::Slot> CDS_Map::EmptyIndex(size_t entries)
{
    size_t size = 16;
    while (size < 2 * entries) size *= 2;
    return std::vector<Slot>(size, Slot{0, -1});
}

void CDS_Map::Reindex(std::vector<Slot> index)
{
    m_slots.swap(index);
    for (size_t i = 0; i < m_nodes.size(); i++)
        if (m_nodes[i].live) IndexInsert(m_nodes[i].hash, (int32_t)i);
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
        nodes.push_back({std::move(n.entry), n.hash, at - 1, -1, true});
        if (at > 0) nodes[at - 1].next = at;
    }
    m_nodes.swap(nodes);
    m_first = m_nodes.empty() ? -1 : 0;
    m_last = (int32_t)m_nodes.size() - 1;
    Reindex(std::move(index));
}

void CDS_Map::Clear()
{
    std::vector<Node>().swap(m_nodes);
    std::vector<Slot>().swap(m_slots);
    m_first = m_last = -1;
    m_count = 0;
}

void CDS_Map::Assign(const CDS_Map& other)
{
    if (this == &other) return;
    std::vector<Node> nodes(other.m_nodes);
    std::vector<Slot> slots(other.m_slots);
    m_nodes.swap(nodes);
    m_slots.swap(slots);
    m_first = other.m_first;
    m_last = other.m_last;
    m_count = other.m_count;
}

void CDS_Map::Append(const TaggedValue& key, const TaggedValue& value, uint32_t hash)
{
    // The copies are made before the store may move: the key or value may be one of its entries.
    // Every new block (the node's room, a larger index) is made before the map changes.
    Node node{{key, value}, hash, m_last, -1, true};
    std::vector<Slot> index;
    if (2 * ((size_t)m_count + 1) > m_slots.size()) index = EmptyIndex((size_t)m_count + 2);
    int32_t at = (int32_t)m_nodes.size();
    m_nodes.push_back(std::move(node));
    if (m_last >= 0) m_nodes[m_last].next = at;
    else m_first = at;
    m_last = at;
    m_count++;
    if (!index.empty()) Reindex(std::move(index));
    else IndexInsert(hash, at);
}

bool CDS_Map::Add(const TaggedValue& key, const TaggedValue& value)
{
    uint32_t hash = HashOf(key);
    if (FindSlot(key, hash) >= 0) return false;
    Append(key, value, hash);
    return true;
}

bool CDS_Map::ReplaceOrAdd(const TaggedValue& key, const TaggedValue& value)
{
    int32_t node = FindNode(key);
    if (node >= 0) {
        m_nodes[(size_t)node].entry.value = value;
        return true;
    }
    Append(key, value, HashOf(key));
    return false;
}

void CDS_Map::Delete(const TaggedValue& key)
{
    int64_t found = FindSlot(key, HashOf(key));
    if (found < 0) return;
    Node& n = m_nodes[m_slots[found].node];

    // Backward-shift deletion: each later slot of the run moves into the gap unless its key's
    // home lies cyclically after the gap, so that no probe meets a free slot too early.
    size_t mask = m_slots.size() - 1;
    size_t gap = (size_t)found;
    for (size_t j = (gap + 1) & mask; m_slots[j].node >= 0; j = (j + 1) & mask) {
        size_t home = m_slots[j].hash & mask;
        if (((j - home) & mask) >= ((j - gap) & mask)) {
            m_slots[gap] = m_slots[j];
            gap = j;
        }
    }
    m_slots[gap].node = -1;

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
