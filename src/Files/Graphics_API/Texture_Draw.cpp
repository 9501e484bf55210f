// The textured-quad drawers: quads of one texture share a batch.
#include "Graphics_API/GR_Texture.h"
#include "Graphics_API/GR_Batch.h"
#include "Graphics_API/GR_Device.h"

#include <cmath>

namespace {
// An image to draw from: its device texture, the image size, where its content (the trimmed
// part) lies in image coordinates, and the texture coordinates of that content.
struct Source {
    GR_DeviceTexture* texture;
    float width, height;
    float left, top, right, bottom;
    float u0, v0, u1, v1;
};

// Where and how the image is placed: the image point (ox, oy) goes to (x, y); image units are
// scaled and then turned by angle (radians, counter-clockwise on the screen).
struct Placement {
    float ox, oy, x, y, xscale, yscale, angle;
};
}

static bool FromTexture(int id, Source* s)
{
    GR_TextureSlot* slot = GR_Texture_Slot(id);
    GR_DeviceTexture* texture = GR_Texture_Get_API_Texture(id);
    if (!slot || !texture) return false;
    *s = {texture, (float)slot->width, (float)slot->height, 0, 0, (float)slot->width, (float)slot->height, 0, 0, 1, 1};
    return true;
}

static bool FromPage(const TPageEntry* page, Source* s)
{
    // An entry trimmed to nothing (a wholly transparent image) draws nothing.
    if (!page || page->cropWidth == 0 || page->cropHeight == 0 || page->w == 0 || page->h == 0) return false;
    int id = TPage_TextureId(page);
    GR_TextureSlot* slot = GR_Texture_Slot(id);
    GR_DeviceTexture* texture = GR_Texture_Get_API_Texture(id);
    if (!slot || !texture) return false;
    *s = {texture, (float)page->ow, (float)page->oh,
          (float)page->xoffset, (float)page->yoffset,
          (float)(page->xoffset + page->cropWidth), (float)(page->yoffset + page->cropHeight),
          page->x * slot->rwidth, page->y * slot->rheight,
          (page->x + page->w) * slot->rwidth, (page->y + page->h) * slot->rheight};
    return true;
}

// Quad corners go top-left, top-right, bottom-right, bottom-left.
static const int CornerX[4] = {0, 1, 1, 0}, CornerY[4] = {0, 0, 1, 1};

// The quad of the corners (x, y) showing the texture's [u0, u1] x [v0, v1].
static void DrawQuad(GR_DeviceTexture* texture, const float* x, const float* y, const uint32_t* colours, const float* us, const float* vs)
{
    VertexXYZColorUV* v = (VertexXYZColorUV*)GR_Batch_Reserve_Quads(texture, sizeof(VertexXYZColorUV), 1);
    if (!v) return;
    for (int k = 0; k < 4; k++) v[k] = {x[k], y[k], GR_Depth, colours[k], us[CornerX[k]], vs[CornerY[k]]};
}

// Draws the part [l, r] x [t, b] (image coordinates) of the image; corner colours are given
// top-left, top-right, bottom-right, bottom-left.
static void DrawPart(const Source& s, float l, float t, float r, float b, const Placement& p, const uint32_t* colours)
{
    if (l < s.left) l = s.left;
    if (t < s.top) t = s.top;
    if (r > s.right) r = s.right;
    if (b > s.bottom) b = s.bottom;
    if (!(r > l && b > t)) return;
    float du = (s.u1 - s.u0) / (s.right - s.left), dv = (s.v1 - s.v0) / (s.bottom - s.top);
    float us[2] = {s.u0 + (l - s.left) * du, s.u0 + (r - s.left) * du};
    float vs[2] = {s.v0 + (t - s.top) * dv, s.v0 + (b - s.top) * dv};
    float xs[2] = {(l - p.ox) * p.xscale, (r - p.ox) * p.xscale};
    float ys[2] = {(t - p.oy) * p.yscale, (b - p.oy) * p.yscale};
    float c = 1, sn = 0;
    if (p.angle != 0) c = std::cos(p.angle), sn = std::sin(p.angle);
    float x[4], y[4];
    for (int k = 0; k < 4; k++) {
        float dx = xs[CornerX[k]], dy = ys[CornerY[k]];
        x[k] = p.x + c * dx + sn * dy;
        y[k] = p.y - sn * dx + c * dy;
    }
    DrawQuad(s.texture, x, y, colours, us, vs);
}

static void DrawWhole(const Source& s, float x, float y)
{
    uint32_t alpha = GR_Draw_Alpha < 0 ? 0 : GR_Draw_Alpha > 255 ? 255 : GR_Draw_Alpha;
    uint32_t word = alpha << 24 | 0xFFFFFF;
    uint32_t colours[4] = {word, word, word, word};
    DrawPart(s, 0, 0, s.width, s.height, {0, 0, x, y, 1, 1, 0}, colours);
}

static void DrawExt(const Source& s, float xo, float yo, float x, float y, float xscale, float yscale, float angle, uint32_t colour, float alpha)
{
    uint32_t word = GR_Color_Alpha_To_ARGB(colour, alpha);
    uint32_t colours[4] = {word, word, word, word};
    DrawPart(s, 0, 0, s.width, s.height, {xo, yo, x, y, xscale, yscale, angle}, colours);
}

static void DrawGeneral(const Source& s, float left, float top, float width, float height, float x, float y, float xscale, float yscale, float angle, const uint32_t* colours, float alpha)
{
    uint32_t words[4];
    for (int i = 0; i < 4; i++) words[i] = GR_Color_Alpha_To_ARGB(colours[i], alpha);
    DrawPart(s, left, top, left + width, top + height, {left, top, x, y, xscale, yscale, angle}, words);
}

// The first and last copy index along one axis whose extent meets [areaStart, areaStart + size].
static bool CopyRange(float origin, float position, float length, float scale, bool tiled, float areaStart, float areaSize, long* first, long* last)
{
    if (!tiled) {
        *first = *last = 0;
        return true;
    }
    float step = std::fabs(length * scale);
    if (!(step >= 1e-3f) || !(areaSize > 0) || !std::isfinite(position) || !std::isfinite(areaStart)) return false;
    float low = std::fmin(-origin * scale, (length - origin) * scale);
    double from = std::floor((areaStart - position - low) / step);
    double to = std::ceil((areaStart + areaSize - position - low) / step) - 1;
    if (!(to >= from)) return false;
    if (to - from >= GR_TILED_MAX_COPIES) to = from + GR_TILED_MAX_COPIES - 1;
    if (!(from > -2e9 && to < 2e9)) return false;
    *first = (long)from;
    *last = (long)to;
    return true;
}

static void DrawTiled(const Source& s, float xo, float yo, float x, float y, float xscale, float yscale, bool htiled, bool vtiled, float areaLeft, float areaTop, float areaWidth, float areaHeight, uint32_t colour, float alpha)
{
    long i0, i1, j0, j1;
    if (!CopyRange(xo, x, s.width, xscale, htiled, areaLeft, areaWidth, &i0, &i1)) return;
    if (!CopyRange(yo, y, s.height, yscale, vtiled, areaTop, areaHeight, &j0, &j1)) return;
    float stepX = std::fabs(s.width * xscale), stepY = std::fabs(s.height * yscale);
    long copies = 0;
    for (long j = j0; j <= j1; j++) {
        for (long i = i0; i <= i1; i++) {
            if (++copies > GR_TILED_MAX_COPIES) return;
            DrawExt(s, xo, yo, x + i * stepX, y + j * stepY, xscale, yscale, 0, colour, alpha);
        }
    }
}

void GR_Texture_Draw(int tex, float x, float y)
{
    Source s;
    if (FromTexture(tex, &s)) DrawWhole(s, x, y);
}

void GR_Texture_Draw_TPage(const TPageEntry* page, float x, float y)
{
    Source s;
    if (FromPage(page, &s)) DrawWhole(s, x, y);
}

void GR_Texture_Draw_Ext(int tex, float xo, float yo, float x, float y, float xscale, float yscale, float angle, uint32_t colour, float alpha)
{
    Source s;
    if (FromTexture(tex, &s)) DrawExt(s, xo, yo, x, y, xscale, yscale, angle, colour, alpha);
}

void GR_Texture_Draw_Ext_TPage(const TPageEntry* page, float xo, float yo, float x, float y, float xscale, float yscale, float angle, uint32_t colour, float alpha)
{
    Source s;
    if (FromPage(page, &s)) DrawExt(s, xo, yo, x, y, xscale, yscale, angle, colour, alpha);
}

void GR_Texture_Draw_Part(int tex, float left, float top, float width, float height, float x, float y, float xscale, float yscale, uint32_t colour, float alpha)
{
    Source s;
    uint32_t colours[4] = {colour, colour, colour, colour};
    if (FromTexture(tex, &s)) DrawGeneral(s, left, top, width, height, x, y, xscale, yscale, 0, colours, alpha);
}

void GR_Texture_Draw_Part_TPage(const TPageEntry* page, float left, float top, float width, float height, float x, float y, float xscale, float yscale, uint32_t colour, float alpha)
{
    Source s;
    uint32_t colours[4] = {colour, colour, colour, colour};
    if (FromPage(page, &s)) DrawGeneral(s, left, top, width, height, x, y, xscale, yscale, 0, colours, alpha);
}

void GR_Texture_Draw_General(int tex, float left, float top, float width, float height, float x, float y, float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha)
{
    Source s;
    uint32_t colours[4] = {c1, c2, c3, c4};
    if (FromTexture(tex, &s)) DrawGeneral(s, left, top, width, height, x, y, xscale, yscale, angle, colours, alpha);
}

void GR_Texture_Draw_General_TPage(const TPageEntry* page, float left, float top, float width, float height, float x, float y, float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha)
{
    Source s;
    uint32_t colours[4] = {c1, c2, c3, c4};
    if (FromPage(page, &s)) DrawGeneral(s, left, top, width, height, x, y, xscale, yscale, angle, colours, alpha);
}

void GR_Texture_Draw_Pos_TPage(const TPageEntry* page, float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, float alpha)
{
    Source s;
    if (!FromPage(page, &s)) return;
    uint32_t word = GR_Color_Alpha_To_ARGB(0xFFFFFF, alpha);
    uint32_t colours[4] = {word, word, word, word};
    // The corners belong to the whole image; the content is the part of the quad its trim gives.
    float fx[2] = {s.left / s.width, s.right / s.width}, fy[2] = {s.top / s.height, s.bottom / s.height};
    float x[4], y[4], us[2] = {s.u0, s.u1}, vs[2] = {s.v0, s.v1};
    for (int k = 0; k < 4; k++) {
        float a = fx[CornerX[k]], b = fy[CornerY[k]];
        x[k] = (1 - b) * ((1 - a) * x1 + a * x2) + b * ((1 - a) * x4 + a * x3);
        y[k] = (1 - b) * ((1 - a) * y1 + a * y2) + b * ((1 - a) * y4 + a * y3);
    }
    DrawQuad(s.texture, x, y, colours, us, vs);
}

void GR_Texture_Draw_Tiled(int tex, float xo, float yo, float x, float y, float xscale, float yscale, bool htiled, bool vtiled, float areaLeft, float areaTop, float areaWidth, float areaHeight, uint32_t colour, float alpha)
{
    Source s;
    if (FromTexture(tex, &s)) DrawTiled(s, xo, yo, x, y, xscale, yscale, htiled, vtiled, areaLeft, areaTop, areaWidth, areaHeight, colour, alpha);
}

void GR_Texture_Draw_Tiled_TPage(const TPageEntry* page, float xo, float yo, float x, float y, float xscale, float yscale, bool htiled, bool vtiled, float areaLeft, float areaTop, float areaWidth, float areaHeight, uint32_t colour, float alpha)
{
    Source s;
    if (FromPage(page, &s)) DrawTiled(s, xo, yo, x, y, xscale, yscale, htiled, vtiled, areaLeft, areaTop, areaWidth, areaHeight, colour, alpha);
}
