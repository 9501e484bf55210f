#include "Runner/GameFile_Pages.h"
#include "Graphics_API/GR_Texture.h"

#include <algorithm>

// A TPAG record: 11 u16 fields and 2 bytes of padding; the untrimmed size is at byte 16.
static const size_t kRecordSize = 24;

bool GameFile_LoadPageEntries(GameFileReader chunk)
{
    uint32_t count;
    if (!chunk.Count(&count, 4) || count > (uint32_t)TPAGE_HANDLE_BASE) return false;
    std::vector<TPageEntry> entries(count);
    for (uint32_t i = 0; i < count; i++) {
        uint32_t offset = chunk.U32();
        if (offset == 0) continue;  // an empty entry: trimmed to nothing, draws nothing
        const uint8_t* p = GameFile_Relocate(offset, kRecordSize);
        if (!p) return false;
        uint16_t f[11];
        for (int k = 0; k < 11; k++) f[k] = (uint16_t)(p[2 * k] | p[2 * k + 1] << 8);
        entries[i] = {f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10]};
    }
    return chunk.ok && TPage_LoadEntries(entries.data(), (int)count);
}

bool GameFile_LoadPageTextures(GameFileReader chunk)
{
    uint32_t count;
    if (!chunk.Count(&count, 4)) return false;
    std::vector<const uint8_t*> pngs(count);
    std::vector<size_t> sizes(count);
    for (uint32_t i = 0; i < count; i++) {
        GameFileReader r = chunk.At(chunk.U32());
        uint32_t length = r.U32();
        pngs[i] = r.ok ? GameFile_Relocate((uint32_t)r.pos, length) : nullptr;
        sizes[i] = length;
        if (!pngs[i]) return false;
    }
    return chunk.ok && TPage_LoadTextures(pngs.data(), sizes.data(), (int)count);
}

bool GameFilePageIndex::Build()
{
    m_sorted.clear();
    const GameFileChunk* chunk = GameFile_FindChunk("TPAG");
    if (!chunk) return true;
    GameFileReader r(chunk->offset, (size_t)chunk->offset + chunk->size);
    uint32_t count;
    if (!r.Count(&count, 4) || count > (uint32_t)TPAGE_HANDLE_BASE) return false;
    m_sorted.reserve(count);
    for (uint32_t i = 0; i < count; i++) {
        uint32_t offset = r.U32();
        if (!r.ok) return false;
        if (offset && GameFile_Relocate(offset, kRecordSize)) m_sorted.push_back({offset, (int)i});
    }
    std::sort(m_sorted.begin(), m_sorted.end());
    return true;
}

int GameFilePageIndex::Handle(uint32_t offset) const
{
    auto it = std::lower_bound(m_sorted.begin(), m_sorted.end(), std::make_pair(offset, -1));
    if (it == m_sorted.end() || it->first != offset) return -1;
    return TPAGE_HANDLE_BASE + it->second;
}

bool GameFilePageIndex::Size(uint32_t offset, int* width, int* height) const
{
    const uint8_t* record = Handle(offset) < 0 ? nullptr : GameFile_Relocate(offset, kRecordSize);
    if (!record) return false;
    *width = record[16] | record[17] << 8;
    *height = record[18] | record[19] << 8;
    return true;
}
