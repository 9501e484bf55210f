#include "Graphics_API/EmbeddedImages.h"
#include "Graphics_API/GR_Backend.h"
#include "Base/MemoryManager.h"

#include "Graphics_API/EmbeddedImages_Shapes.inc"

static GR_DeviceTexture* g_textures[EMBEDDED_IMAGE_COUNT];

GR_DeviceTexture* EmbeddedImages_GetTexture(int index)
{
    if (index < 1 || index >= EMBEDDED_IMAGE_COUNT) return nullptr;
    if (g_textures[index]) return g_textures[index];
    const unsigned char* alpha = kParticleShapes[index - 1];
    uint8_t* rgba = (uint8_t*)MemAlloc(64 * 64 * 4);
    for (int i = 0; i < 64 * 64; i++) {
        rgba[i * 4] = rgba[i * 4 + 1] = rgba[i * 4 + 2] = 255;
        rgba[i * 4 + 3] = alpha[i];
    }
    g_textures[index] = GRB_Texture_Create(64, 64, rgba);
    MemFree(rgba);
    return g_textures[index];
}

void EmbeddedImages_Free()
{
    for (GR_DeviceTexture*& texture : g_textures) {
        GRB_Texture_Destroy(texture);
        texture = nullptr;
    }
}
