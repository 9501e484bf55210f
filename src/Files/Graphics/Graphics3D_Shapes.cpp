// Blocks, cylinders, cones, ellipsoids, walls and floors as 3D primitives in the drawing colour.
#include "Graphics/Graphics3D_Primitive.h"
#include "Graphics_API/GR_Batch.h"
#include "Graphics_API/GR_Texture.h"

#include <algorithm>
#include <cmath>

namespace {

const float PI = 3.1415927f;

// Texture repeat is on while a shape draws; the setting is put back afterwards, also when the
// shape draws nothing.
class RepeatOn {
public:
    RepeatOn() : m_repeat(GR_Texture_Get_Repeat())
    {
        GR_Batch_Flush();
        GR_Texture_Set_Repeat(true);
    }
    ~RepeatOn()
    {
        GR_Batch_Flush();
        GR_Texture_Set_Repeat(m_repeat);
    }

private:
    bool m_repeat;
};

int Steps(int steps)
{
    return std::clamp(steps, 3, 128);
}

struct Corner {
    float x, y, z, u, v;
};

// Two triangles (a, b, c) and (c, d, a) of one face.
void Face(const Corner (&c)[4], float nx, float ny, float nz)
{
    static const int order[6] = {0, 1, 2, 2, 3, 0};
    for (int i : order) Graphics3D_VertexNormalTexture(c[i].x, c[i].y, c[i].z, nx, ny, nz, c[i].u, c[i].v);
}

// The ring of an elliptic cylinder or cone around (cx, cy): point i of steps.
struct Ring {
    float cx, cy, rx, ry;
    int steps;
    float Cos(int i) const { return std::cos(2 * PI * i / steps); }
    float Sin(int i) const { return std::sin(2 * PI * i / steps); }
    float X(int i) const { return cx + Cos(i) * rx; }
    float Y(int i) const { return cy + Sin(i) * ry; }
};

Ring RingOf(float x1, float y1, float x2, float y2, int steps)
{
    return {(x1 + x2) / 2, (y1 + y2) / 2, (x2 - x1) / 2, (y2 - y1) / 2, Steps(steps)};
}

// A closing fan at height z: the centre, then the ring points in the order given.
void Cap(const Ring& r, float z, int texture, bool up, float v)
{
    Graphics3D_PrimitiveBegin(GR_TRIANGLEFAN, texture);
    float nz = up ? 1.0f : -1.0f;
    Graphics3D_VertexNormalTexture(r.cx, r.cy, z, 0, 0, nz, 0, v);
    for (int k = 0; k <= r.steps; k++) {
        int i = up ? k : r.steps - k;
        Graphics3D_VertexNormalTexture(r.X(i), r.Y(i), z, 0, 0, nz, 0, v);
    }
    Graphics3D_PrimitiveEnd();
}

}  // namespace

void Graphics3D_DrawBlock(float x1, float y1, float z1, float x2, float y2, float z2, int texture, float hrepeat, float vrepeat)
{
    RepeatOn repeat;
    float h = hrepeat, v = vrepeat;
    Graphics3D_PrimitiveBegin(GR_TRIANGLELIST, texture);
    Face({{x1, y1, z1, 0, 0}, {x1, y2, z1, 0, v}, {x2, y2, z1, h, v}, {x2, y1, z1, h, 0}}, 0, 0, -1);
    Face({{x1, y1, z2, 0, 0}, {x2, y1, z2, h, 0}, {x2, y2, z2, h, v}, {x1, y2, z2, 0, v}}, 0, 0, 1);
    Face({{x1, y2, z1, 0, 0}, {x1, y2, z2, 0, v}, {x2, y2, z2, h, v}, {x2, y2, z1, h, 0}}, 0, 1, 0);
    Face({{x2, y2, z1, 0, 0}, {x2, y2, z2, 0, v}, {x2, y1, z2, h, v}, {x2, y1, z1, h, 0}}, 1, 0, 0);
    Face({{x2, y1, z1, 0, 0}, {x2, y1, z2, 0, v}, {x1, y1, z2, h, v}, {x1, y1, z1, h, 0}}, 0, -1, 0);
    Face({{x1, y1, z1, 0, 0}, {x1, y1, z2, 0, v}, {x1, y2, z2, h, v}, {x1, y2, z1, h, 0}}, -1, 0, 0);
    Graphics3D_PrimitiveEnd();
}

void Graphics3D_DrawCylinder(float x1, float y1, float z1, float x2, float y2, float z2, int texture, float hrepeat, float vrepeat, bool closed, int steps)
{
    RepeatOn repeat;
    Ring r = RingOf(x1, y1, x2, y2, steps);
    if (closed) Cap(r, z2, texture, true, vrepeat);
    Graphics3D_PrimitiveBegin(GR_TRIANGLESTRIP, texture);
    for (int i = 0; i <= r.steps; i++) {
        float u = i * hrepeat / r.steps;
        Graphics3D_VertexNormalTexture(r.X(i), r.Y(i), z2, r.Cos(i), r.Sin(i), 0, u, vrepeat);
        Graphics3D_VertexNormalTexture(r.X(i), r.Y(i), z1, r.Cos(i), r.Sin(i), 0, u, 0);
    }
    Graphics3D_PrimitiveEnd();
    if (closed) Cap(r, z1, texture, false, 0);
}

void Graphics3D_DrawCone(float x1, float y1, float z1, float x2, float y2, float z2, int texture, float hrepeat, float vrepeat, bool closed, int steps)
{
    RepeatOn repeat;
    Ring r = RingOf(x1, y1, x2, y2, steps);
    Graphics3D_PrimitiveBegin(GR_TRIANGLESTRIP, texture);
    for (int i = 0; i <= r.steps; i++) {
        float u = i * hrepeat / r.steps;
        Graphics3D_VertexNormalTexture(r.cx, r.cy, z2, 0, 0, 1, u, vrepeat);
        Graphics3D_VertexNormalTexture(r.X(i), r.Y(i), z1, r.Cos(i), r.Sin(i), 0, u, 0);
    }
    Graphics3D_PrimitiveEnd();
    if (closed) Cap(r, z1, texture, false, 0);
}

void Graphics3D_DrawEllipsoid(float x1, float y1, float z1, float x2, float y2, float z2, int texture, float hrepeat, float vrepeat, int steps)
{
    RepeatOn repeat;
    Ring r = RingOf(x1, y1, x2, y2, steps);
    float cz = (z1 + z2) / 2, rz = (z2 - z1) / 2;
    int bands = (r.steps + 1) / 2;
    for (int j = 0; j < bands; j++) {
        Graphics3D_PrimitiveBegin(GR_TRIANGLESTRIP, texture);
        for (int i = 0; i <= r.steps; i++) {
            float u = i * hrepeat / r.steps;
            for (int pole = j; pole <= j + 1; pole++) {
                float a = pole * PI / bands, s = std::sin(a), c = std::cos(a);
                Graphics3D_VertexNormalTexture(r.cx + r.rx * s * r.Cos(i), r.cy + r.ry * s * r.Sin(i), cz + rz * c,
                                               s * r.Cos(i), s * r.Sin(i), c, u, pole * vrepeat / bands);
            }
        }
        Graphics3D_PrimitiveEnd();
    }
}

void Graphics3D_DrawWall(float x1, float y1, float z1, float x2, float y2, float z2, int texture, float hrepeat, float vrepeat)
{
    RepeatOn repeat;
    float length = std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
    if (length == 0) return;
    float nx = (y2 - y1) / length, ny = -(x2 - x1) / length;
    Graphics3D_PrimitiveBegin(GR_TRIANGLEFAN, texture);
    Graphics3D_VertexNormalTexture(x1, y1, z1, nx, ny, 0, 0, 0);
    Graphics3D_VertexNormalTexture(x2, y2, z1, nx, ny, 0, hrepeat, 0);
    Graphics3D_VertexNormalTexture(x2, y2, z2, nx, ny, 0, hrepeat, vrepeat);
    Graphics3D_VertexNormalTexture(x1, y1, z2, nx, ny, 0, 0, vrepeat);
    Graphics3D_PrimitiveEnd();
}

void Graphics3D_DrawFloor(float x1, float y1, float z1, float x2, float y2, float z2, int texture, float hrepeat, float vrepeat)
{
    RepeatOn repeat;
    Graphics3D_PrimitiveBegin(GR_TRIANGLEFAN, texture);
    Graphics3D_VertexNormalTexture(x1, y1, z1, 0, 0, 1, 0, 0);
    Graphics3D_VertexNormalTexture(x1, y2, z1, 0, 0, 1, 0, vrepeat);
    Graphics3D_VertexNormalTexture(x2, y2, z2, 0, 0, 1, hrepeat, vrepeat);
    Graphics3D_VertexNormalTexture(x2, y1, z2, 0, 0, 1, hrepeat, 0);
    Graphics3D_PrimitiveEnd();
}
