// The background table: backgrounds by index, with their names. Deleting leaves an empty slot;
// backgrounds made while the game runs are named "__newbackground" and their index.
#pragma once
#include "Background/Background_Class.h"

struct GameFileReader;

// Empties the table (before a game data file is read).
void Background_Clear();
// The BGND payload: u32 count, then offsets of records (0: an empty slot). False, with the table
// empty, when the payload or a record is damaged.
bool Background_Load(GameFileReader payload);
// Makes the textures of run-time backgrounds once the graphics device has started.
void Background_InitTextures();
// Shut-down.
void Background_Free();

int Background_Count();
bool Background_Exists(int index);
CBackground* Background_Get(int index);  // null out of range or for an empty slot
// "<undefined>" for a bad index or an empty slot.
const char* Background_GetName(int index);
int Background_Find(const char* name);
// A PNG file from the save folder, else the program folder: the new index, -1 (table unchanged)
// when the file is in neither or holds no PNG image. Replacing with such a file changes nothing.
int Background_Add(const char* fileName, bool transparent, bool smooth, bool preload);
bool Background_Replace(int index, const char* fileName, bool transparent, bool smooth, bool preload);
int Background_AddAlpha(const char* fileName, bool preload);
bool Background_ReplaceAlpha(int index, const char* fileName, bool preload);
int Background_AddEmpty();
// Takes a background made by the caller into a new index; -1 (the background deleted) when the
// table cannot grow.
int Background_AddMade(CBackground* background);
int Background_Duplicate(int index);
bool Background_Assign(int target, int source);
bool Background_Delete(int index);
