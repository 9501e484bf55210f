// The sprite table: every sprite by index with its name. Indices are never reused: deleting a
// sprite leaves an empty slot.
#pragma once
#include "Runner/GameFile.h"

#include <cstdint>

class CSprite;

void Sprite_Clear();
// Fills the table from the SPRT chunk; false (table empty) when the chunk is damaged.
bool Sprite_Load(GameFileReader chunk);
void Sprite_InitTextures();
void Sprite_Free();
int Sprite_Count();
bool Sprite_Exists(int index);
CSprite* Sprite_Get(int index);
const char* Sprite_GetName(int index);
int Sprite_Find(const char* name);
int Sprite_Add(const char* name, int frameCount, bool precise, bool transparent, bool smooth, bool preload, int xorig, int yorig);
bool Sprite_Replace(int index, const char* name, int frameCount, bool precise, bool transparent, bool smooth, bool preload, int xorig, int yorig);
int Sprite_AddAlpha(const char* name, int frameCount, bool precise, bool preload, int xorig, int yorig);
bool Sprite_ReplaceAlpha(int index, const char* name, int frameCount, bool precise, bool preload, int xorig, int yorig);
int Sprite_AddNew();
int Sprite_Duplicate(int index);
bool Sprite_Assign(int target, int source);
bool Sprite_Delete(int index);

// A sprite whose frames come from a URL: what its download needs to fill it.
struct TSpriteRequest {
    int index;
    int frameCount;
    int xorig, yorig;
    int flags;  // bit 0 precise, 1 transparent, 2 smooth, 3 preload
};
// The asynchronous event that a finished sprite download raises.
const int SPRITE_ASYNC_EVENT = 60;
// Fills the sprite of a finished download from its body. The result is the status for the
// event's map: 0 when the sprite was loaded, -1 for an empty or undecodable body or a sprite
// deleted meanwhile.
int Sprite_RequestComplete(const TSpriteRequest* request, const uint8_t* body, int64_t size);
