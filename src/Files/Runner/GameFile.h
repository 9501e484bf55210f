// The game data file: "FORM", a 32-bit size, then chunks (four-character tag, 32-bit size, payload).
// The whole file lives in one buffer for the run; records are read through GameFileReader, which
// checks every offset, count, length and name against the buffer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// 800 while the file is loaded; 700 when its header chunk is of an older kind (GEN7 or GENL).
extern int GameFileVersion;

// A cursor over the file buffer. Every read past the end (or past the chunk limit) clears ok and
// yields 0, so a reader can read a whole record and test ok once.
struct GameFileReader {
    size_t pos = 0;
    size_t end = 0;  // one past the last readable byte
    bool ok = true;

    GameFileReader() = default;
    GameFileReader(size_t start, size_t limit);

    uint32_t U32();
    int32_t I32() { return (int32_t)U32(); }
    float F32();
    bool Bool() { return U32() != 0; }
    // A string field: the file offset of zero-terminated UTF-8 text. Offset 0 gives null; an offset
    // outside the file or text without its terminating zero clears ok.
    const char* Str();
    // Reads a list header (count, then that many offsets) and checks it fits; false clears ok.
    bool Count(uint32_t* count, size_t elementSize);
    // A cursor at a file offset, for following an offset field (0 or outside the file clears ok).
    GameFileReader At(uint32_t offset) const;
};

// The file buffer and its size (null and 0 when no game is loaded).
const uint8_t* GameFile_Base();
size_t GameFile_Size();
// The pointer in the file buffer for a non-zero offset with room for size bytes there, or null
// (offset 0, or the bytes would lie outside the file).
const uint8_t* GameFile_Relocate(uint32_t offset, size_t size);
// Reads a chunk list (u32 count, then offsets) at the file offset into offsets (0 stays 0); false
// when the list or any non-zero offset lies outside the file.
bool GameFile_RelocateList(uint32_t listOffset, uint32_t* count, const uint32_t** offsets);

// A chunk seen by the loader: its payload's file offset and size.
struct GameFileChunk {
    char tag[5];
    uint32_t offset;
    uint32_t size;
};
// The kept chunk of a tag (SPRT, BGND, FONT, SOND, AUDO, EXTN...), or null when the file has none.
const GameFileChunk* GameFile_FindChunk(const char* tag);

// Takes ownership of a buffer made with MemAlloc (closing a file open before) and splits the
// container into its chunks; false, with the reason told as GameFile_Fail does, when the file is
// too large or the container is damaged. The buffer is kept either way until GameFile_Close.
bool GameFile_Open(uint8_t* buffer, size_t size);
// The chunks of the open file, in file order.
const std::vector<GameFileChunk>& GameFile_ChunkList();
// Frees the buffer and forgets its chunks and header.
void GameFile_Close();
// Writes the reason and "Failed to load the game" to the warnings console; false.
bool GameFile_Fail(const char* reason);

// The header chunk's settings.
struct GameHeader {
    const char* name = "";
    uint32_t gameId = 0;
    int windowWidth = 640, windowHeight = 480;
    uint32_t flags = 0;
    int lastInstanceId = 100000;
    int lastTileId = 10000000;
};
extern GameHeader Game_Header;
