// The data structures that scripts name by index: stacks, queues, lists, maps, priority queues and
// grids, their value comparison, their text forms and the slot tables that own them.
// Every stored value is a copy of the caller's TaggedValue, kind word included (nesting marks too).
//
// The operations that add (push, enqueue, add, insert, copy, resize) throw std::bad_alloc when memory
// runs out and then leave the structure as it was; the built-ins run them through
// MemoryManager_Try, which turns that into the game's error. Nothing else here throws.
#pragma once
#include "Variable/Value.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <vector>

// The tolerance within which two reals compare equal; set through DS_SetPrecision.
extern double DS_Precision;
// Stores the absolute value of the argument.
void DS_SetPrecision(double precision);
// Counts the changes of the precision, so that what is built on it (the index of a map) is rebuilt.
extern uint64_t DS_PrecisionGeneration;
// A real as the comparison takes it: in single precision, beyond its range an infinity (a plain
// conversion would be undefined).
inline float DS_Narrow(double v)
{
    // One test for the common case; a NaN fails it too and narrows as itself.
    if (__builtin_expect(!(std::fabs(v) <= FLT_MAX), 0)) {
        if (v > FLT_MAX) return INFINITY;
        if (v < -FLT_MAX) return -INFINITY;
    }
    return (float)v;
}
// Whether two reals so narrowed compare equal under the precision: equal values are equal even
// with precision 0, and so are two equal infinities (whose difference is not a number).
inline bool DS_NarrowedEqual(float a, float b)
{
    return a == b || std::fabs(a - b) < DS_Precision;
}

// The comparison of every find, search and sort: two reals (narrowed to single precision) are 0
// when their difference is below the precision (or exactly 0), else -1 or 1; two strings compare
// by bytes; any other pair, or a string without text, is unequal (1).
int DS_CompareValues(const TaggedValue* a, const TaggedValue* b);

// Replaces the contents with a copy of the source's, made whole before the old ones go.
template <class Container>
void DS_AssignCopy(Container& to, const Container& from)
{
    Container copy(from);
    to.swap(copy);
}

class CDS_Stack {
public:
    virtual ~CDS_Stack() = default;
    void Clear() { m_values.clear(); }
    void Assign(const CDS_Stack& other) { DS_AssignCopy(m_values, other.m_values); }
    int Size() const { return (int)m_values.size(); }
    bool Empty() const { return m_values.empty(); }
    void Push(const TaggedValue& value) { m_values.push_back(value); }
    bool Pop(TaggedValue* out);
    const TaggedValue* Top() const { return m_values.empty() ? nullptr : &m_values.back(); }
    // Bottom first.
    std::vector<TaggedValue> m_values;
};

class CDS_Queue {
public:
    virtual ~CDS_Queue() = default;
    void Clear() { m_values.clear(); }
    void Assign(const CDS_Queue& other) { DS_AssignCopy(m_values, other.m_values); }
    int Size() const { return (int)m_values.size(); }
    bool Empty() const { return m_values.empty(); }
    void Enqueue(const TaggedValue& value) { m_values.push_back(value); }
    bool Dequeue(TaggedValue* out);
    const TaggedValue* Head() const { return m_values.empty() ? nullptr : &m_values.front(); }
    const TaggedValue* Tail() const { return m_values.empty() ? nullptr : &m_values.back(); }
    // Head first.
    std::deque<TaggedValue> m_values;
};

class CDS_List {
public:
    virtual ~CDS_List() = default;
    void Clear() { m_values.clear(); }
    void Assign(const CDS_List& other) { DS_AssignCopy(m_values, other.m_values); }
    int Size() const { return (int)m_values.size(); }
    bool Empty() const { return m_values.empty(); }
    void Add(const TaggedValue& value) { m_values.push_back(value); }
    // Positions outside 0..size (insert) or 0..size-1 (replace, delete) change nothing.
    bool Insert(int position, const TaggedValue& value);
    bool Replace(int position, const TaggedValue& value);
    bool Delete(int position);
    int FindIndex(const TaggedValue& value) const;  // -1 when none compares equal
    const TaggedValue* Get(int position) const;      // null outside 0..size-1
    // A stable merge sort: the comparison is not a strict order, so a pair it cannot order keeps
    // its places.
    void Sort(bool ascending);
    void Shuffle();
    std::vector<TaggedValue> m_values;
};

// Keys are the same as the comparison has it: two strings of equal bytes, or two keys that are not
// strings (a value of neither kind reads as real 0) whose reals compare equal under the
// precision, so that a key computed as 0.1 + 0.2 finds the key 0.3 (a NaN, equal to nothing,
// finds the NaN of its own bits). Of several stored keys within the precision of a real, the
// nearest is found (of two as near, the one added first). Lookups hash the key itself and
// allocate nothing.
class CDS_Map {
public:
    struct Entry {
        TaggedValue key;
        TaggedValue value;
    };

private:
    // The entries sit in insertion order; a deleted one stays as a hole, unlinked, until the
    // holes outnumber the entries and the store is compacted.
    struct Node {
        Entry entry;
        int32_t prev, next;  // neighbouring entries in insertion order, -1 at either end
        bool live;
    };
    // The index: open addressing with linear probing over a power-of-two table, never more than
    // half full. Strings are hashed by their text; reals by the bucket of the precision they fall
    // in, so that keys that compare equal lie in one bucket or the next (DS_Map.cpp). A slot is
    // 8 bytes, so that more of a large map's index stays in the processor's caches: the hash is
    // worked out again from the key where it is needed (moving slots on a delete).
    struct Slot {
        int32_t node;  // -1 when the slot is free
        // A real key narrowed, compared in place; for a text, TextKey of its hash; 0 when free.
        float key;
    };
    // A NaN made of the hash's sign and low bits: no real lookup meets it.
    static float TextKey(uint32_t hash)
    {
        uint32_t bits = 0x7FC00000u | hash;
        float key;
        memcpy(&key, &bits, sizeof key);
        return key;
    }
    static bool SameBits(float a, float b) { return memcmp(&a, &b, sizeof a) == 0; }
    // The bits of a narrowed real; -0 and 0 are one key.
    static uint32_t KeyBits(float v)
    {
        uint32_t bits;
        memcpy(&bits, &v, sizeof bits);
        return bits << 1 ? bits : 0;
    }
    // How reals are placed under a precision P: scale is 1 / the width of a bucket (2P); reals
    // of exactFrom or more in magnitude (and NaN) are exact, their bucket the value itself.
    struct RealScale {
        double scale = 0;
        float exactFrom = 0;
    };
    // The scale of the precision of now, with the least single-precision real (in magnitude)
    // whose place in buckets is 2^26 or more (infinity when none is finite).
    static RealScale ScaleOfPrecision();
    // Where a real key lies in the index. Reals that compare equal lie less than the precision P
    // apart, so reals are indexed by buckets 2P wide: a key's equals lie in its own bucket and the
    // neighbour on the side its place in the bucket is nearer (both when it is near the middle,
    // which covers the rounding of single precision and of the scale). Where single precision is
    // coarser than P only equal reals compare equal, and the bucket is the value itself: from 2^26
    // buckets (2^27 P) on, neighbouring reals of single precision lie 4P apart or more, and for P
    // 0. With the usual precisions that holds for most whole numbers, which so skip the bucket's
    // arithmetic: one comparison with the bound worked out with the scale tells them.
    struct RealPlace {
        float value;
        uint32_t bits;
        bool exact;
        int64_t bucket = 0;
        double within = 0;  // the place in the bucket, 0..1

        RealPlace(const TaggedValue& key, const RealScale& reals) : RealPlace(DS_Narrow(key.GetReal()), reals) {}
        RealPlace(float narrowed, const RealScale& reals)
            : value(narrowed), bits(KeyBits(narrowed)), exact(!(std::fabs(narrowed) < reals.exactFrom))
        {
            if (__builtin_expect(exact, 1)) return;
            double t = (double)value * reals.scale;
            bucket = (int64_t)t;
            bucket -= (double)bucket > t;
            within = t - (double)bucket;
        }
        // Fibonacci hashing: the high half of the product draws on every bit of the bucket.
        uint32_t Hash() const { return Hash(bucket); }
        uint32_t Hash(int64_t b) const { return (uint32_t)(((exact ? bits : (uint64_t)b) * 0x9E3779B97F4A7C15u) >> 32); }
    };

public:
    // Entries in insertion order, for range-for.
    class Range {
    public:
        class Iterator {
        public:
            Iterator(const Node* nodes, int32_t at) : m_nodes(nodes), m_at(at) {}
            const Entry& operator*() const { return m_nodes[m_at].entry; }
            const Entry* operator->() const { return &m_nodes[m_at].entry; }
            Iterator& operator++() { m_at = m_nodes[m_at].next; return *this; }
            bool operator!=(const Iterator& other) const { return m_at != other.m_at; }
            bool operator==(const Iterator& other) const { return m_at == other.m_at; }

        private:
            const Node* m_nodes;
            int32_t m_at;
        };
        Range(const Node* nodes, int32_t first) : m_nodes(nodes), m_first(first) {}
        Iterator begin() const { return Iterator(m_nodes, m_first); }
        Iterator end() const { return Iterator(m_nodes, -1); }

    private:
        const Node* m_nodes;
        int32_t m_first;
    };

    CDS_Map();
    CDS_Map(const CDS_Map& other) : CDS_Map() { Assign(other); }
    CDS_Map& operator=(const CDS_Map& other) { Assign(other); return *this; }
    virtual ~CDS_Map() = default;
    void Clear();
    void Assign(const CDS_Map& other);
    int Size() const { return m_count; }
    bool Empty() const { return m_count == 0; }
    bool Add(const TaggedValue& key, const TaggedValue& value);         // false when the key is present
    // As Add, but false only when the very key is present (the same text, or the same real to the
    // bit): keys that merely compare equal are both kept, so that a map written under one
    // precision reads back whole under another.
    bool AddDistinct(const TaggedValue& key, const TaggedValue& value);
    bool ReplaceOrAdd(const TaggedValue& key, const TaggedValue& value); // true when it replaced
    void Delete(const TaggedValue& key);
    bool Exists(const TaggedValue& key) const { return FindNode(key) >= 0; }
    // The pointers these give stay valid until the map next changes.
    __attribute__((always_inline)) Entry* Find(const TaggedValue& key)
    {
        int32_t node = FindNode(key);
        return node < 0 ? nullptr : &m_nodes[(size_t)node].entry;
    }
    __attribute__((always_inline)) const Entry* Find(const TaggedValue& key) const
    {
        int32_t node = FindNode(key);
        return node < 0 ? nullptr : &m_nodes[(size_t)node].entry;
    }
    // Find for a key known to be a plain real (kind VALUE_REAL), which skips the checks of kind.
    __attribute__((always_inline)) const Entry* FindReal(const TaggedValue& key) const
    {
        return FindReal(key, DS_Narrow(key.val));
    }
    // The same, given the key's value narrowed (DS_Narrow), which a caller may have at hand sooner.
    __attribute__((always_inline)) const Entry* FindReal(const TaggedValue& key, float narrowed) const
    {
        int32_t node = FindRealNode(key, narrowed);
        return node < 0 ? nullptr : &m_nodes[(size_t)node].entry;
    }
    // Keys in insertion order; null when there is none.
    const TaggedValue* First() const;
    const TaggedValue* Last() const;
    const TaggedValue* Next(const TaggedValue& key) const;
    const TaggedValue* Previous(const TaggedValue& key) const;
    Range Entries() const { return Range(m_nodes.data(), m_first); }
    // Unique to this map for the life of the process (slots and addresses are reused).
    uint64_t Serial() const { return m_serial; }
    // Names the map's entries as they are now: a new one, never given before to this or any other
    // map, whenever an entry comes or goes or the entries move (a value replaced keeps it). So an
    // entry found under a version is the entry of its key while the map has that version.
    uint64_t Version() const { return m_version; }

private:
    // The index, rebuilt when the precision changes: lookups of the map's own const interface may
    // rebuild it, so it is mutable.
    __attribute__((noinline)) int64_t FindTextSlot(const TaggedValue& key, uint32_t hash) const;
    int64_t FindRealSlot(const TaggedValue& key) const;
    bool NearestInBucket(uint32_t hash, float value, uint32_t bits, int64_t* best, double* nearest) const;
    // The index slot that holds the key, or -1.
    int64_t FindSlot(const TaggedValue& key) const;
    // Inline for the lookups code makes in its hottest loops: a text written in the code is one
    // block wherever it is used, so a stored key of that block in the text's home slot is it; the
    // first slot of a real's bucket that holds its very value is what the whole probe finds.
    // Anything else takes the whole probe.
    __attribute__((always_inline)) int32_t FindNode(const TaggedValue& key) const
    {
        if (key.IsString()) {
            if (key.str && m_mask) {
                uint32_t hash = key.TextHash();
                const Slot& s = m_slots[TextHome(hash)];
                if (SameBits(s.key, TextKey(hash))) {  // never a free slot's
                    const TaggedValue& stored = m_nodes[(size_t)s.node].entry.key;
                    if (stored.str == key.str && stored.IsString()) return s.node;
                }
            }
            return ProbeNode(key);
        }
        return FindRealNode(key, DS_Narrow(key.GetReal()));
    }
    // FindNode's path for a key that is not a text, which reads as the real value, so narrowed.
    __attribute__((always_inline)) int32_t FindRealNode(const TaggedValue& key, float narrowed) const
    {
        if (__builtin_expect(m_mask && m_generation == DS_PrecisionGeneration, 1)) {
            RealPlace p(narrowed, m_reals);
            // A hit is the common case, laid out straight (a free slot's key may match: it ends
            // the probe all the same).
            for (size_t i = RealHome(p.Hash());; i = (i + 1) & m_mask) {
                const Slot& s = m_slots[i];
                if (__builtin_expect(s.key == p.value && s.node >= 0, 1)) return s.node;
                if (s.node < 0) break;
            }
        }
        return ProbeNode(key);
    }
    int32_t ProbeNode(const TaggedValue& key) const;
    // A hash's home slot. A text's hash mixes all its bits, so its low bits serve; a real's
    // Fibonacci hash spreads keys in steps (such as whole numbers) best by its top bits.
    size_t TextHome(uint32_t hash) const { return hash & m_mask; }
    size_t RealHome(uint32_t hash) const { return hash >> m_shift; }
    // The home slot of a key, or of the key of a slot.
    size_t HomeOf(const TaggedValue& key) const;
    size_t SlotHome(const Slot& slot) const;
    // Enters the node's key into the index.
    void IndexInsert(int32_t node) const;
    void Append(const TaggedValue& key, const TaggedValue& value);
    // An empty index with room for this many entries (never more than half full).
    static std::vector<Slot> EmptyIndex(size_t entries);
    // Makes the index (from EmptyIndex, large enough) the map's, holding every live entry under
    // the precision of now.
    void Reindex(std::vector<Slot> index) const;
    // Rebuilds the index when the precision has changed since it was built.
    void Refresh() const
    {
        if (m_generation != DS_PrecisionGeneration) Reindex(EmptyIndex((size_t)m_count + 1));
    }
    void Compact();
    std::vector<Node> m_nodes;
    mutable std::vector<Slot> m_slots;  // empty until the first entry
    mutable size_t m_mask = 0;          // m_slots.size() - 1; 0 without slots (there are 16 or more)
    mutable unsigned m_shift = 32;      // 32 - log2(m_slots.size())
    mutable uint64_t m_generation = UINT64_MAX;  // of the precision the index was built for
    mutable RealScale m_reals;                  // of the precision the index was built for
    int32_t m_first = -1, m_last = -1;
    int32_t m_count = 0;
    uint64_t m_serial;
    uint64_t m_version;
    void NewVersion();
};

// What a lookup by a constant text key found last: its entry in the map of that version
// (CDS_Map::Version, which no map has while version is 0).
struct DS_MapCache {
    uint64_t version = 0;
    CDS_Map::Entry* entry = nullptr;
};

class CDS_Priority {
public:
    struct Item {
        TaggedValue value;
        TaggedValue priority;
    };
    virtual ~CDS_Priority() = default;
    void Clear() { m_items.clear(); }
    void Assign(const CDS_Priority& other) { DS_AssignCopy(m_items, other.m_items); }
    int Size() const { return (int)m_items.size(); }
    bool Empty() const { return m_items.empty(); }
    void Add(const TaggedValue& value, const TaggedValue& priority) { m_items.push_back({value, priority}); }
    // The first item whose value compares equal.
    void ChangePriority(const TaggedValue& value, const TaggedValue& priority);
    const TaggedValue* FindPriority(const TaggedValue& value) const;
    void DeleteValue(const TaggedValue& value);
    // The value of the lowest / highest priority; of equal priorities, the first stored.
    const TaggedValue* FindMin() const;
    const TaggedValue* FindMax() const;
    bool DeleteMin(TaggedValue* out);
    bool DeleteMax(TaggedValue* out);
    std::vector<Item> m_items;

private:
    int MinIndex() const;
    int MaxIndex() const;
};

// Grid sizes above this many cells (4096 x 4096) are refused: a script's absurd size must not
// become a huge allocation, and a grid of reals must fit its own text form.
constexpr int64_t DS_GRID_MAX_CELLS = (int64_t)1 << 24;

enum DS_GridOp { DS_GRID_SET = 1, DS_GRID_ADD = 2, DS_GRID_MULTIPLY = 3 };

// A rectangle of cells clipped to a grid, bounds inclusive; an empty one is {0, 0, -1, -1}.
struct DS_Rect {
    int x1, y1, x2, y2;
};

class CDS_Grid {
public:
    // Negative sizes count as 0; a size that is not allowed or cannot be allocated makes a 0 x 0 grid.
    CDS_Grid(int width, int height);
    virtual ~CDS_Grid() = default;
    static bool SizeAllowed(int width, int height);
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void Assign(const CDS_Grid& other);
    // Keeps the cells that stay inside; new cells are real 0. False (unchanged) when the size is
    // not allowed or cannot be allocated (MemoryManager_Failed is then set).
    bool Resize(int width, int height);
    void Clear(const TaggedValue& value);
    // Single cells; outside the grid a line naming the grid's index goes to the debug console.
    const TaggedValue* Read(int index, int x, int y) const;
    void CellOp(int index, int op, int x, int y, const TaggedValue& value);
    void RegionOp(int op, int x1, int y1, int x2, int y2, const TaggedValue& value);
    void DiskOp(int op, double xm, double ym, double r, const TaggedValue& value);
    // Applies op with the source's rectangle placed with its corner at (xpos, ypos); the source
    // may be this grid, its values are read before any is written.
    void GridRegionOp(int op, const CDS_Grid& source, int x1, int y1, int x2, int y2, int xpos, int ypos);
    DS_Rect ClipRect(int x1, int y1, int x2, int y2) const;
    // Aggregates over real cells: sum, min (from 1e8), max (from -1e8), mean (0 without reals).
    enum Aggregate { SUM, MIN, MAX, MEAN };
    double RegionAggregate(Aggregate what, int x1, int y1, int x2, int y2) const;
    double DiskAggregate(Aggregate what, double xm, double ym, double r) const;
    // The first cell equal to the value, scanning x upwards and y upwards within each x.
    bool RegionFind(const TaggedValue& value, int x1, int y1, int x2, int y2, int* fx, int* fy) const;
    bool DiskFind(const TaggedValue& value, double xm, double ym, double r, int* fx, int* fy) const;
    void Shuffle();
    TaggedValue& At(int x, int y) { return m_cells[(size_t)y * m_width + x]; }
    const TaggedValue& At(int x, int y) const { return m_cells[(size_t)y * m_width + x]; }

private:
    static void Apply(int op, TaggedValue& cell, const TaggedValue& value);
    // Calls visit(x, y) for every cell of the disk, x outer, y inner.
    template <class Visit> bool ForDisk(double xm, double ym, double r, Visit visit) const;
    int m_width = 0;
    int m_height = 0;
    std::vector<TaggedValue> m_cells;  // by row: x + y * width
};

// Text forms: upper-case hex of a little-endian byte stream (docs/datastructures.md).
// A write fails, leaving out unchanged, when the text would exceed the longest string a value
// holds. A read checks the whole text first and changes the structure only when it is valid.
bool DS_WriteString(const CDS_Stack& s, TaggedValue* out);
bool DS_WriteString(const CDS_Queue& q, TaggedValue* out);
bool DS_WriteString(const CDS_List& l, TaggedValue* out);
bool DS_WriteString(const CDS_Map& m, TaggedValue* out);
bool DS_WriteString(const CDS_Priority& p, TaggedValue* out);
bool DS_WriteString(const CDS_Grid& g, TaggedValue* out);
bool DS_ReadString(CDS_Stack& s, const char* text);
bool DS_ReadString(CDS_Queue& q, const char* text);
bool DS_ReadString(CDS_List& l, const char* text);
bool DS_ReadString(CDS_Map& m, const char* text);
bool DS_ReadString(CDS_Priority& p, const char* text);
bool DS_ReadString(CDS_Grid& g, const char* text);

// Slot tables: an index names the structure in that slot; a new structure takes the first free
// slot. Find gives null for an index out of range or of a free slot. NewSlot takes ownership of
// a structure made by the caller and returns its index. Create and NewSlot give -1 (the structure
// freed, MemoryManager_Failed set) when memory ran out.
int DS_Stack_Create();
CDS_Stack* DS_Stack_Find(int index);
bool DS_Stack_Destroy(int index);
int DS_Queue_Create();
CDS_Queue* DS_Queue_Find(int index);
bool DS_Queue_Destroy(int index);
// The lists, maps and grids by index (null in a free slot): their lookups are inline, as code
// reads these structures in its hottest loops.
extern std::vector<CDS_List*> DS_ListSlots;
extern std::vector<CDS_Map*> DS_MapSlots;
extern std::vector<CDS_Grid*> DS_GridSlots;
template <class T>
inline T* DS_SlotFind(const std::vector<T*>& slots, int index)
{
    return (uint32_t)index < slots.size() ? slots[(uint32_t)index] : nullptr;
}
int DS_List_Create();
int DS_List_NewSlot(CDS_List* list);
inline CDS_List* DS_List_Find(int index) { return DS_SlotFind(DS_ListSlots, index); }
bool DS_List_Destroy(int index);
int DS_Map_Create();
int DS_Map_NewSlot(CDS_Map* map);
inline CDS_Map* DS_Map_Find(int index) { return DS_SlotFind(DS_MapSlots, index); }
bool DS_Map_Destroy(int index);
// Destroys the map at the index only when it is still the map of that serial (the slot may have
// been freed and reused since the caller took the index).
bool DS_Map_DestroyIfSame(int index, uint64_t serial);
int DS_Priority_Create();
CDS_Priority* DS_Priority_Find(int index);
bool DS_Priority_Destroy(int index);
// -1 when the size is above DS_GRID_MAX_CELLS or cannot be allocated.
int DS_Grid_Create(int width, int height);
inline CDS_Grid* DS_Grid_Find(int index) { return DS_SlotFind(DS_GridSlots, index); }
bool DS_Grid_Destroy(int index);
// Frees every structure and empties the tables (shut-down).
void DS_FreeAll();

// (count, then count triples: const char* key, double real, const char* text or null) makes a
// map holding each key with its text when given, else its real, stores it in a free map slot and
// returns the index.
int CDS_Map_CreateFromList(int count, ...);
