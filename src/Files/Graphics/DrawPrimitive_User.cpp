// The user primitive: vertices collected between begin and end, then handed to the batch whole.
#include "Graphics/DrawPrimitives.h"
#include "Graphics/DrawPrimitives_Internal.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Texture.h"

#include <cstring>

namespace {
struct PrimitiveBuffer {
    int kind = 0;
    int texture = -1;                   // texture id, -1 none
    const TPageEntry* page = nullptr;   // texture coordinates are relative to this entry
    float pageWidth = 1, pageHeight = 1;
    int count = 0;
    VertexXYZColorUV vertices[DRAW_PRIMITIVE_MAX];
};
PrimitiveBuffer g_primitive;
}

void Draw_PrimitiveBegin(int kind, int texture)
{
    PrimitiveBuffer& p = g_primitive;
    p.count = 0;
    p.kind = kind;
    p.texture = -1;
    p.page = nullptr;
    p.pageWidth = p.pageHeight = 1;
    if (texture == -1) return;
    if (GR_Texture_Exists(texture)) {
        p.texture = texture;
        return;
    }
    // Otherwise only a known page-entry handle names a texture; any other number means none.
    const TPageEntry* page = TPage_Get(texture);
    GR_TextureSlot* slot = GR_Texture_Slot(TPage_TextureId(page));
    if (!page || !slot || !slot->width || !slot->height) return;
    p.texture = TPage_TextureId(page);
    p.page = page;
    p.pageWidth = slot->width;
    p.pageHeight = slot->height;
}

static void Append(float x, float y, uint32_t word, float u, float v)
{
    PrimitiveBuffer& p = g_primitive;
    if (p.count >= DRAW_PRIMITIVE_MAX) return;
    if (p.page) {
        u = (p.page->x + u * p.page->cropWidth) / p.pageWidth;
        v = (p.page->y + v * p.page->cropHeight) / p.pageHeight;
    }
    p.vertices[p.count++] = {x, y, GR_Depth, word, u, v};
}

void Draw_Vertex(float x, float y)
{
    Append(x, y, Draw_GetColorWord(), 0, 0);
}

void Draw_VertexColor(float x, float y, uint32_t colour, double alpha)
{
    Append(x, y, Color_ToARGB(colour, Draw_AlphaByte(alpha)), 0, 0);
}

void Draw_VertexTexture(float x, float y, float u, float v)
{
    Append(x, y, Draw_GetColorWord(), u, v);
}

void Draw_VertexTextureColor(float x, float y, float u, float v, uint32_t colour, double alpha)
{
    Append(x, y, Color_ToARGB(colour, Draw_AlphaByte(alpha)), u, v);
}

// Vertices that make whole primitives of the kind; the rest would join the next shape's.
static int WholeCount(int kind, int count)
{
    switch (kind) {
    case GR_POINTLIST: return count;
    case GR_LINELIST: return count - count % 2;
    case GR_LINESTRIP: return count >= 2 ? count : 0;
    case GR_TRIANGLELIST: return count - count % 3;
    case GR_TRIANGLESTRIP:
    case GR_TRIANGLEFAN: return count >= 3 ? count : 0;
    default: return 0;
    }
}

void Draw_PrimitiveEnd()
{
    PrimitiveBuffer& p = g_primitive;
    int count = WholeCount(p.kind, p.count);
    if (count <= 0) return;
    void* room = GR_Batch_Reserve(p.kind, GR_Texture_Get_API_Texture(p.texture), sizeof(VertexXYZColorUV), count);
    if (room) memcpy(room, p.vertices, sizeof(VertexXYZColorUV) * count);
}

int Draw_PrimitiveCount()
{
    return g_primitive.count;
}
