#include "Sprite/Sprite_Main.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Sprite/Sprite_Class.h"
#include "Support/DataStructures.h"
#include "Support/LoadSave.h"
#include "Support/LoadSave_Http.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {
std::vector<CSprite*> Sprites;
std::vector<char*> Names;

const char* const UNDEFINED = "<undefined>";

void Resize(size_t count)
{
    for (size_t i = count; i < Sprites.size(); i++) {
        delete Sprites[i];
        MemFree(Names[i]);
    }
    Sprites.resize(count, nullptr);
    Names.resize(count, nullptr);
    Sprites.shrink_to_fit();
    Names.shrink_to_fit();
}

// The sprite of a slot, made (with a name) when the slot is empty.
CSprite* Fill(int index)
{
    if (!Sprites[index]) {
        char name[32];
        snprintf(name, sizeof name, "__newsprite%d", index);
        Sprites[index] = new CSprite();
        Names[index] = MemStrDup(name);
    }
    return Sprites[index];
}

// Appends an empty sprite named "__newsprite" and its index.
int AppendNew()
{
    int index = (int)Sprites.size();
    Sprites.push_back(nullptr);
    Names.push_back(nullptr);
    Fill(index);
    return index;
}

bool FileExists(const char* name)
{
    return LoadSave_SaveFileExists(name) || LoadSave_BundleFileExists(name);
}

// A finished sprite download (or a failed one, without a body): fills the sprite and makes the
// event's map.
int SpriteDownloaded(HTTP_REQ_CONTEXT* request, void* userData, int* asyncMap)
{
    const TSpriteRequest* sprite = (const TSpriteRequest*)userData;
    int status = Sprite_RequestComplete(sprite, request->buffer, request->bytesRead);
    *asyncMap = CDS_Map_CreateFromList(3, "filename", 0.0, request->url, "id", (double)sprite->index, (const char*)nullptr,
                                       "status", (double)status, (const char*)nullptr);
    return SPRITE_ASYNC_EVENT;
}

void SpriteRequestFreed(HTTP_REQ_CONTEXT* request)
{
    MemFree(request->userData);
}
}

void Sprite_Clear()
{
    Resize(0);
}

bool Sprite_Load(GameFileReader chunk)
{
    Sprite_Clear();
    GameFilePageIndex pages;
    uint32_t count;
    if (!pages.Build() || !chunk.Count(&count, 4)) return false;
    Resize(count);
    for (uint32_t i = 0; i < count; i++) {
        uint32_t offset = chunk.U32();
        if (offset == 0) continue;
        GameFileReader record = chunk.At(offset);
        const char* name = GameFileReader(record).Str();
        CSprite* sprite = new CSprite();
        Sprites[i] = sprite;
        if (!record.ok || !name || !sprite->LoadFromChunk(record, pages)) {
            Console_Warnings->Output("Sprite %u of the game data file is damaged\n", i);
            Sprite_Clear();
            return false;
        }
        Names[i] = MemStrDup(name);
    }
    return chunk.ok;
}

void Sprite_InitTextures()
{
    Console_Warnings->Output("Sprite_InitTextures()\n");
    for (CSprite* s : Sprites)
        if (s) s->InitTexture();
}

void Sprite_Free()
{
    for (char*& name : Names) {
        MemFree(name);
        name = nullptr;
    }
    for (CSprite* s : Sprites)
        if (s) s->FreeTextures();
    Resize(0);
}

int Sprite_Count()
{
    return (int)Sprites.size();
}

bool Sprite_Exists(int index)
{
    return index >= 0 && index < (int)Sprites.size() && Sprites[index];
}

CSprite* Sprite_Get(int index)
{
    return index >= 0 && index < (int)Sprites.size() ? Sprites[index] : nullptr;
}

const char* Sprite_GetName(int index)
{
    return Sprite_Exists(index) && Names[index] ? Names[index] : UNDEFINED;
}

int Sprite_Find(const char* name)
{
    if (!name) return -1;
    for (size_t i = 0; i < Sprites.size(); i++)
        if (Sprites[i] && Names[i] && !strcmp(Names[i], name)) return (int)i;
    return -1;
}

int Sprite_Add(const char* name, int frameCount, bool precise, bool transparent, bool smooth, bool preload, int xorig, int yorig)
{
    if (!name) return -1;
    if (!strncmp(name, "http://", 7) || !strncmp(name, "https://", 8)) {
        // Empty until the download arrives, whose event comes even when it fails.
        int index = AppendNew();
        TSpriteRequest* request = (TSpriteRequest*)MemAlloc(sizeof(TSpriteRequest));
        if (!request) {
            Resize(index);
            return -1;
        }
        *request = {index, frameCount, xorig, yorig, (precise ? 1 : 0) | (transparent ? 2 : 0) | (smooth ? 4 : 0) | (preload ? 8 : 0)};
        if (LoadSave_HttpGet(name, SpriteDownloaded, SpriteRequestFreed, request) < 0) {
            Resize(index);
            return -1;
        }
        return index;
    }
    if (!FileExists(name)) return -1;
    int index = AppendNew();
    if (!Sprites[index]->LoadFromFile(name, frameCount, precise, transparent, smooth, preload, xorig, yorig, !transparent)) {
        Resize(index);
        return -1;
    }
    return index;
}

int Sprite_RequestComplete(const TSpriteRequest* request, const uint8_t* body, int64_t size)
{
    if (!request || !body || size < 1) return -1;
    // The game may have deleted the sprite while it downloaded.
    CSprite* sprite = Sprite_Get(request->index);
    if (!sprite) return -1;
    bool transparent = request->flags & 2;
    bool loaded = sprite->LoadFromMemory(body, (size_t)size, request->frameCount, request->flags & 1, transparent,
                                         request->flags & 4, request->xorig, request->yorig, !transparent);
    return loaded ? 0 : -1;
}

// A file is loaded aside first, so one that does not load leaves the sprite as it was.
static bool ReplaceFromFile(int index, const char* name, int frameCount, bool precise, bool transparent, bool smooth, bool preload, int xorig, int yorig, bool keepAlpha)
{
    if (index < 0 || index >= (int)Sprites.size() || !name || !FileExists(name)) return false;
    CSprite loaded;
    if (!loaded.LoadFromFile(name, frameCount, precise, transparent, smooth, preload, xorig, yorig, keepAlpha)) return false;
    Fill(index)->Assign(&loaded);
    return true;
}

bool Sprite_Replace(int index, const char* name, int frameCount, bool precise, bool transparent, bool smooth, bool preload, int xorig, int yorig)
{
    return ReplaceFromFile(index, name, frameCount, precise, transparent, smooth, preload, xorig, yorig, !transparent);
}

int Sprite_AddAlpha(const char* name, int frameCount, bool precise, bool preload, int xorig, int yorig)
{
    if (!name || !FileExists(name)) return -1;
    int index = AppendNew();
    if (!Sprites[index]->LoadFromFile(name, frameCount, precise, true, false, preload, xorig, yorig, true)) {
        Resize(index);
        return -1;
    }
    return index;
}

bool Sprite_ReplaceAlpha(int index, const char* name, int frameCount, bool precise, bool preload, int xorig, int yorig)
{
    return ReplaceFromFile(index, name, frameCount, precise, true, false, preload, xorig, yorig, true);
}

int Sprite_AddNew()
{
    return AppendNew();
}

int Sprite_Duplicate(int index)
{
    if (!Sprite_Exists(index)) return -1;
    int copy = AppendNew();
    Sprites[copy]->Assign(Sprites[index]);
    return copy;
}

bool Sprite_Assign(int target, int source)
{
    if (!Sprite_Exists(source) || target < 0 || target >= (int)Sprites.size()) return false;
    Fill(target)->Assign(Sprites[source]);
    return true;
}

bool Sprite_Delete(int index)
{
    if (!Sprite_Exists(index)) return false;
    delete Sprites[index];
    MemFree(Names[index]);
    Sprites[index] = nullptr;
    Names[index] = nullptr;
    return true;
}
