// The ds_ built-ins: stacks, queues, lists, maps, priority queues and grids named by index.
#pragma once
#include "Variable/Value.h"

void Function_DataStructures_Init();

// The common case of the built-ins that code calls most, which the code machine makes without a
// call through the table: each does what its built-in does, giving the built-in's result in
// *result (which may be one of the arguments), and returns true; or returns false having
// changed nothing when the built-in has something to report (an index that names no structure
// of its kind, a cell outside the grid).
bool DS_Fast_MapFindValue(const TaggedValue& map, const TaggedValue& key, TaggedValue* result);
bool DS_Fast_MapReplace(const TaggedValue& map, const TaggedValue& key, const TaggedValue& value, TaggedValue* result);
bool DS_Fast_ListFindValue(const TaggedValue& list, const TaggedValue& position, TaggedValue* result);
bool DS_Fast_GridGet(const TaggedValue& grid, const TaggedValue& x, const TaggedValue& y, TaggedValue* result);
// ds_grid_set, whose result is always the real 0.
bool DS_Fast_GridSet(const TaggedValue& grid, const TaggedValue& x, const TaggedValue& y, const TaggedValue& value);
