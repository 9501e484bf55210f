// The extension packages of the game: read from the EXTN chunk, prepared before code compiles
// (their library functions defined), and found and called by scripts under function ids from
// 500000 on. Their initialisation functions run when the game starts, their finalisation
// functions when it ends.
#pragma once
#include "Runner/GameFile.h"
#include "Variable/Value.h"

class CInstance;
class CExtensionPackage;

// Reads the EXTN chunk into the package table (replacing it) and connects the script engine's
// calls of extension functions; false when the chunk is damaged.
bool Extension_LoadChunk(GameFileReader chunk);
// Empties the package table and the function tables.
void Extension_Clear();
// Drops the packages kept out of games ("QuenbyGames" folder) and defines the functions of every
// library file of the others, found in the program folder.
void Extension_Prepare();

int Extension_PackageCount();
// Null for an empty or dropped slot.
const CExtensionPackage* Extension_GetPackage(int index);

// The id of the first function with exactly that name (packages, files and functions in order)
// whose id is 0 or more; -1 when none.
int Extension_FindFunctionId(const char* name);
// The name of the first function with that id whose name is not empty; null when none.
const char* Extension_GetFunctionName(int id);
// Calls function id; false (LastErrorText set) for an id outside the prepared tables.
bool Extension_CallDLL(int id, int argc, TaggedValue* args, TaggedValue* result);
bool Extension_Call(int id, CInstance* self, CInstance* other, int argc, TaggedValue* args, TaggedValue* result);

// Run the initialisation (finalisation) function of each file that names one: a game script of
// that name, else a library function of the package. False after a fatal error report (the
// script failed, or the package has no such function). Finalisation runs once, and only after
// an initialisation that succeeded.
bool Extension_Initialise();
bool Extension_Finalise();
