#include "Graphics/Graphics3D_Primitive.h"
#include "Graphics/DrawPrimitives.h"
#include "Graphics/DrawPrimitives_Internal.h"
#include "Graphics_API/GR_Batch.h"
#include "Graphics_API/GR_Texture.h"
#include "Graphics_API/GraphicsRecorder.h"

#include <cstring>

namespace {

struct Primitive {
    int kind = 0;
    int limit = PRIMITIVE3D_MAX;
    GR_TextureRef texture;
    int count = 0;
    VertexXYZNormalColorUV vertices[PRIMITIVE3D_MAX];
    bool drawColour[PRIMITIVE3D_MAX];  // the vertex took the drawing colour
};

Primitive g_primitive;
// The game's primitive, put aside while a model is recorded.
Primitive g_aside;
D3DModelBatch* g_record = nullptr;

bool Drawable(int kind)
{
    return kind >= GR_POINTLIST && kind <= GR_TRIANGLEFAN;
}

void Send(const Primitive& p)
{
    if (!Drawable(p.kind)) return;
    int count = GR_Batch_WholeCount(p.kind, p.count);
    if (count <= 0) return;
    if (g_record) {
        GraphicsRecorder_AddPrimitive(g_record, p.kind, count, p.vertices, p.drawColour);
        return;
    }
    void* room = GR_Batch_Reserve(p.kind, GR_Texture_Get_API_Texture(p.texture.texture), sizeof(VertexXYZNormalColorUV), count);
    if (room) memcpy(room, p.vertices, sizeof(VertexXYZNormalColorUV) * count);
}

// Sends a full primitive and keeps what continues it without a gap: the vertices at the given
// places, in order.
void Continue(Primitive& p)
{
    Send(p);
    int n = p.count;
    int keep[3], kept = 0;
    switch (p.kind) {
    case GR_LINESTRIP: keep[kept++] = n - 1; break;
    case GR_TRIANGLESTRIP:
        keep[kept++] = n - 2;
        // After an odd count a repeated vertex makes an empty triangle, so the next one keeps
        // its winding.
        if (n % 2) keep[kept++] = n - 2;
        keep[kept++] = n - 1;
        break;
    case GR_TRIANGLEFAN:
        keep[kept++] = 0;
        keep[kept++] = n - 1;
        break;
    default: break;
    }
    VertexXYZNormalColorUV vertices[3];
    bool drawColour[3];
    for (int i = 0; i < kept; i++) vertices[i] = p.vertices[keep[i]], drawColour[i] = p.drawColour[keep[i]];
    for (int i = 0; i < kept; i++) p.vertices[i] = vertices[i], p.drawColour[i] = drawColour[i];
    p.count = kept;
}

// A vertex in the drawing colour.
void Add(float x, float y, float z, float nx, float ny, float nz, float u, float v)
{
    Primitive& p = g_primitive;
    if (p.count >= p.limit) Continue(p);
    p.texture.Map(&u, &v);
    p.drawColour[p.count] = true;
    p.vertices[p.count++] = {x, y, z, nx, ny, nz, Draw_GetColorWord(), u, v};
}

// A vertex given a colour: the alpha byte is alpha x 255 truncated.
void Add(float x, float y, float z, float nx, float ny, float nz, float u, float v, uint32_t colour, double alpha)
{
    Primitive& p = g_primitive;
    if (p.count >= p.limit) Continue(p);
    p.texture.Map(&u, &v);
    p.drawColour[p.count] = false;
    p.vertices[p.count++] = {x, y, z, nx, ny, nz, Color_ToARGB(colour, Draw_AlphaByte(alpha)), u, v};
}

}  // namespace

int Graphics3D_VertexLimit(int kind)
{
    return kind == GR_TRIANGLELIST ? PRIMITIVE3D_MAX - 1 : PRIMITIVE3D_MAX;
}

void Graphics3D_PrimitiveBegin(int kind, int texture)
{
    Primitive& p = g_primitive;
    p.count = 0;
    p.kind = kind;
    p.limit = Graphics3D_VertexLimit(kind);
    p.texture = GR_Texture_Resolve(texture);
}

void Graphics3D_PrimitiveEnd()
{
    Send(g_primitive);
    g_primitive.count = 0;
}

int Graphics3D_PrimitiveCount()
{
    return g_primitive.count;
}

void Graphics3D_Vertex(float x, float y, float z)
{
    Add(x, y, z, 0, 0, 0, 0, 0);
}

void Graphics3D_VertexColor(float x, float y, float z, uint32_t colour, double alpha)
{
    Add(x, y, z, 0, 0, 0, 0, 0, colour, alpha);
}

void Graphics3D_VertexTexture(float x, float y, float z, float u, float v)
{
    Add(x, y, z, 0, 0, 0, u, v);
}

void Graphics3D_VertexTextureColor(float x, float y, float z, float u, float v, uint32_t colour, double alpha)
{
    Add(x, y, z, 0, 0, 0, u, v, colour, alpha);
}

void Graphics3D_VertexNormal(float x, float y, float z, float nx, float ny, float nz)
{
    Add(x, y, z, nx, ny, nz, 0, 0);
}

void Graphics3D_VertexNormalColor(float x, float y, float z, float nx, float ny, float nz, uint32_t colour, double alpha)
{
    Add(x, y, z, nx, ny, nz, 0, 0, colour, alpha);
}

void Graphics3D_VertexNormalTexture(float x, float y, float z, float nx, float ny, float nz, float u, float v)
{
    Add(x, y, z, nx, ny, nz, u, v);
}

void Graphics3D_VertexNormalTextureColor(float x, float y, float z, float nx, float ny, float nz, float u, float v, uint32_t colour, double alpha)
{
    Add(x, y, z, nx, ny, nz, u, v, colour, alpha);
}

void Graphics3D_SetRecordTarget(D3DModelBatch* batch)
{
    if (batch && !g_record) g_aside = g_primitive;
    else if (!batch && g_record) g_primitive = g_aside;
    g_record = batch;
}
