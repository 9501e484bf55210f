// Builds small game data files around a SPRT chunk: a header, strings, a list of texture-page
// records and the sprites, SPRT last so that everything before it stays the same whatever the
// sprites are (the fuzz target puts its own bytes there).
#pragma once
#include "Base/MemoryManager.h"
#include "Run/GameFile_Chunks.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace sprt {

struct Record {
    int name = 0;  // index into Game::names; -1 gives offset 0
    int width = 16, height = 16;
    int left = 0, right = 15, bottom = 15, top = 0;
    int transparent = 1, smooth = 0, preload = 1, mode = 0, precise = 1;
    int xorig = 0, yorig = 0;
    std::vector<int> frames;                  // page-entry index per frame; -1 gives offset 0
    std::vector<std::vector<uint8_t>> masks;  // width x height bytes of 0/1 each
    bool present = true;                      // false: an empty slot (offset 0)
    bool padding = false;                     // set the unused bits at the end of each mask row
};

inline void Put(std::vector<uint8_t>& b, uint32_t v)
{
    for (int i = 0; i < 4; i++) b.push_back((uint8_t)(v >> (8 * i)));
}
inline void Patch(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++) b[at + i] = (uint8_t)(v >> (8 * i));
}

struct Game {
    std::vector<std::string> names = {"spr_a", "spr_b", "spr_c", "spr_a"};
    int pageEntries = 4;
    std::vector<Record> sprites;

    std::vector<uint32_t> nameOffsets, entryOffsets;

    // FORM, GEN8, STRG and TPAG; the FORM size is patched when the SPRT chunk is added.
    std::vector<uint8_t> Prefix()
    {
        std::vector<uint8_t> b = {'F', 'O', 'R', 'M', 0, 0, 0, 0};
        b.insert(b.end(), {'G', 'E', 'N', '8'});
        Put(b, 32);
        size_t gameName = b.size();
        for (uint32_t v : {0u, 1u, 64u, 48u, 0u, 100000u, 10000000u, 0u}) Put(b, v);
        // STRG: the game's name, then the sprite names.
        std::vector<std::string> all = {"sprites"};
        all.insert(all.end(), names.begin(), names.end());
        b.insert(b.end(), {'S', 'T', 'R', 'G'});
        size_t strgSize = b.size();
        Put(b, 0);
        size_t start = b.size();
        Put(b, (uint32_t)all.size());
        size_t table = b.size();
        for (size_t i = 0; i < all.size(); i++) Put(b, 0);
        nameOffsets.clear();
        for (size_t i = 0; i < all.size(); i++) {
            Patch(b, table + 4 * i, (uint32_t)b.size());
            Put(b, (uint32_t)all[i].size());
            if (i == 0) Patch(b, gameName, (uint32_t)b.size());
            else nameOffsets.push_back((uint32_t)b.size());
            b.insert(b.end(), all[i].begin(), all[i].end());
            b.push_back(0);
        }
        Patch(b, strgSize, (uint32_t)(b.size() - start));
        // TPAG: records of 24 bytes (their content is the page loader's business).
        b.insert(b.end(), {'T', 'P', 'A', 'G'});
        Put(b, 4 + 28 * (uint32_t)pageEntries);
        Put(b, (uint32_t)pageEntries);
        size_t list = b.size();
        for (int i = 0; i < pageEntries; i++) Put(b, 0);
        entryOffsets.clear();
        for (int i = 0; i < pageEntries; i++) {
            Patch(b, list + 4 * i, (uint32_t)b.size());
            entryOffsets.push_back((uint32_t)b.size());
            for (int k = 0; k < 6; k++) Put(b, 0);
        }
        return b;
    }

    // The SPRT payload for a chunk whose payload starts at file offset base.
    std::vector<uint8_t> Payload(size_t base) const
    {
        std::vector<uint8_t> b;
        Put(b, (uint32_t)sprites.size());
        for (size_t i = 0; i < sprites.size(); i++) Put(b, 0);
        for (size_t i = 0; i < sprites.size(); i++) {
            const Record& s = sprites[i];
            if (!s.present) continue;
            Patch(b, 4 + 4 * i, (uint32_t)(base + b.size()));
            Put(b, s.name < 0 ? 0 : nameOffsets[s.name]);
            for (int v : {s.width, s.height, s.left, s.right, s.bottom, s.top, s.transparent, s.smooth, s.preload,
                          s.mode, s.precise, s.xorig, s.yorig})
                Put(b, (uint32_t)v);
            Put(b, (uint32_t)s.frames.size());
            for (int f : s.frames) Put(b, f < 0 ? 0 : entryOffsets[f]);
            Put(b, (uint32_t)s.masks.size());
            size_t rowBytes = ((size_t)s.width + 7) / 8;
            for (const std::vector<uint8_t>& m : s.masks)
                for (int y = 0; y < s.height; y++) {
                    std::vector<uint8_t> row(rowBytes, 0);
                    for (int x = 0; x < (int)rowBytes * 8; x++)
                        if (x < s.width ? m[(size_t)y * s.width + x] != 0 : s.padding) row[x >> 3] |= 0x80 >> (x & 7);
                    b.insert(b.end(), row.begin(), row.end());
                }
        }
        return b;
    }

    // The whole file with the given payload as its SPRT chunk.
    static std::vector<uint8_t> WithPayload(std::vector<uint8_t> prefix, const std::vector<uint8_t>& payload)
    {
        prefix.insert(prefix.end(), {'S', 'P', 'R', 'T'});
        Put(prefix, (uint32_t)payload.size());
        prefix.insert(prefix.end(), payload.begin(), payload.end());
        Patch(prefix, 4, (uint32_t)(prefix.size() - 8));
        return prefix;
    }

    // Where the SPRT payload begins.
    static size_t PayloadOffset(const std::vector<uint8_t>& prefix) { return prefix.size() + 8; }

    std::vector<uint8_t> File()
    {
        std::vector<uint8_t> prefix = Prefix();
        return WithPayload(prefix, Payload(PayloadOffset(prefix)));
    }
};

// Loads bytes as the game data file (GameFile_Free releases it).
inline bool Load(const std::vector<uint8_t>& bytes)
{
    uint8_t* buffer = (uint8_t*)MemAlloc(bytes.size() + 1);
    if (!bytes.empty()) memcpy(buffer, bytes.data(), bytes.size());
    return GameFile_LoadBuffer(buffer, bytes.size());
}

// A mask of width x height with the given pixels solid.
inline std::vector<uint8_t> Mask(int width, int height, std::initializer_list<std::pair<int, int>> solid)
{
    std::vector<uint8_t> m((size_t)width * height, 0);
    for (auto [x, y] : solid) m[(size_t)y * width + x] = 1;
    return m;
}

}  // namespace sprt
