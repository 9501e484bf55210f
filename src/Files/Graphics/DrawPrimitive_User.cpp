// The user primitive: vertices collected between begin and end, then handed to the batch whole.
#include "Graphics/DrawPrimitives.h"
#include "Graphics/DrawPrimitives_Internal.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Texture.h"

#include <cstring>

namespace {
struct PrimitiveBuffer {
    int kind = 0;
    GR_TextureRef texture;
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
    p.texture = GR_Texture_Resolve(texture);
}

static void Append(float x, float y, uint32_t word, float u, float v)
{
    PrimitiveBuffer& p = g_primitive;
    if (p.count >= DRAW_PRIMITIVE_MAX) return;
    p.texture.Map(&u, &v);
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

void Draw_PrimitiveEnd()
{
    PrimitiveBuffer& p = g_primitive;
    int count = GR_Batch_WholeCount(p.kind, p.count);
    if (count <= 0) return;
    void* room = GR_Batch_Reserve(p.kind, GR_Texture_Get_API_Texture(p.texture.texture), sizeof(VertexXYZColorUV), count);
    if (room) memcpy(room, p.vertices, sizeof(VertexXYZColorUV) * count);
}

int Draw_PrimitiveCount()
{
    return g_primitive.count;
}
