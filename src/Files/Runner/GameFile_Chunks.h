// The chunk readers that the loader calls; each returns false on a damaged payload.
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
