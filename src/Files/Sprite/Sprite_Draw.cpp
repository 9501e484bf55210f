// Sprite drawing: one frame becomes a textured quad through the page drawers (sprites of the game
// data file) or the texture drawers (sprites made while the game runs). Draw, DrawExt and
// DrawGeneral skip sprites that lie wholly outside the region being drawn.
#include "Sprite/Sprite_Class.h"

#include "Graphics_API/DrawRegion.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Texture.h"

#include <cmath>

namespace {
const float DEG_TO_RAD = 3.1415927f / 180;

// Whether something within rx horizontally and ry vertically of (x, y) may show in the region.
bool MayShow(float x, float y, float rx, float ry)
{
    return (float)DrawRegion.left - x <= rx && x - (float)DrawRegion.right <= rx &&
           (float)DrawRegion.top - y <= ry && y - (float)DrawRegion.bottom <= ry;
}

// Whether a quad of width x height, turned by radians about its top-left corner (x, y) as the
// device layer turns it, may show in the region; one with a corner that is not a number never does.
bool QuadMayShow(float x, float y, float width, float height, float radians)
{
    float c = std::cos(radians), sn = std::sin(radians);
    float minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
    for (float dx : {0.0f, width})
        for (float dy : {0.0f, height}) {
            float px = x + c * dx + sn * dy, py = y - sn * dx + c * dy;
            if (!std::isfinite(px) || !std::isfinite(py)) return false;
            minX = std::fmin(minX, px), maxX = std::fmax(maxX, px);
            minY = std::fmin(minY, py), maxY = std::fmax(maxY, py);
        }
    return maxX >= (float)DrawRegion.left && minX <= (float)DrawRegion.right && maxY >= (float)DrawRegion.top &&
           minY <= (float)DrawRegion.bottom;
}
}

// The frame's texture id for sprites without page entries, -1 when none.
static int FrameTexture(const CSprite& sprite, int f)
{
    return f < (int)sprite.m_textures.size() ? sprite.m_textures[f] : -1;
}

void CSprite::Draw(int frame, float x, float y) const
{
    if (m_numb < 1) return;
    if (SurfaceTarget == -1 && !ProjectionOverride && !MayShow(x, y, (float)m_cullRadius, (float)m_cullRadius)) return;
    int f = WrapFrame(frame);
    if (HasPageEntries()) GR_Texture_Draw_TPage(PageEntry(f), x - m_xorigin, y - m_yorigin);
    else GR_Texture_Draw(FrameTexture(*this, f), x - m_xorigin, y - m_yorigin);
}

void CSprite::DrawExt(int frame, float x, float y, float xscale, float yscale, float angle, uint32_t colour, float alpha) const
{
    if (m_numb < 1) return;
    if (!Graphics3D_Mode && !ProjectionOverride) {
        float r = std::fmax(std::fabs(m_cullRadius * xscale), std::fabs(m_cullRadius * yscale));
        if (!MayShow(x, y, r, r)) return;
    }
    int f = WrapFrame(frame);
    float radians = angle * DEG_TO_RAD;
    if (HasPageEntries())
        GR_Texture_Draw_Ext_TPage(PageEntry(f), (float)m_xorigin, (float)m_yorigin, x, y, xscale, yscale, radians, colour, alpha);
    else
        GR_Texture_Draw_Ext(FrameTexture(*this, f), (float)m_xorigin, (float)m_yorigin, x, y, xscale, yscale, radians, colour, alpha);
}

void CSprite::DrawStretched(int frame, float x, float y, float width, float height, uint32_t colour, float alpha) const
{
    if (m_numb < 1 || !(width > 0) || !(height > 0) || m_width <= 0 || m_height <= 0) return;
    int f = WrapFrame(frame);
    float xscale = width / m_width, yscale = height / m_height;
    if (HasPageEntries()) GR_Texture_Draw_Ext_TPage(PageEntry(f), 0, 0, x, y, xscale, yscale, 0, colour, alpha);
    else GR_Texture_Draw_Ext(FrameTexture(*this, f), 0, 0, x, y, xscale, yscale, 0, colour, alpha);
}

void CSprite::DrawPart(int frame, float left, float top, float width, float height, float x, float y, float xscale, float yscale, uint32_t colour, float alpha) const
{
    if (m_numb < 1) return;
    int f = WrapFrame(frame);
    if (HasPageEntries()) GR_Texture_Draw_Part_TPage(PageEntry(f), left, top, width, height, x, y, xscale, yscale, colour, alpha);
    else GR_Texture_Draw_Part(FrameTexture(*this, f), left, top, width, height, x, y, xscale, yscale, colour, alpha);
}

void CSprite::DrawGeneral(int frame, float left, float top, float width, float height, float x, float y, float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha) const
{
    if (m_numb < 1) return;
    float radians = angle * DEG_TO_RAD;
    // The part's own quad is culled, wherever the sprite's origin lies.
    if (SurfaceTarget == -1 && !ProjectionOverride && !QuadMayShow(x, y, width * xscale, height * yscale, radians)) return;
    int f = WrapFrame(frame);
    if (HasPageEntries())
        GR_Texture_Draw_General_TPage(PageEntry(f), left, top, width, height, x, y, xscale, yscale, radians, c1, c2, c3, c4, alpha);
    else
        GR_Texture_Draw_General(FrameTexture(*this, f), left, top, width, height, x, y, xscale, yscale, radians, c1, c2, c3, c4, alpha);
}

void CSprite::DrawTiled(int frame, float x, float y, float xscale, float yscale, bool htiled, bool vtiled, float areaLeft, float areaTop, float areaWidth, float areaHeight, uint32_t colour, float alpha) const
{
    // The drawers refuse steps under a thousandth of a pixel and cap the copies, so a scale of 0
    // or a tiny one ends at once.
    if (m_numb < 1) return;
    int f = WrapFrame(frame);
    if (HasPageEntries())
        GR_Texture_Draw_Tiled_TPage(PageEntry(f), (float)m_xorigin, (float)m_yorigin, x, y, xscale, yscale, htiled, vtiled, areaLeft, areaTop, areaWidth, areaHeight, colour, alpha);
    else
        GR_Texture_Draw_Tiled(FrameTexture(*this, f), (float)m_xorigin, (float)m_yorigin, x, y, xscale, yscale, htiled, vtiled, areaLeft, areaTop, areaWidth, areaHeight, colour, alpha);
}

void CSprite::DrawPos(int frame, float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, float alpha) const
{
    if (m_numb < 1 || !HasPageEntries()) return;
    GR_Texture_Draw_Pos_TPage(PageEntry(WrapFrame(frame)), x1, y1, x2, y2, x3, y3, x4, y4, alpha);
}
