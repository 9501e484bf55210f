#include "Font/Font_Main.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Base/UTF8.h"
#include "Runner/GameFile_Pages.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
struct FontSlot {
    CFontBV* font;
    char* name;
};
std::vector<FontSlot> Fonts;
// The FONT chunk's character codes for sprite fonts.
uint16_t Codes[256];
bool HaveCodes = false;
}

void Font_Clear()
{
    for (FontSlot& s : Fonts) {
        delete s.font;
        MemFree(s.name);
    }
    Fonts.clear();
    Fonts.shrink_to_fit();
    HaveCodes = false;
}

bool Font_Load(GameFileReader chunk)
{
    Font_Clear();
    // The code table takes the last 512 bytes; the list must end before it.
    if (!chunk.ok || chunk.end - chunk.pos < 4 + 512) return false;
    GameFileReader codes(chunk.end - 512, chunk.end);
    chunk.end -= 512;
    GameFilePageIndex pages;
    uint32_t count;
    if (!pages.Build() || !chunk.Count(&count, 4)) return false;
    for (int i = 0; i < 256; i += 2) {
        uint32_t pair = codes.U32();
        Codes[i] = (uint16_t)pair;
        Codes[i + 1] = (uint16_t)(pair >> 16);
    }
    Fonts.reserve(count);
    for (uint32_t i = 0; i < count; i++) {
        uint32_t offset = chunk.U32();
        if (offset == 0) {
            Fonts.push_back({nullptr, nullptr});
            continue;
        }
        GameFileReader record = chunk.At(offset);
        GameFileReader nameField = record;
        const char* name = nameField.Str();
        CFontBV* font = new CFontBV();
        if (!nameField.ok || !font->LoadFromChunk(record, pages)) {
            delete font;
            Console_Warnings->Output("Font %u of the game data file is damaged.\n", i);
            Font_Clear();
            return false;
        }
        Fonts.push_back({font, MemStrDup(name ? name : "")});
    }
    HaveCodes = true;
    return true;
}

void Font_InitTextures()
{
    Console_Warnings->Output("Font_InitTextures()\n");
    for (FontSlot& s : Fonts)
        if (s.font) s.font->InitTexture();
}

void Font_Free()
{
    for (FontSlot& s : Fonts)
        if (s.font) s.font->FreeTexture();
    Font_Clear();
}

int Font_Count()
{
    return (int)Fonts.size();
}

bool Font_Exists(int index)
{
    return Font_Get(index) != nullptr;
}

CFontBV* Font_Get(int index)
{
    if (index < 0 || index >= (int)Fonts.size()) return nullptr;
    return Fonts[index].font;
}

const char* Font_GetName(int index)
{
    if (!Font_Exists(index)) return "<undefined>";
    return Fonts[index].name;
}

int Font_Find(const char* name)
{
    if (!name) return -1;
    for (size_t i = 0; i < Fonts.size(); i++)
        if (Fonts[i].font && !strcmp(Fonts[i].name, name)) return (int)i;
    return -1;
}

static int Append(CFontBV* font)
{
    int index = (int)Fonts.size();
    char name[32];
    snprintf(name, sizeof name, "__newfont%d", index);
    // The table grows 5 slots at a time.
    if (Fonts.size() == Fonts.capacity()) Fonts.reserve(Fonts.size() + 5);
    Fonts.push_back({font, MemStrDup(name)});
    return index;
}

static bool Put(int index, CFontBV* font)
{
    if (index < 0 || index >= (int)Fonts.size()) {
        delete font;
        return false;
    }
    delete Fonts[index].font;
    Fonts[index].font = font;
    // A slot emptied by Font_Delete gets a name again.
    if (!Fonts[index].name) {
        char name[32];
        snprintf(name, sizeof name, "__newfont%d", index);
        Fonts[index].name = MemStrDup(name);
    }
    return true;
}

static CFontBV* SystemFont(const char* face, int size, bool bold, bool italic, int first, int last)
{
    CFontBV* font = new CFontBV();
    font->CreateSystem(face, size, bold, italic, first, last);
    return font;
}

static CFontBV* SpriteFont(int sprite, const char* characters, bool proportional, int separation)
{
    CFontBV* font = new CFontBV();
    font->CreateFromSprite(sprite, characters, proportional, separation);
    return font;
}

// The UTF-8 map of a sprite's frames, frame i being character first + i, looked up in the code
// table when asked and it covers that entry. The map ends before a code that is not a character.
static char* FrameMap(int sprite, int first, bool codeTable)
{
    const CSprite* source = Sprite_Get(sprite);
    int frames = source ? std::max(source->m_numb, 0) : 0;
    char* map = (char*)MemAlloc((size_t)frames * 3 + 1);
    char* out = map;
    for (int i = 0; i < frames; i++) {
        long code = (long)first + i;
        if (codeTable && HaveCodes && code >= 0 && code < 256) code = Codes[code];
        if (code <= 0 || code > 0xFFFF) break;
        UTF8_PutChar(&out, (unsigned int)code);
    }
    *out = 0;
    return map;
}

int Font_Add(const char* face, int size, bool bold, bool italic, int first, int last)
{
    return Append(SystemFont(face, size, bold, italic, first, last));
}

bool Font_Replace(int index, const char* face, int size, bool bold, bool italic, int first, int last)
{
    if (index < 0 || index >= (int)Fonts.size()) return false;
    return Put(index, SystemFont(face, size, bold, italic, first, last));
}

int Font_AddSprite(int sprite, int first, bool proportional, int separation)
{
    char* map = FrameMap(sprite, first, true);
    int index = Append(SpriteFont(sprite, map, proportional, separation));
    MemFree(map);
    return index;
}

int Font_AddSpriteExt(int sprite, const char* characters, bool proportional, int separation)
{
    return Append(SpriteFont(sprite, characters, proportional, separation));
}

bool Font_ReplaceSprite(int index, int sprite, int first, bool proportional, int separation)
{
    if (index < 0 || index >= (int)Fonts.size()) return false;
    char* map = FrameMap(sprite, first, false);
    bool done = Put(index, SpriteFont(sprite, map, proportional, separation));
    MemFree(map);
    return done;
}

bool Font_ReplaceSpriteExt(int index, int sprite, const char* characters, bool proportional, int separation)
{
    if (index < 0 || index >= (int)Fonts.size()) return false;
    return Put(index, SpriteFont(sprite, characters, proportional, separation));
}

bool Font_Delete(int index)
{
    if (!Font_Exists(index)) return false;
    delete Fonts[index].font;
    MemFree(Fonts[index].name);
    Fonts[index] = {nullptr, nullptr};
    return true;
}
