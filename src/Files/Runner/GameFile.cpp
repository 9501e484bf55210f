#include "Runner/GameFile.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"

#include <cstring>
#include <vector>

int GameFileVersion = 800;
GameHeader Game_Header;

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

bool GameFile_Fail(const char* reason)
{
    Console_Warnings->Output("%s\n", reason);
    Console_Warnings->Output("Failed to load the game\n");
    return false;
}

namespace {
// Splits the container into chunks; every header and payload must lie inside the file.
bool Split()
{
    if (FileSize < 8 || memcmp(FileBuffer, "FORM", 4)) return GameFile_Fail("The game data file does not begin with FORM.");
    uint32_t formSize = ReadU32(4);
    if (formSize > FileSize - 8) return GameFile_Fail("The game data file is truncated.");
    size_t pos = 8, end = 8 + (size_t)formSize;
    while (pos < end) {
        if (end - pos < 8) return GameFile_Fail("A chunk header is truncated.");
        GameFileChunk c;
        memcpy(c.tag, FileBuffer + pos, 4);
        c.tag[4] = 0;
        c.size = ReadU32(pos + 4);
        c.offset = (uint32_t)(pos + 8);
        if (c.size > end - c.offset) return GameFile_Fail("A chunk runs past the end of the file.");
        Chunks.push_back(c);
        pos = c.offset + (size_t)c.size;
    }
    return true;
}
}  // namespace

bool GameFile_Open(uint8_t* buffer, size_t size)
{
    GameFile_Close();
    FileBuffer = buffer;
    FileSize = size;
    if (size > 0xFFFFFFFFu) return GameFile_Fail("The game data file is too large.");
    return Split();
}

const std::vector<GameFileChunk>& GameFile_ChunkList() { return Chunks; }

void GameFile_Close()
{
    Chunks.clear();
    if (FileBuffer) MemFree(FileBuffer);
    FileBuffer = nullptr;
    FileSize = 0;
    Game_Header = GameHeader();
}
