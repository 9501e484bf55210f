#include "Background/Background_Main.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Runner/GameFile.h"
#include "Runner/GameFile_Pages.h"
#include "Support/LoadSave.h"

#include <cstdio>
#include <cstring>

// Two parallel arrays: the background of each index (null = empty slot) and its owned name.
static CBackground** g_backgrounds = nullptr;
static char** g_names = nullptr;
static int g_count = 0;

// Whether the table now has count slots; when memory runs out it keeps the slots it had.
static bool SetCount(int count)
{
    size_t slots = (size_t)count * sizeof(void*);
    MemRealloc(&g_backgrounds, slots);
    if (!g_backgrounds || MemoryManager_GetSize(g_backgrounds) < slots) return false;
    MemRealloc(&g_names, slots);
    if (!g_names || MemoryManager_GetSize(g_names) < slots) return false;
    g_count = count;
    return true;
}

static void FreeSlot(int index)
{
    delete g_backgrounds[index];
    MemFree(g_names[index]);
    g_backgrounds[index] = nullptr;
    g_names[index] = nullptr;
}

void Background_Clear()
{
    for (int i = 0; i < g_count; i++) FreeSlot(i);
    MemFree(g_backgrounds);
    MemFree(g_names);
    g_backgrounds = nullptr;
    g_names = nullptr;
    g_count = 0;
}

bool Background_Load(GameFileReader payload)
{
    Background_Clear();
    GameFilePageIndex pages;
    uint32_t count;
    if (!pages.Build() || !payload.Count(&count, 4)) return false;
    if (count == 0) return true;
    if (!SetCount((int)count)) return false;
    for (uint32_t i = 0; i < count; i++) {
        uint32_t offset = payload.U32();
        if (offset == 0) continue;
        GameFileReader record = payload.At(offset);
        GameFileReader nameField = record;
        const char* name = nameField.Str();
        CBackground* background = new CBackground;
        g_backgrounds[i] = background;
        if (!name || !background->LoadFromChunk(record, pages)) {
            Console_Warnings->Output("Background %u of the game data file is damaged.\n", i);
            Background_Clear();
            return false;
        }
        g_names[i] = MemStrDup(name);
    }
    return payload.ok;
}

void Background_InitTextures()
{
    Console_Warnings->Output("Background_InitTextures()\n");
    for (int i = 0; i < g_count; i++)
        if (g_backgrounds[i]) g_backgrounds[i]->InitTexture();
}

void Background_Free()
{
    Background_Clear();
}

int Background_Count()
{
    return g_count;
}

bool Background_Exists(int index)
{
    return Background_Get(index) != nullptr;
}

CBackground* Background_Get(int index)
{
    return index >= 0 && index < g_count ? g_backgrounds[index] : nullptr;
}

const char* Background_GetName(int index)
{
    if (!Background_Exists(index) || !g_names[index]) return "<undefined>";
    return g_names[index];
}

int Background_Find(const char* name)
{
    if (!name) return -1;
    for (int i = 0; i < g_count; i++)
        if (g_backgrounds[i] && g_names[i] && !strcmp(g_names[i], name)) return i;
    return -1;
}

// The full path of a file found in the save folder, else in the program folder.
static bool ResolveFile(const char* fileName, char* path, int size)
{
    if (!fileName) return false;
    if (LoadSave_SaveFileExists(fileName)) return LoadSave_SavePath(path, size, fileName);
    if (LoadSave_BundleFileExists(fileName)) return LoadSave_BundlePath(path, size, fileName);
    return false;
}

int Background_AddMade(CBackground* background)
{
    int index = g_count;
    if (!SetCount(g_count + 1)) {
        delete background;
        return -1;
    }
    char name[40];
    snprintf(name, sizeof name, "__newbackground%d", index);
    g_names[index] = MemStrDup(name);
    g_backgrounds[index] = background;
    return index;
}

int Background_AddEmpty()
{
    return Background_AddMade(new CBackground);
}

static int AddFile(const char* fileName, bool transparent, bool smooth, bool preload, bool keepAlpha)
{
    char path[1024];
    if (!ResolveFile(fileName, path, sizeof path)) return -1;
    CBackground* loaded = new CBackground;
    if (loaded->LoadFromFile(path, transparent, smooth, preload, keepAlpha)) return Background_AddMade(loaded);
    delete loaded;
    return -1;
}

int Background_Add(const char* fileName, bool transparent, bool smooth, bool preload)
{
    return AddFile(fileName, transparent, smooth, preload, !transparent);
}

int Background_AddAlpha(const char* fileName, bool preload)
{
    return AddFile(fileName, true, false, preload, true);
}

static bool ReplaceFile(int index, const char* fileName, bool transparent, bool smooth, bool preload, bool keepAlpha)
{
    char path[1024];
    if (index < 0 || index >= g_count || !ResolveFile(fileName, path, sizeof path)) return false;
    CBackground* target = g_backgrounds[index] ? g_backgrounds[index] : new CBackground;
    bool loaded = target->LoadFromFile(path, transparent, smooth, preload, keepAlpha);
    if (!g_backgrounds[index]) {
        if (loaded) g_backgrounds[index] = target;
        else delete target;
    }
    return loaded;
}

bool Background_Replace(int index, const char* fileName, bool transparent, bool smooth, bool preload)
{
    return ReplaceFile(index, fileName, transparent, smooth, preload, !transparent);
}

bool Background_ReplaceAlpha(int index, const char* fileName, bool preload)
{
    return ReplaceFile(index, fileName, true, false, preload, true);
}

int Background_Duplicate(int index)
{
    CBackground* source = Background_Get(index);
    if (!source) return -1;
    int copy = Background_AddEmpty();
    if (copy >= 0) g_backgrounds[copy]->Assign(g_backgrounds[index]);
    return copy;
}

bool Background_Assign(int target, int source)
{
    if (!Background_Exists(source) || target < 0 || target >= g_count) return false;
    if (!g_backgrounds[target]) g_backgrounds[target] = new CBackground;
    g_backgrounds[target]->Assign(g_backgrounds[source]);
    return true;
}

bool Background_Delete(int index)
{
    if (!Background_Exists(index)) return false;
    FreeSlot(index);
    return true;
}
