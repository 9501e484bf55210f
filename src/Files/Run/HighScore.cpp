// The high-score table and its file "hiscore.dat".
#include "Run/HighScore.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Support/LoadSave.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

const char FILE_NAME[] = "hiscore.dat";
// Where a damaged file is kept, since the next change rewrites FILE_NAME.
const char DAMAGED_NAME[] = "hiscore.damaged";
const char MAGIC[4] = {'H', 'I', 'S', 'C'};
constexpr uint32_t MAX_NAME = 1024;

struct Place {
    char* name;
    int score;
};

Place table[HIGHSCORE_PLACES];
bool tableReady;
HighScoreLook look;
// Null until a game sets its own empty-place name.
char* customEmptyName;
bool customEmptySet;

const char* EmptyName() { return customEmptySet ? customEmptyName : "<nobody>"; }

void SetName(char** slot, const char* name)
{
    MemFree(*slot);
    *slot = name && *name ? MemStrDup(name) : nullptr;
}

void Reset()
{
    tableReady = true;
    for (Place& p : table) {
        SetName(&p.name, EmptyName());
        p.score = 0;
    }
}

// The table starts cleared before the first use.
void Ensure()
{
    if (!tableReady) Reset();
}

uint32_t Get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }
void Put32(std::vector<uint8_t>& b, uint32_t v)
{
    for (int i = 0; i < 4; i++) b.push_back((uint8_t)(v >> (8 * i)));
}

}  // namespace

void HighScore_Clear()
{
    Reset();
    HighScore_Save();
}

void HighScore_Add(const char* name, int score)
{
    Ensure();
    int at = 0;
    while (at < HIGHSCORE_PLACES && table[at].score >= score) at++;
    if (at == HIGHSCORE_PLACES) return;
    MemFree(table[HIGHSCORE_PLACES - 1].name);
    memmove(&table[at + 1], &table[at], sizeof(Place) * (HIGHSCORE_PLACES - 1 - at));
    table[at].name = nullptr;
    SetName(&table[at].name, name);
    table[at].score = score;
    HighScore_Save();
}

int HighScore_GetValue(int place)
{
    Ensure();
    return place >= 1 && place <= HIGHSCORE_PLACES ? table[place - 1].score : 0;
}

bool HighScore_GetName(const char** name, int place)
{
    Ensure();
    if (place < 1 || place > HIGHSCORE_PLACES) return false;
    *name = table[place - 1].name;
    return true;
}

void HighScore_Show(int score) {}

const HighScoreLook& HighScore_Look() { return look; }
void HighScore_SetBackground(int background) { look.background = background; }
void HighScore_SetBorder(bool shown) { look.border = shown; }

void HighScore_SetColours(int back, int fresh, int other)
{
    look.back_colour = back;
    look.new_colour = fresh;
    look.other_colour = other;
}

void HighScore_SetFont(const char* name, int size)
{
    look.font_name = name ? name : "";
    look.font_size = size;
}

void HighScore_SetStrings(const char* caption, const char* emptyName, const char* closeHint)
{
    look.caption = caption ? caption : "";
    HighScore_SetEmptyName(emptyName);
    look.close_hint = closeHint ? closeHint : "";
}

void HighScore_SetEmptyName(const char* name)
{
    SetName(&customEmptyName, name);
    customEmptySet = true;
}

size_t HighScore_Encode(uint8_t** bytes)
{
    Ensure();
    std::vector<uint8_t> body;
    for (const Place& p : table) {
        uint32_t length = p.name ? (uint32_t)strlen(p.name) : 0;
        Put32(body, length);
        body.insert(body.end(), p.name, p.name + length);
        Put32(body, (uint32_t)p.score);
    }
    std::vector<uint8_t> file(MAGIC, MAGIC + 4);
    Put32(file, (uint32_t)body.size());
    file.insert(file.end(), body.begin(), body.end());
    *bytes = (uint8_t*)MemAlloc(file.size());
    memcpy(*bytes, file.data(), file.size());
    return file.size();
}

bool HighScore_Decode(const uint8_t* bytes, size_t size)
{
    Ensure();
    if (size < 8 || memcmp(bytes, MAGIC, 4) != 0 || Get32(bytes + 4) != size - 8) return false;
    Place read[HIGHSCORE_PLACES] = {};
    size_t pos = 8;
    bool ok = true;
    for (int i = 0; i < HIGHSCORE_PLACES && ok; i++) {
        ok = size - pos >= 4;
        uint32_t length = ok ? Get32(bytes + pos) : 0;
        ok = ok && length <= MAX_NAME && size - pos - 4 >= (size_t)length + 4;
        if (!ok) break;
        std::string name((const char*)bytes + pos + 4, length);
        ok = name.find('\0') == std::string::npos;
        read[i].name = length && ok ? MemStrDup(name.c_str()) : nullptr;
        read[i].score = (int32_t)Get32(bytes + pos + 4 + length);
        pos += 8 + length;
    }
    ok = ok && pos == size;
    for (int i = 0; i < HIGHSCORE_PLACES; i++) {
        if (ok) std::swap(table[i], read[i]);
        MemFree(read[i].name);
    }
    return ok;
}

void HighScore_Load()
{
    Reset();
    int64_t size = 0;
    unsigned char* bytes = LoadSave_ReadSaveFile(FILE_NAME, &size);
    if (!bytes) return;
    if (!HighScore_Decode(bytes, (size_t)size)) {
        bool kept = LoadSave_WriteFile(DAMAGED_NAME, bytes, size);
        if (kept)
            Console_Warnings->Output("\"%s\" is damaged; the high-score table starts empty (the file is kept as \"%s\")\n",
                                     FILE_NAME, DAMAGED_NAME);
        else
            Console_Warnings->Output("\"%s\" is damaged; the high-score table starts empty\n", FILE_NAME);
    }
    MemFree(bytes);
}

bool HighScore_Save()
{
    uint8_t* bytes;
    size_t size = HighScore_Encode(&bytes);
    bool ok = LoadSave_WriteFile(FILE_NAME, bytes, (int64_t)size);
    MemFree(bytes);
    if (!ok) Console_Warnings->Output("Cannot write \"%s\"\n", FILE_NAME);
    return ok;
}
