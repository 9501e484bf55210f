// Loading the game data file: the chunk readers the loader calls, each of which returns false on a
// damaged payload, and the load itself.
#pragma once
#include "Runner/GameFile.h"

bool GameFile_LoadStrings(GameFileReader r);
bool GameFile_LoadHeader(GameFileReader r);
bool GameFile_LoadOptions(GameFileReader r);
// Hands a chunk to its reader: 1 read, 0 damaged, -1 no reader claims the tag.
int GameFile_DispatchChunk(const char* tag, GameFileReader r);
// Checks what spans chunks (parent chains, the room order) once all are read.
bool GameFile_CheckResources();
// Empties every resource table that the chunks fill.
void GameFile_FreeResources();

// Called once the header chunk is read, with GameFileVersion at 800: the program registers the
// built-in function families there (once per run of the program).
extern void (*GameFile_RegisterFunctions)();

// Takes ownership of a buffer made with MemAlloc and loads the game from it: checks the container,
// reads the header, strings and options, frees every resource table and hands each chunk to its
// reader in file order. On any failure writes the reason and "Failed to load the game" to the
// warnings console and returns false; the buffer is kept either way until GameFile_Free.
bool GameFile_LoadBuffer(uint8_t* buffer, size_t size);
// Reads the file into a buffer and loads it.
bool GameFile_Load(const char* path);
// Frees every resource table that the file filled, and the buffer.
void GameFile_Free();
