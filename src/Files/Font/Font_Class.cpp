#include "Font/Font_Class.h"
#include "Font/Font_System.h"
#include "Runner/GameFile_Pages.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"

#include "Base/Color.h"
#include "Base/MemoryManager.h"
#include "Base/UTF8.h"
#include "Graphics_API/GR_Batch.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Texture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

static int TextLength(const uint16_t* text)
{
    int n = 0;
    if (text)
        while (text[n]) n++;
    return n;
}

// Characters a run draws at most per batch reservation, well inside the staging array.
static const int RUN_CHUNK = 2048;

CFontBV::CFontBV() = default;

CFontBV::~CFontBV()
{
    Clear();
}

void CFontBV::Clear()
{
    MemFree(m_face);
    m_face = nullptr;
    m_size = 12;
    m_bold = m_italic = false;
    m_first = 32;
    m_last = 128;
    m_sprite = -1;
    m_scaleX = m_scaleY = 1;
    FreeTexture();
    MemFree(m_alpha);
    m_alpha = nullptr;
    m_alphaCount = 0;
    m_maxHeight = 0;
    m_bitmapWidth = m_bitmapHeight = 0;
    SetGlyphs(nullptr, 0);
    MemFree(m_ownEntry);
    m_ownEntry = nullptr;
    m_pageHandle = -1;
}

void CFontBV::SetGlyphs(FontGlyph* glyphs, int count)
{
    MemFree(m_glyphs);
    m_glyphs = glyphs;
    m_glyphCount = glyphs ? count : 0;
    // Lookups search by character.
    if (m_glyphs)
        std::stable_sort(m_glyphs, m_glyphs + m_glyphCount,
                         [](const FontGlyph& a, const FontGlyph& b) { return a.character < b.character; });
}

bool CFontBV::LoadFromChunk(GameFileReader r, const GameFilePageIndex& pages)
{
    Clear();
    r.U32();  // the resource name, which the font table keeps
    const char* face = r.Str();
    int size = r.I32();
    bool bold = r.Bool();
    bool italic = r.Bool();
    uint32_t first = r.U32();
    int last = r.I32();
    uint32_t pageOffset = r.U32();
    float scaleX = r.F32(), scaleY = r.F32();
    uint32_t count;
    if (!r.Count(&count, 4) || !std::isfinite(scaleX) || !std::isfinite(scaleY)) return false;

    std::vector<FontGlyph> glyphs(count);
    int maxHeight = 0;
    for (FontGlyph& g : glyphs) {
        GameFileReader at = r.At(r.U32());
        uint32_t words[4];
        for (uint32_t& w : words) w = at.U32();
        if (!at.ok) return false;
        g.character = (uint16_t)words[0];
        g.x = (int16_t)(words[0] >> 16);
        g.y = (int16_t)words[1];
        g.w = (int16_t)(words[1] >> 16);
        g.h = (int16_t)words[2];
        g.shift = (int16_t)(words[2] >> 16);
        g.offset = (int16_t)words[3];
        g.reserved = (int16_t)(words[3] >> 16);
        maxHeight = std::max(maxHeight, (int)g.h);
    }
    int pageHandle = -1, width = 0, height = 0;
    if (pageOffset) {
        pageHandle = pages.Handle(pageOffset);
        GameFileReader page = r.At(pageOffset);
        page.U32();
        uint32_t size = page.U32();
        if (pageHandle < 0 || !page.ok) return false;
        width = size & 0xFFFF;
        height = size >> 16;
    }
    if (!r.ok) return false;

    m_pageHandle = pageHandle;
    m_bitmapWidth = width;
    m_bitmapHeight = height;
    m_size = size;
    m_bold = bold;
    m_italic = italic;
    if (first >> 16 & 0xFF) m_charset = first >> 16 & 0xFF;
    if (first >> 24) m_antialias = (int)(first >> 24) - 1;
    m_first = (int)(first & 0xFFFF);
    m_last = last;
    m_scaleX = scaleX;
    m_scaleY = scaleY;
    m_maxHeight = maxHeight;
    if (count) {
        FontGlyph* copy = (FontGlyph*)MemAlloc(sizeof(FontGlyph) * count);
        memcpy(copy, glyphs.data(), sizeof(FontGlyph) * count);
        SetGlyphs(copy, (int)count);
    }
    m_face = MemStrDup(face ? face : "");
    return true;
}

void CFontBV::CreateSystem(const char* face, int size, bool bold, bool italic, int first, int last)
{
    Clear();
    m_face = MemStrDup(face ? face : "");
    m_size = size;
    m_bold = bold;
    m_italic = italic;
    m_first = std::max(first, 0);
    m_last = std::min(last, 255);
    m_charset = 0;
    m_antialias = 3;
    // Without a face of the system the font keeps no glyphs: it measures 0 and draws nothing.
    TSystemFontImage image;
    uint8_t* alpha = nullptr;
    FontGlyph* glyphs = nullptr;
    if (Font_RasteriseSystemFace(m_face, size, bold, italic, m_first, m_last, &image) && !image.glyphs.empty()) {
        alpha = (uint8_t*)MemAlloc(image.alpha.size());
        glyphs = (FontGlyph*)MemAlloc(sizeof(FontGlyph) * image.glyphs.size());
    }
    // With no memory for them, the font keeps no glyphs either.
    if (alpha && glyphs) {
        SetOwnEntry(image.width, image.height);
        m_alphaCount = image.alpha.size();
        m_alpha = alpha;
        memcpy(m_alpha, image.alpha.data(), m_alphaCount);
        memcpy(glyphs, image.glyphs.data(), sizeof(FontGlyph) * image.glyphs.size());
        SetGlyphs(glyphs, (int)image.glyphs.size());
        for (const FontGlyph& g : image.glyphs) m_maxHeight = std::max(m_maxHeight, (int)g.h);
    } else {
        MemFree(alpha);
        MemFree(glyphs);
    }
    InitTexture();
}

void CFontBV::CreateFromSprite(int sprite, const char* characters, bool proportional, int separation)
{
    Clear();
    const CSprite* source = Sprite_Get(sprite);
    if (!source) return;
    m_sprite = sprite;
    int frames = std::clamp(source->m_numb, 0, 32767), width = source->m_width, height = source->m_height;

    std::vector<unsigned int> map;
    const char* cursor = characters ? characters : "";
    for (int n = UTF8_Length(cursor); n > 0 && (int)map.size() < frames; n--) map.push_back(UTF8_GetChar(&cursor));
    bool spaceAppended = std::find(map.begin(), map.end(), 32u) == map.end();
    if (spaceAppended) map.push_back(32);

    int count = (int)map.size();
    FontGlyph* glyphs = (FontGlyph*)MemAllocClear(sizeof(FontGlyph) * count);
    int widest = 0;
    for (int i = 0; i < count; i++) {
        int left = 0, right = width;
        if (proportional && i < frames) {
            TSpriteBox box = source->GetFrameBox(i);
            left = box.left;
            right = box.right;
        }
        FontGlyph& g = glyphs[i];
        g.character = (uint16_t)map[i];
        g.w = (int16_t)i;
        g.h = FontGlyph_Field(height);
        g.shift = FontGlyph_Field((long)right - left + separation);
        g.offset = FontGlyph_Field(-(long)left);
        if (g.character != 32) widest = std::max(widest, (int)g.shift);
    }
    if (spaceAppended) glyphs[count - 1].shift = (int16_t)widest;
    m_maxHeight = FontGlyph_Field(height);
    SetGlyphs(glyphs, count);
    m_first = m_glyphs[0].character;
    m_last = m_first + m_glyphCount;
}

void CFontBV::CreateDebug(const uint8_t* table, int first, int last, int textureId)
{
    Clear();
    m_face = MemStrDup("debug");
    m_size = 10;
    m_charset = 0;
    m_antialias = 3;
    m_first = first;
    m_last = last;
    int count = std::max(last - first + 1, 0);
    FontGlyph* glyphs = count ? (FontGlyph*)MemAllocClear(sizeof(FontGlyph) * count) : nullptr;
    for (int i = 0; i < count; i++) {
        const uint8_t* r = table + 4 * i;
        glyphs[i] = {(uint16_t)(first + i), r[0], r[1], r[2], r[3], r[2], 0, 0};
        m_maxHeight = std::max(m_maxHeight, (int)r[3]);
    }
    SetGlyphs(glyphs, count);
    SetOwnEntry(256, 128);
    m_textureId = textureId;
}

// A glyph image on a texture of the font's own gets an entry covering it whole, so its glyphs are
// drawn texel for pixel as glyphs on a texture page are.
void CFontBV::SetOwnEntry(int width, int height)
{
    MemFree(m_ownEntry);
    m_ownEntry = (TPageEntry*)MemAllocClear(sizeof(TPageEntry));
    uint16_t w = (uint16_t)width, h = (uint16_t)height;
    *m_ownEntry = {0, 0, w, h, 0, 0, w, h, w, h, 0};
    m_bitmapWidth = width;
    m_bitmapHeight = height;
}

void CFontBV::FreeTexture()
{
    if (m_textureId >= 0) GR_Texture_Free(m_textureId);
    m_textureId = -1;
}

void CFontBV::InitTexture()
{
    FreeTexture();
    // Only a map that covers the whole image makes a texture (fonts of the game data file have
    // no map: their image is on a texture page).
    size_t need = (size_t)std::max(m_bitmapWidth, 0) * std::max(m_bitmapHeight, 0);
    if (m_sprite < 0 && m_face && m_face[0] && m_alpha && need > 0 && m_alphaCount >= need)
        m_textureId = GR_Texture_Create_From_Alpha(m_bitmapWidth, m_bitmapHeight, m_alphaCount, m_alpha);
}

const TPageEntry* CFontBV::GetPageEntry() const
{
    if (m_ownEntry) return m_ownEntry;
    return m_pageHandle >= 0 ? TPage_Get(m_pageHandle) : nullptr;
}

const FontGlyph* CFontBV::FindGlyph(unsigned int character) const
{
    int lo = 0, hi = m_glyphCount - 1;
    while (lo <= hi) {
        int mid = (hi - lo) / 2 + lo;
        unsigned int c = m_glyphs[mid].character;
        if (c == character) return &m_glyphs[mid];
        if (character < c) hi = mid - 1;
        else lo = mid + 1;
    }
    return nullptr;
}

int CFontBV::GetShift(unsigned int character) const
{
    if (m_glyphCount == 0) return 0;
    const FontGlyph* g = FindGlyph(character);
    return g ? g->shift : m_glyphs[0].shift;
}

int CFontBV::TextWidth(const uint16_t* text, int count) const
{
    if (!text) return 0;
    if (count < 0) count = TextLength(text);
    // Kept within an int however long the text.
    long long width = 0;
    for (int i = 0; i < count; i++) width += GetShift(text[i]);
    return (int)std::clamp(width, (long long)INT32_MIN, (long long)INT32_MAX);
}

int CFontBV::TextHeight(const uint16_t*) const
{
    return m_maxHeight;
}

bool CFontBV::ImageReady(const TPageEntry** entry, int* texture) const
{
    *entry = GetPageEntry();
    // The built-in font's entry lies on a texture of its own rather than on a page.
    *texture = *entry && !m_ownEntry ? TPage_TextureId(*entry) : m_textureId;
    return GR_Texture_Get_API_Texture(*texture) != nullptr;
}

void CFontBV::DrawText(float x, float y, const uint16_t* text, uint32_t colour, float alpha, int count)
{
    DrawRun(x, y, text, m_scaleX, m_scaleY, 0, colour, alpha, count);
}

void CFontBV::DrawTextExt(float x, float y, const uint16_t* text, float xscale, float yscale, float angle, uint32_t colour, float alpha, int count)
{
    DrawRun(x, y, text, xscale, yscale, angle, colour, alpha, count);
}

// Quads of a run: axis-aligned (corners nudged half a pixel outwards) or turned by an angle.
void CFontBV::DrawRun(float x, float y, const uint16_t* text, float xscale, float yscale, float angle, uint32_t colour, float alpha, int count)
{
    if (!text || m_glyphCount == 0) return;
    if (count < 0) count = TextLength(text);
    if (count == 0) return;
    bool rotated = std::fabs(angle) >= 0.001f;
    float a = angle * 3.1415927f / 180.0f;
    float s = rotated ? std::sin(a) : 0.0f, c = rotated ? std::cos(a) : 1.0f;
    if (m_sprite >= 0) {
        uint32_t colours[4] = {colour, colour, colour, colour};
        DrawSpriteRun(x, y, text, count, xscale, yscale, angle, colours, alpha, false);
        return;
    }
    const TPageEntry* entry;
    int tex;
    if (!ImageReady(&entry, &tex)) return;
    GR_TextureSlot* slot = GR_Texture_Slot(tex);
    GR_DeviceTexture* device = GR_Texture_Get_API_Texture(tex);
    uint32_t word = GR_Color_Alpha_To_ARGB(colour, alpha);
    float ex = entry ? entry->x - 0.5f : 0.0f, ey = entry ? entry->y - 0.5f : 0.0f;
    float pad = entry ? 1.0f : 0.0f;
    for (int done = 0; done < count;) {
        int n = std::min(count - done, RUN_CHUNK);
        VertexXYZColorUV* v = (VertexXYZColorUV*)GR_Batch_Reserve(GR_TRIANGLELIST, device, sizeof(VertexXYZColorUV), 6 * n);
        if (!v) return;
        int used = 0;
        for (int i = 0; i < n; i++) {
            const FontGlyph* g = FindGlyph(text[done + i]);
            if (!g) continue;
            float w = g->w * xscale, h = g->h * yscale;
            float cx[4], cy[4];  // top-left, top-right, bottom-right, bottom-left
            if (rotated) {
                float x0 = x + c * g->offset * xscale, y0 = y - s * g->offset * xscale;
                cx[0] = x0 - 0.5f, cy[0] = y0 - 0.5f;
                cx[1] = x0 + c * w - 0.5f, cy[1] = y0 - s * w - 0.5f;
                cx[2] = x0 + c * w + s * h + 0.5f, cy[2] = y0 - s * w + c * h + 0.5f;
                cx[3] = x0 + s * h + 0.5f, cy[3] = y0 + c * h + 0.5f;
            } else {
                float x0 = x + g->offset * xscale;
                cx[0] = cx[3] = x0 - 0.5f;
                cx[1] = cx[2] = x0 + 0.5f + w;
                cy[0] = cy[1] = y - 0.5f;
                cy[2] = cy[3] = y + 0.5f + h;
            }
            float u0 = (ex + g->x) * slot->rwidth, u1 = (ex + g->x + g->w + pad) * slot->rwidth;
            float v0 = (ey + g->y) * slot->rheight, v1 = (ey + g->y + g->h + pad) * slot->rheight;
            float us[4] = {u0, u1, u1, u0}, vs[4] = {v0, v0, v1, v1};
            static const int order[6] = {0, 1, 2, 2, 3, 0};
            for (int k = 0; k < 6; k++) {
                int corner = order[k];
                v[used * 6 + k] = {cx[corner], cy[corner], GR_Depth, word, us[corner], vs[corner]};
            }
            used++;
            x += c * g->shift * xscale;
            y -= s * g->shift * xscale;
        }
        // Characters without a glyph give their vertices back.
        if (used < n) GR_Batch_Unreserve(6 * (n - used));
        done += n;
    }
}

// The gradient's corner colours of a glyph spanning [p, p + shift] of a run of width total:
// top-left, top-right, bottom-right, bottom-left.
static void GradientCorners(const uint32_t* c, float p, float shift, float total, uint32_t* out)
{
    float a0 = total != 0 ? p / total : 0, a1 = total != 0 ? (p + shift) / total : 0;
    out[0] = Color_Merge(c[0], c[1], a0);
    out[1] = Color_Merge(c[0], c[1], a1);
    out[2] = Color_Merge(c[3], c[2], a1);
    out[3] = Color_Merge(c[3], c[2], a0);
}

void CFontBV::DrawSpriteRun(float x, float y, const uint16_t* text, int count, float xscale, float yscale, float angle, const uint32_t* colours, float alpha, bool gradient)
{
    // A font whose sprite has gone draws nothing.
    const CSprite* sprite = Sprite_Get(m_sprite);
    if (!sprite) return;
    int frames = sprite->m_numb;
    float a = angle * 3.1415927f / 180.0f;
    bool rotated = std::fabs(angle) >= 0.001f;
    float s = rotated ? std::sin(a) : 0.0f, c = rotated ? std::cos(a) : 1.0f;
    float total = gradient ? (float)TextWidth(text, count) : 0, p = 0;
    for (int i = 0; i < count; i++) {
        const FontGlyph* g = FindGlyph(text[i]);
        if (!g) continue;
        float gx = x + c * g->offset * xscale, gy = y - s * g->offset * xscale;
        if (g->character != 32 && g->w < frames) {
            if (gradient) {
                uint32_t corners[4];
                GradientCorners(colours, p, g->shift, total, corners);
                sprite->DrawGeneral(g->w, 0, 0, (float)sprite->m_width, (float)sprite->m_height, gx, gy, xscale, yscale, angle,
                                    corners[0], corners[1], corners[2], corners[3], alpha);
            } else {
                sprite->DrawExt(g->w, gx, gy, xscale, yscale, angle, colours[0], alpha);
            }
        }
        p += g->shift;
        x += c * g->shift * xscale;
        y -= s * g->shift * xscale;
    }
}

void CFontBV::DrawTextColor(float x, float y, const uint16_t* text, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha, int count)
{
    const uint32_t colours[4] = {c1, c2, c3, c4};
    DrawGeneralRun(x, y, text, count, m_scaleX, m_scaleY, 0, true, colours, alpha);
}

void CFontBV::DrawTextExtColor(float x, float y, const uint16_t* text, float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha, int count)
{
    const uint32_t colours[4] = {c1, c2, c3, c4};
    DrawGeneralRun(x, y, text, count, xscale, yscale, angle, false, colours, alpha);
}

// pageOnlyScale: the plain coloured run, whose pen does not follow the scale (only the quads of a
// page-entry image are scaled).
void CFontBV::DrawGeneralRun(float x, float y, const uint16_t* text, int count, float xscale, float yscale, float angle, bool pageOnlyScale, const uint32_t* colours, float alpha)
{
    if (!text || m_glyphCount == 0) return;
    if (count < 0) count = TextLength(text);
    if (count == 0) return;
    if (m_sprite >= 0) {
        DrawSpriteRun(x, y, text, count, xscale, yscale, angle, colours, alpha, true);
        return;
    }
    const TPageEntry* entry;
    int tex;
    if (!ImageReady(&entry, &tex)) return;
    float penScale = pageOnlyScale ? 1.0f : xscale;
    float quadX = xscale, quadY = yscale;
    bool onPage = entry && !m_ownEntry;
    if (pageOnlyScale && !onPage) quadX = quadY = 1;
    bool rotated = std::fabs(angle) >= 0.001f;
    float a = angle * 3.1415927f / 180.0f;
    float s = rotated ? std::sin(a) : 0.0f, c = rotated ? std::cos(a) : 1.0f;
    float total = (float)TextWidth(text, count), p = 0;
    for (int i = 0; i < count; i++) {
        const FontGlyph* g = FindGlyph(text[i]);
        if (!g) continue;
        uint32_t corners[4];
        GradientCorners(colours, p, g->shift, total, corners);
        float gx = x + c * g->offset * penScale, gy = y - s * g->offset * penScale;
        if (onPage)
            GR_Texture_Draw_General_TPage(entry, g->x, g->y, g->w, g->h, gx, gy, quadX, quadY, a,
                                          corners[0], corners[1], corners[2], corners[3], alpha);
        else
            GR_Texture_Draw_General(tex, g->x, g->y, g->w, g->h, gx, gy, quadX, quadY, a,
                                    corners[0], corners[1], corners[2], corners[3], alpha);
        p += g->shift;
        x += c * g->shift * penScale;
        y -= s * g->shift * penScale;
    }
}
