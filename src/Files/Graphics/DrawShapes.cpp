// The round and composite shapes: circles, ellipses, rounded rectangles, arrows, buttons and
// health bars.
#include "Base/Color.h"
#include "Graphics/DrawPrimitives.h"
#include "Graphics/DrawPrimitives_Internal.h"

#include <cmath>
#include <utility>

static void Ellipse(float x1, float y1, float x2, float y2, uint32_t centre, uint32_t edge, bool outline)
{
    float cx = (x1 + x2) / 2, cy = (y1 + y2) / 2;
    float rx = std::fabs(x1 - x2) / 2, ry = std::fabs(y1 - y2) / 2;
    int n = Draw_CircleN;
    if (outline) {
        VertexXYZColor* v = Draw_Reserve16(GR_LINESTRIP, n + 1);
        if (!v) return;
        for (int i = 0; i <= n; i++) Draw_Put(&v[i], cx + Draw_Cos[i] * rx, cy + Draw_Sin[i] * ry, edge);
        return;
    }
    VertexXYZColorUV* v = Draw_Reserve24(GR_TRIANGLELIST, 3 * n);
    if (!v) return;
    for (int i = 0; i < n; i++, v += 3) {
        Draw_Put(&v[0], cx, cy, centre);
        Draw_Put(&v[1], cx + Draw_Cos[i] * rx, cy + Draw_Sin[i] * ry, edge);
        Draw_Put(&v[2], cx + Draw_Cos[i + 1] * rx, cy + Draw_Sin[i + 1] * ry, edge);
    }
}

void Draw_Circle(float x, float y, float r, bool outline)
{
    uint32_t word = Draw_GetColorWord();
    Ellipse(x - r, y - r, x + r, y + r, word, word, outline);
}

void Draw_CircleColor(float x, float y, float r, uint32_t centre, uint32_t edge, bool outline)
{
    Ellipse(x - r, y - r, x + r, y + r, Draw_Word(centre), Draw_Word(edge), outline);
}

void Draw_Ellipse(float x1, float y1, float x2, float y2, bool outline)
{
    uint32_t word = Draw_GetColorWord();
    Ellipse(x1, y1, x2, y2, word, word, outline);
}

void Draw_EllipseColor(float x1, float y1, float x2, float y2, uint32_t centre, uint32_t edge, bool outline)
{
    Ellipse(x1, y1, x2, y2, Draw_Word(centre), Draw_Word(edge), outline);
}

// Corners ordered, a whole far corner nudged by 0.01.
static void RoundRect(float x1, float y1, float x2, float y2, float cw, float ch, uint32_t centre, uint32_t edge, bool outline)
{
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    x2 = Draw_Nudge(x2), y2 = Draw_Nudge(y2);
    float w = x2 - x1, h = y2 - y1;
    cw = std::fmin(std::fmax(cw, 0.0f), w);
    ch = std::fmin(std::fmax(ch, 0.0f), h);
    float cx = (x1 + x2) / 2, cy = (y1 + y2) / 2;
    float rx = cw / 2, ry = ch / 2, dx = w / 2 - rx, dy = h / 2 - ry;
    int n = Draw_CircleN, q = n / 4;
    VertexXYZColorUV* v = Draw_Reserve24(outline ? GR_LINESTRIP : GR_TRIANGLEFAN, n + 6);
    if (!v) return;
    // Quarters in table order: +x +y, -x +y, -x -y, +x -y; each with both its end points.
    static const float sx[4] = {1, -1, -1, 1}, sy[4] = {1, 1, -1, -1};
    int k = 1;
    for (int quarter = 0; quarter < 4; quarter++)
        for (int i = quarter * q; i <= (quarter + 1) * q; i++, k++)
            Draw_Put(&v[k], cx + sx[quarter] * dx + Draw_Cos[i] * rx, cy + sy[quarter] * dy + Draw_Sin[i] * ry, edge);
    v[n + 5] = v[1];
    if (outline) v[0] = v[1];
    else Draw_Put(&v[0], cx, cy, centre);
}

void Draw_RoundRect(float x1, float y1, float x2, float y2, float cornerWidth, float cornerHeight, bool outline)
{
    uint32_t word = Draw_GetColorWord();
    RoundRect(x1, y1, x2, y2, cornerWidth, cornerHeight, word, word, outline);
}

void Draw_RoundRectColor(float x1, float y1, float x2, float y2, float cornerWidth, float cornerHeight, uint32_t centre, uint32_t edge, bool outline)
{
    RoundRect(x1, y1, x2, y2, cornerWidth, cornerHeight, Draw_Word(centre), Draw_Word(edge), outline);
}

void Draw_Arrow(float x1, float y1, float x2, float y2, float size)
{
    float dx = x2 - x1, dy = y2 - y1;
    float length = std::sqrt(dx * dx + dy * dy);
    if (!(length > 0)) return;
    float s = std::fmin(size, length);
    float ux = s * dx / length, uy = s * dy / length;
    uint32_t word = Draw_GetColorWord();
    if (VertexXYZColor* v = Draw_Reserve16(GR_LINELIST, 2)) {
        Draw_Put(&v[0], x1 + 1, y1 + 1, word);
        Draw_Put(&v[1], x2 + 1, y2 + 1, word);
    }
    if (VertexXYZColorUV* v = Draw_Reserve24(GR_TRIANGLELIST, 3)) {
        Draw_Put(&v[0], x2, y2, word);
        Draw_Put(&v[1], x2 - ux - uy / 3, y2 - uy + ux / 3, word);
        Draw_Put(&v[2], x2 - ux + uy / 3, y2 - uy - ux / 3, word);
    }
}

void Draw_Button(float x1, float y1, float x2, float y2, bool up)
{
    uint32_t light = Draw_Word(0xFFFFFF), dark = Draw_Word(0x808080);
    uint32_t first = up ? light : dark, second = up ? dark : light;
    if (VertexXYZColorUV* v = Draw_Reserve24(GR_TRIANGLELIST, 6)) {
        Draw_Put(&v[0], x1, y1, first);
        Draw_Put(&v[1], x2, y1, first);
        Draw_Put(&v[2], x1, y2, first);
        Draw_Put(&v[3], x1, y2, second);
        Draw_Put(&v[4], x2, y1, second);
        Draw_Put(&v[5], x2, y2, second);
    }
    float l = x1 + 2, t = y1 + 2, r = x2 - 2, b = y2 - 2;
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    Draw_Quad(l, t, r + 1, b + 1, Draw_GetColorWord());
}

void Draw_Healthbar(float x1, float y1, float x2, float y2, float amount, uint32_t backColour, uint32_t minColour,
                    uint32_t midColour, uint32_t maxColour, int direction, bool showBack, bool showBorder)
{
    if (showBack) {
        Draw_RectangleColor(x1, y1, x2, y2, backColour, backColour, backColour, backColour, false);
        if (showBorder) Draw_RectangleColor(x1, y1, x2, y2, 0, 0, 0, 0, true);
    }
    float a = amount > 100 ? 100 : amount > 0 ? amount : 0;
    if (a == 0) return;
    switch (direction) {
    case 1: x1 = x2 - (x2 - x1) * a / 100; break;
    case 2: y2 = y1 + (y2 - y1) * a / 100; break;
    case 3: y1 = y2 - (y2 - y1) * a / 100; break;
    default: x2 = x1 + (x2 - x1) * a / 100; break;
    }
    uint32_t colour = a > 50 ? (uint32_t)Color_Merge((int)midColour, (int)maxColour, (a - 50) / 50)
                             : (uint32_t)Color_Merge((int)minColour, (int)midColour, a / 50);
    Draw_RectangleColor(x1, y1, x2, y2, colour, colour, colour, colour, false);
    if (showBorder) Draw_RectangleColor(x1, y1, x2, y2, 0, 0, 0, 0, true);
}
