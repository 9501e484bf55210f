// The data structures' fast paths for the byte-code machine and the ds_ built-ins.
#pragma once
#include "Support/DataStructures.h"
#include "Variable/Arguments.h"

// The common case of the built-ins that code calls most, inline in the code machine, which
// makes their calls without going through the table: each does what its built-in does, giving
// the built-in's result in *result (which may be one of the arguments), and returns true; or
// returns false having changed nothing when the built-in has something to report (an index
// that names no structure of its kind, a cell outside the grid) or to add (a key new to the map,
// which takes memory that may not be there).
__attribute__((always_inline)) inline bool DS_Fast_MapFindValue(const TaggedValue& map, const TaggedValue& key, TaggedValue* result)
{
    const CDS_Map* m = DS_Map_Find(Arg_I(map));
    if (!m) return false;
    const CDS_Map::Entry* e = m->Find(key);
    if (!e) {
        result->SetReal(0.0);
        return true;
    }
    *result = e->value;
    // A nesting mark reads as a plain real here.
    result->kind &= VALUE_KIND_MASK;
    return true;
}

__attribute__((always_inline)) inline bool DS_Fast_MapReplace(const TaggedValue& map, const TaggedValue& key, const TaggedValue& value,
                               TaggedValue* result)
{
    CDS_Map* m = DS_Map_Find(Arg_I(map));
    CDS_Map::Entry* e = m ? m->Find(key) : nullptr;
    if (!e) return false;
    e->value = value;
    result->SetReal(1.0);
    return true;
}

// The entry of a key the caller always gives the same (a text written in the code), through the
// cache of the caller's own: the entry found last while the map keeps the version it was found
// in, else found and kept. Null when the key is not there.
__attribute__((noinline)) inline CDS_Map::Entry* DS_Fast_MapEntryFound(CDS_Map* m, const TaggedValue& key, DS_MapCache* cache)
{
    CDS_Map::Entry* e = m->Find(key);
    if (e) *cache = {m->Version(), e};
    return e;
}

__attribute__((always_inline)) inline CDS_Map::Entry* DS_Fast_MapEntry(CDS_Map* m, const TaggedValue& key, DS_MapCache* cache)
{
    if (__builtin_expect(m->Version() == cache->version, 1)) {
        CDS_Map::Entry* e = cache->entry;
        if (!e) __builtin_unreachable();  // a cache holds only entries found
        return e;
    }
    return DS_Fast_MapEntryFound(m, key, cache);
}

inline bool DS_Fast_ListFindValue(const TaggedValue& list, const TaggedValue& position, TaggedValue* result)
{
    const CDS_List* l = DS_List_Find(Arg_I(list));
    if (!l) return false;
    const TaggedValue* v = l->Get(Arg_I(position));
    if (v) *result = *v;
    else result->SetReal(0.0);
    return true;
}

// The cell (x, y) of a grid; null when there is no such grid or cell.
inline TaggedValue* DS_Fast_GridCell(const TaggedValue& grid, const TaggedValue& x, const TaggedValue& y)
{
    CDS_Grid* g = DS_Grid_Find(Arg_I(grid));
    if (!g) return nullptr;
    int cx = Arg_I(x), cy = Arg_I(y);
    if (cx < 0 || cy < 0 || cx >= g->Width() || cy >= g->Height()) return nullptr;
    return &g->At(cx, cy);
}

inline bool DS_Fast_GridGet(const TaggedValue& grid, const TaggedValue& x, const TaggedValue& y, TaggedValue* result)
{
    const TaggedValue* cell = DS_Fast_GridCell(grid, x, y);
    if (!cell) return false;
    *result = *cell;
    return true;
}

// ds_grid_set, whose result is always the real 0.
inline bool DS_Fast_GridSet(const TaggedValue& grid, const TaggedValue& x, const TaggedValue& y, const TaggedValue& value)
{
    TaggedValue* cell = DS_Fast_GridCell(grid, x, y);
    if (!cell) return false;
    *cell = value;
    return true;
}
