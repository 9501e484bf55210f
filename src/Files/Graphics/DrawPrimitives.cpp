// The drawing state and the straight shapes: points, lines, triangles, rectangles.
#include "Graphics/DrawPrimitives.h"
#include "Graphics/DrawPrimitives_Internal.h"
#include "Graphics_API/GR_Device.h"

#include <cmath>
#include <utility>

// The drawing colour without alpha; the alpha is GR_Draw_Alpha, so the two cannot disagree.
static uint32_t g_colour = 0;
int Draw_CircleN = 24;
float Draw_Cos[65], Draw_Sin[65];

int Draw_AlphaByte(double alpha)
{
    if (!(alpha > 0)) return 0;
    if (alpha > 1) return 255;
    return (int)(alpha * 255);
}

// The drawing alpha as a byte, whoever set it.
static int AlphaNow()
{
    return GR_Draw_Alpha < 0 ? 0 : GR_Draw_Alpha > 255 ? 255 : GR_Draw_Alpha;
}

void Draw_Init()
{
    Draw_SetCirclePrecision(24);
}

void Draw_SetColor(uint32_t colour)
{
    g_colour = colour & 0xFFFFFF;
}

void Draw_SetAlpha(double alpha)
{
    GR_Draw_Alpha = Draw_AlphaByte(alpha);
}

uint32_t Draw_GetColor()
{
    return (uint32_t)AlphaNow() << 24 | g_colour;
}

double Draw_GetAlpha()
{
    return GR_Draw_Alpha / 255.0;
}

uint32_t Color_ToARGB(uint32_t colour, int alpha)
{
    return (uint32_t)(alpha & 0xFF) << 24 | (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

int Color_MakeRGB(int red, int green, int blue)
{
    return red + green * 256 + blue * 65536;
}

uint32_t Draw_GetColorWord()
{
    return Color_ToARGB(g_colour, AlphaNow());
}

uint32_t Draw_Word(uint32_t colour)
{
    return Color_ToARGB(colour, AlphaNow());
}

void Draw_Clear(uint32_t colour)
{
    Graphics::Clear(Color_ToARGB(colour, 255), 1.0f, 0, Graphics::CLEAR_COLOR | Graphics::CLEAR_DEPTH | Graphics::CLEAR_STENCIL);
}

void Draw_ClearAlpha(uint32_t colour, double alpha)
{
    Graphics::Clear(Color_ToARGB(colour, Draw_AlphaByte(alpha)), 1.0f, 0, Graphics::CLEAR_COLOR | Graphics::CLEAR_DEPTH | Graphics::CLEAR_STENCIL);
}

void Draw_SetCirclePrecision(int n)
{
    if (n < 4) n = 4;
    if (n > 64) n = 64;
    n &= ~3;
    Draw_CircleN = n;
    const float pi = 3.1415927f;
    for (int i = 0; i <= n; i++) {
        float a = (float)i * 2 * pi / (float)n;
        Draw_Cos[i] = std::cos(a);
        Draw_Sin[i] = std::sin(a);
    }
    // The last point closes the circle exactly.
    Draw_Cos[n] = Draw_Cos[0];
    Draw_Sin[n] = Draw_Sin[0];
}

int Draw_GetCirclePrecision()
{
    return Draw_CircleN;
}

void Draw_Put(VertexXYZColor* v, float x, float y, uint32_t colour)
{
    *v = {x, y, GR_Depth, colour};
}

void Draw_Put(VertexXYZColorUV* v, float x, float y, uint32_t colour)
{
    *v = {x, y, GR_Depth, colour, 0, 0};
}

static void Point(float x, float y, uint32_t word)
{
    if (VertexXYZColor* v = Draw_Reserve16(GR_POINTLIST, 1)) Draw_Put(v, x + 1, y + 1, word);
}

void Draw_Point(float x, float y)
{
    Point(x, y, Draw_GetColorWord());
}

void Draw_PointColor(float x, float y, uint32_t colour)
{
    Point(x, y, Draw_Word(colour));
}

static void Line(float x1, float y1, float x2, float y2, uint32_t word1, uint32_t word2)
{
    VertexXYZColor* v = Draw_Reserve16(GR_LINELIST, 2);
    if (!v) return;
    Draw_Put(&v[0], x1 + 1, y1 + 1, word1);
    Draw_Put(&v[1], x2 + 1, y2 + 1, word2);
}

void Draw_Line(float x1, float y1, float x2, float y2)
{
    uint32_t word = Draw_GetColorWord();
    Line(x1, y1, x2, y2, word, word);
}

void Draw_LineColor(float x1, float y1, float x2, float y2, uint32_t colour1, uint32_t colour2)
{
    Line(x1, y1, x2, y2, Draw_Word(colour1), Draw_Word(colour2));
}

static void LineWidth(float x1, float y1, float x2, float y2, float width, uint32_t word1, uint32_t word2)
{
    float dx = x2 - x1, dy = y2 - y1;
    float length = std::sqrt(dx * dx + dy * dy);
    if (!(length > 0)) return;
    float h = width / 2;
    float px = dx * h / length, py = dy * h / length;
    x1 += 1, y1 += 1, x2 += 1, y2 += 1;
    VertexXYZColorUV* v = Draw_Reserve24(GR_TRIANGLEFAN, 4);
    if (!v) return;
    Draw_Put(&v[0], x1 - py, y1 + px, word1);
    Draw_Put(&v[1], x2 - py, y2 + px, word2);
    Draw_Put(&v[2], x2 + py, y2 - px, word2);
    Draw_Put(&v[3], x1 + py, y1 - px, word1);
}

void Draw_LineWidth(float x1, float y1, float x2, float y2, float width)
{
    uint32_t word = Draw_GetColorWord();
    LineWidth(x1, y1, x2, y2, width, word, word);
}

void Draw_LineWidthColor(float x1, float y1, float x2, float y2, float width, uint32_t colour1, uint32_t colour2)
{
    LineWidth(x1, y1, x2, y2, width, Draw_Word(colour1), Draw_Word(colour2));
}

static void Triangle(float x1, float y1, float x2, float y2, float x3, float y3, uint32_t w1, uint32_t w2, uint32_t w3, bool outline)
{
    if (outline) {
        VertexXYZColor* v = Draw_Reserve16(GR_LINESTRIP, 4);
        if (!v) return;
        Draw_Put(&v[0], x1, y1, w1);
        Draw_Put(&v[1], x2, y2, w2);
        Draw_Put(&v[2], x3, y3, w3);
        Draw_Put(&v[3], x1, y1, w1);
        return;
    }
    VertexXYZColorUV* v = Draw_Reserve24(GR_TRIANGLELIST, 3);
    if (!v) return;
    Draw_Put(&v[0], x1, y1, w1);
    Draw_Put(&v[1], x2, y2, w2);
    Draw_Put(&v[2], x3, y3, w3);
}

void Draw_Triangle(float x1, float y1, float x2, float y2, float x3, float y3, bool outline)
{
    uint32_t word = Draw_GetColorWord();
    Triangle(x1, y1, x2, y2, x3, y3, word, word, word, outline);
}

void Draw_TriangleColor(float x1, float y1, float x2, float y2, float x3, float y3, uint32_t colour1, uint32_t colour2, uint32_t colour3, bool outline)
{
    Triangle(x1, y1, x2, y2, x3, y3, Draw_Word(colour1), Draw_Word(colour2), Draw_Word(colour3), outline);
}

void Draw_Quad(float x1, float y1, float x2, float y2, uint32_t word)
{
    VertexXYZColorUV* v = Draw_Reserve24(GR_TRIANGLELIST, 6);
    if (!v) return;
    Draw_Put(&v[0], x1, y1, word);
    Draw_Put(&v[1], x2, y1, word);
    Draw_Put(&v[2], x1, y2, word);
    Draw_Put(&v[3], x2, y1, word);
    Draw_Put(&v[4], x2, y2, word);
    Draw_Put(&v[5], x1, y2, word);
}

void Draw_Rectangle(float x1, float y1, float x2, float y2, bool outline)
{
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    uint32_t word = Draw_GetColorWord();
    if (!outline) {
        Draw_Quad(x1, y1, x2 + 1, y2 + 1, word);
        return;
    }
    float xs[5] = {x1 + 1, x2 + 1, x2 + 1, x1 + 1, x1 + 1}, ys[5] = {y1 + 1, y1 + 1, y2 + 1, y2 + 1, y1 + 1};
    if (VertexXYZColor* v = Draw_Reserve16(GR_LINESTRIP, 5))
        for (int i = 0; i < 5; i++) Draw_Put(&v[i], xs[i], ys[i], word);
    // The strip leaves out its last pixel: the corners are lit as points.
    if (VertexXYZColor* v = Draw_Reserve16(GR_POINTLIST, 4))
        for (int i = 0; i < 4; i++) Draw_Put(&v[i], xs[i], ys[i], word);
}

float Draw_Nudge(float edge)
{
    return edge == std::floor(edge) ? edge + 0.01f : edge;
}

void Draw_RectangleColor(float x1, float y1, float x2, float y2, uint32_t colour1, uint32_t colour2, uint32_t colour3, uint32_t colour4, bool outline)
{
    x2 += 1, y2 += 1;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    x2 = Draw_Nudge(x2), y2 = Draw_Nudge(y2);
    float xs[5] = {x1, x2, x2, x1, x1}, ys[5] = {y1, y1, y2, y2, y1};
    uint32_t words[5] = {Draw_Word(colour1), Draw_Word(colour2), Draw_Word(colour3), Draw_Word(colour4), Draw_Word(colour1)};
    if (outline) {
        if (VertexXYZColor* v = Draw_Reserve16(GR_LINESTRIP, 5))
            for (int i = 0; i < 5; i++) Draw_Put(&v[i], xs[i], ys[i], words[i]);
    } else if (VertexXYZColorUV* v = Draw_Reserve24(GR_TRIANGLEFAN, 5)) {
        for (int i = 0; i < 5; i++) Draw_Put(&v[i], xs[i], ys[i], words[i]);
    }
}
