#include "Graphics_API/GR_Texture.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Graphics_API/Image.h"

#include <algorithm>

#include <cmath>
#include <cstring>

// The entries live in one block that is not moved while loaded: sprites, backgrounds and fonts
// keep pointers to them.
static TPageEntry* g_entries = nullptr;
static int g_count = 0;

bool TPage_LoadEntries(const TPageEntry* entries, int count)
{
    if (count < 0 || count > TPAGE_HANDLE_BASE || (count > 0 && !entries)) return false;
    for (int i = 0; i < count; i++) {
        const TPageEntry& e = entries[i];
        if ((int)e.xoffset + e.cropWidth > e.ow || (int)e.yoffset + e.cropHeight > e.oh) {
            Console_Warnings->Output("Texture page entry %d is damaged\n", i);
            return false;
        }
    }
    TPageEntry* copy = count ? (TPageEntry*)MemAlloc(sizeof(TPageEntry) * count) : nullptr;
    if (count) memcpy(copy, entries, sizeof(TPageEntry) * count);
    MemFree(g_entries);
    g_entries = copy;
    g_count = count;
    return true;
}

void TPage_Free()
{
    MemFree(g_entries);
    g_entries = nullptr;
    g_count = 0;
    TPage_FreeTextures();
}

int TPage_Count()
{
    return g_count;
}

TPageEntry* TPage_Get(double handle)
{
    if (!(handle >= TPAGE_HANDLE_BASE && handle < (double)TPAGE_HANDLE_BASE + g_count)) return nullptr;
    if (handle != std::floor(handle)) return nullptr;
    return &g_entries[(int)handle - TPAGE_HANDLE_BASE];
}

TPageEntry* TPage_At(int index)
{
    return index >= 0 && index < g_count ? &g_entries[index] : nullptr;
}

int TPage_Handle(const TPageEntry* entry)
{
    if (!entry || entry < g_entries || entry >= g_entries + g_count) return -1;
    return TPAGE_HANDLE_BASE + (int)(entry - g_entries);
}

int TPage_TextureId(const TPageEntry* entry)
{
    if (!entry) return -1;
    return TPage_PageTexture(entry->tp);
}

GR_TextureRef GR_Texture_Resolve(int value)
{
    GR_TextureRef ref;
    if (GR_Texture_Exists(value)) {
        ref.texture = value;
        return ref;
    }
    const TPageEntry* page = TPage_Get(value);
    GR_TextureSlot* slot = GR_Texture_Slot(TPage_TextureId(page));
    if (!page || !slot || !slot->width || !slot->height) return ref;
    ref.texture = TPage_TextureId(page);
    ref.page = page;
    ref.pageWidth = slot->width;
    ref.pageHeight = slot->height;
    return ref;
}

void GR_TextureRef::Map(float* u, float* v) const
{
    if (!page) return;
    *u = (page->x + *u * page->cropWidth) / pageWidth;
    *v = (page->y + *v * page->cropHeight) / pageHeight;
}

bool TPage_VisibleBox(const TPageEntry* const* entries, int count, int box[4])
{
    // Entries of one sprite mostly share a page: each page is decoded once.
    int decoded = -1, width = 0, height = 0;
    uint8_t* rgba = nullptr;
    bool read = true;
    for (int i = 0; i < count && read; i++) {
        const TPageEntry* e = entries[i];
        if (!e) {
            read = false;
            break;
        }
        if (e->tp != decoded) {
            MemFree(rgba);
            rgba = nullptr;
            decoded = e->tp;
            GR_TextureSlot* slot = GR_Texture_Slot(TPage_PageTexture(e->tp));
            if (slot && slot->png) rgba = PNG_Decode(slot->png, slot->pngSize, &width, &height);
        }
        if (!rgba || e->x + e->w > width || e->y + e->h > height) {
            read = false;
            break;
        }
        // A page pixel stands for the part of the content its share of the entry covers.
        for (int py = 0; py < e->h; py++)
            for (int px = 0; px < e->w; px++) {
                if (!rgba[((size_t)(e->y + py) * width + e->x + px) * 4 + 3]) continue;
                int l = e->xoffset + px * e->cropWidth / e->w, r = e->xoffset + ((px + 1) * e->cropWidth - 1) / e->w;
                int t = e->yoffset + py * e->cropHeight / e->h, b = e->yoffset + ((py + 1) * e->cropHeight - 1) / e->h;
                box[0] = std::min(box[0], l), box[1] = std::min(box[1], t);
                box[2] = std::max(box[2], std::max(l, r)), box[3] = std::max(box[3], std::max(t, b));
            }
    }
    MemFree(rgba);
    return read;
}
