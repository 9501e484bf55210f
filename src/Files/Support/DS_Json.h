// JSON text and the data structures (json-c): a JSON object becomes a map, an array a list; a map
// or list held inside another is stored as its index with a nesting mark in the kind word
// (VALUE_MARK_MAP, VALUE_MARK_LIST).
#pragma once
#include "Variable/Value.h"

// Parses the text, which must hold a JSON object nested at most 32 levels deep (the innermost
// value counting as one), into new maps and lists (nested ones take their slots before their
// parent). A member that is null is left out; a null array element becomes real 0; true and
// false become 1 and 0. Returns the index of the new map, or -1 when the text does not parse.
int DS_Json_Decode(const char* text);
// Writes the map as JSON text into *out. Marked values whose index names a structure are written
// nested; a mark naming none, a structure already written in this text (a map that holds itself,
// say) and nesting beyond 64 levels are written as null. A real key is written as its integer
// part. False (out unchanged) when the index names no map.
bool DS_Json_Encode(int map, TaggedValue* out);
