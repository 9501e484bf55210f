// The path table: paths by index with their names; deleting leaves an empty slot.
#pragma once
#include "Path/Path_Class.h"

struct GameFileReader;

bool Path_Exists(int index);
const char* Path_GetName(int index);  // "<undefined>" when missing
CPath* Path_Get(int index);            // null when missing
int Path_Count();
int Path_Find(const char* name);       // -1 when no path has that name
int Path_Add();                        // a new empty path named "__newpath" plus its index
bool Path_Delete(int index);
int Path_Duplicate(int index);         // -1 when the source is missing
bool Path_Assign(int target, int source);
void Path_Clear();
// Reads the PATH chunk (see docs/gamefile.md); false on a damaged record.
bool Path_Load(GameFileReader chunk);
