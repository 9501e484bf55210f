// The font table: fonts of the game data file and fonts made at run time, by index.
#pragma once
#include "Font/Font_Class.h"
#include "Runner/GameFile.h"

// Deletes every font and name (before a game data file is read).
void Font_Clear();
// Reads the FONT chunk: a list of font records and, in its last 512 bytes, the table of 256
// character codes that sprite fonts take their characters from. False (with the table empty)
// when the chunk is damaged.
bool Font_Load(GameFileReader chunk);
// Makes the textures of the fonts (after the graphics device starts).
void Font_InitTextures();
// Frees every font's texture and empties the table (shut-down).
void Font_Free();

int Font_Count();
bool Font_Exists(int index);
CFontBV* Font_Get(int index);              // null for a bad index or an empty slot
const char* Font_GetName(int index);       // "<undefined>" for a bad index or an empty slot
int Font_Find(const char* name);           // the lowest index with that name, else -1

// Run-time fonts are named "__newfont" + their index. The sprite variants take the characters
// of the frames from the code table (first + frame; first + frame itself outside the table or
// without a FONT chunk), from first + frame directly (replace) or from a UTF-8 map (ext).
int Font_Add(const char* face, int size, bool bold, bool italic, int first, int last);
bool Font_Replace(int index, const char* face, int size, bool bold, bool italic, int first, int last);
int Font_AddSprite(int sprite, int first, bool proportional, int separation);
int Font_AddSpriteExt(int sprite, const char* characters, bool proportional, int separation);
bool Font_ReplaceSprite(int index, int sprite, int first, bool proportional, int separation);
bool Font_ReplaceSpriteExt(int index, int sprite, const char* characters, bool proportional, int separation);
bool Font_Delete(int index);
