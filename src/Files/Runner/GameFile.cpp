#include "Runner/GameFile.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Option/Option_Main.h"
#include "Runner/GameFile_Chunks.h"
#include "Support/LoadSave.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

int GameFileVersion = 800;
GameHeader Game_Header;
void (*GameFile_RegisterFunctions)() = nullptr;

namespace {
uint8_t* FileBuffer = nullptr;
size_t FileSize = 0;
std::vector<GameFileChunk> Chunks;

uint32_t ReadU32(size_t pos)
{
    const uint8_t* p = FileBuffer + pos;
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}
}

GameFileReader::GameFileReader(size_t start, size_t limit) : pos(start), end(limit)
{
    if (limit > FileSize || start > limit) { ok = false; pos = end = 0; }
}

uint32_t GameFileReader::U32()
{
    if (!ok || end - pos < 4) { ok = false; return 0; }
    uint32_t v = ReadU32(pos);
    pos += 4;
    return v;
}

float GameFileReader::F32()
{
    uint32_t bits = U32();
    float f;
    memcpy(&f, &bits, 4);
    return f;
}

const char* GameFileReader::Str()
{
    uint32_t offset = U32();
    if (!ok || offset == 0) return nullptr;
    if (offset >= FileSize || !memchr(FileBuffer + offset, 0, FileSize - offset)) {
        ok = false;
        return nullptr;
    }
    return (const char*)FileBuffer + offset;
}

bool GameFileReader::Count(uint32_t* count, size_t elementSize)
{
    *count = U32();
    if (ok && (uint64_t)*count * elementSize > end - pos) ok = false;
    if (!ok) *count = 0;
    return ok;
}

GameFileReader GameFileReader::At(uint32_t offset) const
{
    GameFileReader r(offset, FileSize);
    if (offset == 0 || !ok) r.ok = false;
    return r;
}

const uint8_t* GameFile_Base() { return FileBuffer; }
size_t GameFile_Size() { return FileSize; }

const uint8_t* GameFile_Relocate(uint32_t offset, size_t size)
{
    if (offset == 0 || offset > FileSize || size > FileSize - offset) return nullptr;
    return FileBuffer + offset;
}

bool GameFile_RelocateList(uint32_t listOffset, uint32_t* count, const uint32_t** offsets)
{
    GameFileReader r(listOffset, FileSize);
    if (listOffset == 0 || !r.Count(count, 4)) return false;
    for (uint32_t i = 0; i < *count; i++) {
        uint32_t o = r.U32();
        if (o >= FileSize) return false;
    }
    *offsets = (const uint32_t*)(FileBuffer + listOffset + 4);
    return true;
}

const GameFileChunk* GameFile_FindChunk(const char* tag)
{
    for (const GameFileChunk& c : Chunks)
        if (!strcmp(c.tag, tag)) return &c;
    return nullptr;
}

static bool Fail(const char* reason)
{
    Console_Warnings->Output("%s\n", reason);
    Console_Warnings->Output("Failed to load the game\n");
    return false;
}

// Splits the container into chunks; every header and payload must lie inside the file.
static bool GameFile_Split()
{
    if (FileSize < 8 || memcmp(FileBuffer, "FORM", 4)) return Fail("The game data file does not begin with FORM.");
    uint32_t formSize = ReadU32(4);
    if (formSize > FileSize - 8) return Fail("The game data file is truncated.");
    size_t pos = 8, end = 8 + (size_t)formSize;
    while (pos < end) {
        if (end - pos < 8) return Fail("A chunk header is truncated.");
        GameFileChunk c;
        memcpy(c.tag, FileBuffer + pos, 4);
        c.tag[4] = 0;
        c.size = ReadU32(pos + 4);
        c.offset = (uint32_t)(pos + 8);
        if (c.size > end - c.offset) return Fail("A chunk runs past the end of the file.");
        Chunks.push_back(c);
        pos = c.offset + (size_t)c.size;
    }
    return true;
}

bool GameFile_LoadBuffer(uint8_t* buffer, size_t size)
{
    GameFile_Free();
    Option_Reset();
    FileBuffer = buffer;
    FileSize = size;
    if (size > 0xFFFFFFFFu) return Fail("The game data file is too large.");
    if (!GameFile_Split()) return false;

    // First pass: strings, header and options, which the other readers rely on.
    GameFileVersion = 800;
    bool sawHeader = false;
    for (const GameFileChunk& c : Chunks) {
        GameFileReader r(c.offset, (size_t)c.offset + c.size);
        bool done = true;
        if (!strcmp(c.tag, "STRG")) done = GameFile_LoadStrings(r);
        else if (!strcmp(c.tag, "GEN8") || !strcmp(c.tag, "GEN7") || !strcmp(c.tag, "GENL")) {
            if (sawHeader) return Fail("The game data file has two header chunks.");
            sawHeader = true;
            done = GameFile_LoadHeader(r);
            if (done && GameFile_RegisterFunctions) GameFile_RegisterFunctions();
            if (strcmp(c.tag, "GEN8")) GameFileVersion = 700;
        } else if (!strcmp(c.tag, "OPTN")) done = GameFile_LoadOptions(r);
        if (!done) {
            Console_Warnings->Output("The %s chunk is damaged.\n", c.tag);
            return Fail("The game data file is damaged.");
        }
    }
    if (!sawHeader) return Fail("The game data file has no header chunk.");

    // Second pass: every chunk to its reader, in file order (the tables were emptied above).
    for (const GameFileChunk& c : Chunks) {
        Console_Warnings->Output("Process Chunk: %s   %d\n", c.tag, (int)c.size);
        GameFileReader r(c.offset, (size_t)c.offset + c.size);
        int result = GameFile_DispatchChunk(c.tag, r);
        if (result < 0) {
            Console_Warnings->Output("Unknown chunk %s in the game data file.\n", c.tag);
            return Fail("The game data file is damaged.");
        }
        if (result == 0) {
            Console_Warnings->Output("The %s chunk is damaged.\n", c.tag);
            return Fail("The game data file is damaged.");
        }
    }
    if (!GameFile_CheckResources()) return Fail("The game data file is damaged.");
    return true;
}

bool GameFile_Load(const char* path)
{
    // Only a regular file that offsets of 32 bits can span (not a device or a pipe that never ends).
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        Console_Warnings->Output("The game data file %s is missing or is not a file.\n", path);
        return Fail("The game data file cannot be read.");
    }
    if (std::filesystem::file_size(path, error) > 0xFFFFFFFFu || error) return Fail("The game data file is too large.");
    FILE* f = fopen(path, "rbe");
    if (!f) {
        Console_Warnings->Output("Cannot open the game data file %s.\n", path);
        return Fail("The game data file cannot be read.");
    }
    std::vector<uint8_t> bytes;
    uint8_t block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0) bytes.insert(bytes.end(), block, block + n);
    bool readError = ferror(f);
    fclose(f);
    if (readError) return Fail("The game data file cannot be read.");
    // The program folder is the folder of the game data file.
    std::string folder = path;
    size_t slash = folder.find_last_of('/');
    LoadSave_SetProgramFolder(slash == std::string::npos ? "." : folder.substr(0, slash + 1).c_str());
    uint8_t* buffer = (uint8_t*)MemAlloc(bytes.size() + 1);
    if (!bytes.empty()) memcpy(buffer, bytes.data(), bytes.size());
    return GameFile_LoadBuffer(buffer, bytes.size());
}

void GameFile_Free()
{
    GameFile_FreeResources();
    Chunks.clear();
    if (FileBuffer) MemFree(FileBuffer);
    FileBuffer = nullptr;
    FileSize = 0;
    Game_Header = GameHeader();
}
