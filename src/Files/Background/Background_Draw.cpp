// Drawing a background: through its page entry when it has one, else through its own texture.
#include "Background/Background_Class.h"
#include "Graphics_API/GR_Texture.h"

static const float kDegrees = 3.1415927f / 180.0f;

void CBackground::Draw(float x, float y) const
{
    if (const TPageEntry* page = GetPageEntry()) GR_Texture_Draw_TPage(page, x, y);
    else GR_Texture_Draw(m_texture, x, y);
}

void CBackground::DrawExt(float x, float y, float xscale, float yscale, float angle, uint32_t colour, float alpha) const
{
    float radians = angle * kDegrees;
    if (const TPageEntry* page = GetPageEntry()) GR_Texture_Draw_Ext_TPage(page, 0, 0, x, y, xscale, yscale, radians, colour, alpha);
    else GR_Texture_Draw_Ext(m_texture, 0, 0, x, y, xscale, yscale, radians, colour, alpha);
}

void CBackground::DrawStretched(float x, float y, float width, float height, uint32_t colour, float alpha) const
{
    if (!(width > 0 && height > 0) || m_width <= 0 || m_height <= 0) return;
    DrawExt(x, y, width / m_width, height / m_height, 0, colour, alpha);
}

void CBackground::DrawPart(float left, float top, float width, float height, float x, float y, float xscale, float yscale, uint32_t colour, float alpha) const
{
    if (const TPageEntry* page = GetPageEntry()) GR_Texture_Draw_Part_TPage(page, left, top, width, height, x, y, xscale, yscale, colour, alpha);
    else GR_Texture_Draw_Part(m_texture, left, top, width, height, x, y, xscale, yscale, colour, alpha);
}

void CBackground::DrawGeneral(float left, float top, float width, float height, float x, float y, float xscale, float yscale, float angle,
                              uint32_t colour1, uint32_t colour2, uint32_t colour3, uint32_t colour4, float alpha) const
{
    float radians = angle * kDegrees;
    if (const TPageEntry* page = GetPageEntry())
        GR_Texture_Draw_General_TPage(page, left, top, width, height, x, y, xscale, yscale, radians, colour1, colour2, colour3, colour4, alpha);
    else
        GR_Texture_Draw_General(m_texture, left, top, width, height, x, y, xscale, yscale, radians, colour1, colour2, colour3, colour4, alpha);
}

// A scale of 0 or so small that the copies would be finer than a thousandth of a pixel draws
// nothing, and the copies are capped (the tiled drawers see to both).
void CBackground::DrawTiled(float x, float y, float xscale, float yscale, bool htiled, bool vtiled, float areaLeft, float areaTop,
                            float areaWidth, float areaHeight, uint32_t colour, float alpha) const
{
    if (const TPageEntry* page = GetPageEntry())
        GR_Texture_Draw_Tiled_TPage(page, 0, 0, x, y, xscale, yscale, htiled, vtiled, areaLeft, areaTop, areaWidth, areaHeight, colour, alpha);
    else
        GR_Texture_Draw_Tiled(m_texture, 0, 0, x, y, xscale, yscale, htiled, vtiled, areaLeft, areaTop, areaWidth, areaHeight, colour, alpha);
}
