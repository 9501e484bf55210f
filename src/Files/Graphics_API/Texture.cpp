#include "Graphics_API/GR_Texture.h"
#include "Graphics_API/GR_Backend.h"
#include "Graphics_API/GR_Batch.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/Bitmap32.h"
#include "Graphics_API/Image.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Platform/Array.h"

#include <vector>

static std::vector<GR_TextureSlot> g_slots;
static bool g_linear = false;
static bool g_repeat = false;
// Page textures: slots that hold PNG bytes and become resident when first drawn.
static std::vector<int> g_pageTextures;

GR_TextureSlot* GR_Texture_Slot(int id)
{
    if (id < 0 || id >= (int)g_slots.size() || !g_slots[id].valid) return nullptr;
    return &g_slots[id];
}

// The lowest free slot, filled with a texture of that size.
static int NewSlot(GR_DeviceTexture* texture, int width, int height, bool owned)
{
    GR_TextureSlot slot = {};
    slot.texture = texture;
    slot.width = (uint16_t)width;
    slot.height = (uint16_t)height;
    slot.rwidth = 1.0f / width;
    slot.rheight = 1.0f / height;
    slot.valid = true;
    slot.owned = owned;
    return Array_PlaceInFreeSlot(g_slots, slot);
}

static bool SizeFits(int width, int height)
{
    int max = GRB_Max_Texture_Size();
    return width > 0 && height > 0 && width <= max && height <= max && width <= 65535 && height <= 65535;
}

int GR_Texture_Create_From_Bitmap32(const CBitmap32* bitmap)
{
    if (!bitmap || !bitmap->m_valid || !SizeFits(bitmap->m_width, bitmap->m_height)) return -1;
    GR_DeviceTexture* texture = GRB_Texture_Create(bitmap->m_width, bitmap->m_height, (const uint8_t*)bitmap->m_pixels);
    if (!texture) return -1;
    return NewSlot(texture, bitmap->m_width, bitmap->m_height, true);
}

int GR_Texture_Create_From_Alpha(int width, int height, size_t byteCount, const uint8_t* alpha)
{
    if (!alpha || !SizeFits(width, height) || byteCount < (size_t)width * height) return -1;
    size_t n = (size_t)width * height;
    uint8_t* rgba = (uint8_t*)MemAlloc(n * 4);
    if (!rgba) return -1;
    for (size_t i = 0; i < n; i++) {
        rgba[i * 4] = rgba[i * 4 + 1] = rgba[i * 4 + 2] = 255;
        rgba[i * 4 + 3] = alpha[i];
    }
    GR_DeviceTexture* texture = GRB_Texture_Create(width, height, rgba);
    MemFree(rgba);
    if (!texture) return -1;
    return NewSlot(texture, width, height, true);
}

int GR_Texture_Wrap(GR_DeviceTexture* texture, int width, int height)
{
    if (!texture || width <= 0 || height <= 0 || width > 65535 || height > 65535) return -1;
    return NewSlot(texture, width, height, false);
}

bool GR_Texture_Exists(int id)
{
    return GR_Texture_Slot(id) != nullptr;
}

void GR_Texture_Free(int id)
{
    GR_TextureSlot* slot = GR_Texture_Slot(id);
    if (!slot) return;
    // Vertices already batched may still name this texture.
    GR_Batch_Flush();
    if (slot->owned && slot->texture) GRB_Texture_Destroy(slot->texture);
    *slot = GR_TextureSlot{};
}

void GR_Texture_Free_All()
{
    GR_Batch_Flush();
    for (size_t i = 0; i < g_slots.size(); i++) GR_Texture_Free((int)i);
    g_slots.clear();
    g_pageTextures.clear();
}

// Makes a page texture resident from its PNG bytes; false when it cannot be.
static bool MakeResident(GR_TextureSlot* slot)
{
    if (slot->texture) return true;
    if (!slot->png || slot->failed) return false;
    int w = 0, h = 0;
    uint8_t* rgba = PNG_Decode(slot->png, slot->pngSize, &w, &h);
    if (rgba && w == slot->width && h == slot->height) slot->texture = GRB_Texture_Create(w, h, rgba);
    MemFree(rgba);
    if (!slot->texture) {
        // Reported once; the pages of this texture then draw nothing.
        slot->failed = true;
        Console_Warnings->Output("Texture page could not be loaded (%d x %d)\n", slot->width, slot->height);
        return false;
    }
    return true;
}

void GR_Texture_Preload(int id)
{
    GR_TextureSlot* slot = GR_Texture_Slot(id);
    if (slot) MakeResident(slot);
}

void GR_Texture_Set_Priority(int id, float priority)
{
    GR_TextureSlot* slot = GR_Texture_Slot(id);
    if (slot && slot->texture) GRB_Texture_Set_Priority(slot->texture, priority);
}

// Every texture fills its whole device texture, so the used fraction is 1.
float GR_Texture_Get_Width(int id)
{
    return 1.0f;
}

float GR_Texture_Get_Height(int id)
{
    return 1.0f;
}

GR_DeviceTexture* GR_Texture_Get_API_Texture(int id)
{
    GR_TextureSlot* slot = GR_Texture_Slot(id);
    if (!slot || !MakeResident(slot)) return nullptr;
    return slot->texture;
}

void GR_Texture_Set_Interpolation(bool linear)
{
    if (linear == g_linear) return;
    GR_Batch_Flush();
    g_linear = linear;
}

bool GR_Texture_Get_Interpolation()
{
    return g_linear;
}

void GR_Texture_Set_Repeat(bool repeat)
{
    if (repeat == g_repeat) return;
    GR_Batch_Flush();
    g_repeat = repeat;
}

bool GR_Texture_Get_Repeat()
{
    return g_repeat;
}

void GR_Texture_Set_Blending(bool on)
{
    GR_D3D_Set_Render_State(GR_RS_ALPHABLEND, on);
}

void GR_Texture_Flush()
{
    GR_Batch_Flush();
    for (GR_TextureSlot& slot : g_slots) {
        if (slot.valid && slot.png && slot.texture) {
            GRB_Texture_Destroy(slot.texture);
            slot.texture = nullptr;
        }
    }
}

void GR_D3D_Texture_Free(GR_DeviceTexture* texture)
{
    if (!texture) return;
    GR_Batch_Flush();
    GRB_Texture_Destroy(texture);
}

bool TPage_LoadTextures(const uint8_t* const* pngs, const size_t* sizes, int count)
{
    if (count < 0 || (count > 0 && (!pngs || !sizes))) return false;
    std::vector<int> ids;
    for (int i = 0; i < count; i++) {
        int w, h;
        if (!PNG_GetSize(pngs[i], sizes[i], &w, &h)) {
            Console_Warnings->Output("Texture page %d is not a PNG image\n", i);
            for (int id : ids) GR_Texture_Free(id);
            return false;
        }
        int id = NewSlot(nullptr, w, h, true);
        g_slots[id].png = pngs[i];
        g_slots[id].pngSize = sizes[i];
        ids.push_back(id);
    }
    for (int id : g_pageTextures) GR_Texture_Free(id);
    g_pageTextures = ids;
    return true;
}

int TPage_PageTexture(int page)
{
    if (page < 0 || page >= (int)g_pageTextures.size()) return -1;
    return g_pageTextures[page];
}

void TPage_FreeTextures()
{
    for (int id : g_pageTextures) GR_Texture_Free(id);
    g_pageTextures.clear();
}
