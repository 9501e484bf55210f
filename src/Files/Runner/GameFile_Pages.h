// Texture-page entries named by file offset in the records of SPRT, BGND and FONT. Entry i of the
// TPAG list is the page entry whose script handle is TPAGE_HANDLE_BASE + i.
#pragma once
#include "Runner/GameFile.h"

#include <cstdint>
#include <utility>
#include <vector>

// The TPAG chunk (a list of 24-byte records: 11 u16 fields, 2 bytes of padding) into the page
// entries, and the TXTR chunk (a list of {u32 length, PNG bytes}) into the page textures; the PNG
// bytes stay in the file buffer. False on a damaged list or entry.
bool GameFile_LoadPageEntries(GameFileReader chunk);
bool GameFile_LoadPageTextures(GameFileReader chunk);

class GameFilePageIndex {
public:
    // Reads the TPAG list of the loaded file; false when the list is damaged. A file without
    // TPAG gives an empty index.
    bool Build();
    // The handle of the entry whose record lies at the file offset, -1 when no entry does.
    int Handle(uint32_t offset) const;
    // The untrimmed size of the entry at the file offset (read from the file); false when no
    // entry lies there.
    bool Size(uint32_t offset, int* width, int* height) const;

private:
    std::vector<std::pair<uint32_t, int>> m_sorted;  // record offset, list position
};
