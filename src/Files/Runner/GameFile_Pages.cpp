#include "Runner/GameFile_Pages.h"
#include "Graphics_API/GR_Texture.h"

#include <algorithm>

// A TPAG record: 11 u16 fields and 2 bytes of padding; the untrimmed size is at byte 16.
static const size_t kRecordSize = 24;

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
