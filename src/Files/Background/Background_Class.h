// CBackground: one image resource. Backgrounds of the game data file draw from their texture-page
// entry; backgrounds made while the game runs own a CBitmap32 and a texture of their own.
#pragma once
#include <cstdint>

class CBitmap32;
class TBitmap;
struct TPageEntry;
struct GameFileReader;
class GameFilePageIndex;

class CBackground {
public:
    CBackground() = default;
    ~CBackground();
    CBackground(const CBackground&) = delete;
    CBackground& operator=(const CBackground&) = delete;

    // Back to the cleared state: no image, size 0, flags 0, no page entry, no texture.
    void Clear();
    // A BGND record {name, transparent, smooth, preload, page-entry offset} at the reader (the
    // name is the table's); false when the record or its page entry is damaged or missing.
    bool LoadFromChunk(GameFileReader record, const GameFilePageIndex& pages);
    // Each returns the new texture id, -1 (and the background cleared) when there is no image.
    int CreateFromBitmap(TBitmap* image, bool transparent, bool smooth, bool preload, bool keepAlpha);
    // Sizes of 0 or less or beyond IMAGE_MAX_SIDE leave the background cleared.
    int CreateColor(int width, int height, uint32_t colour, bool preload);
    int CreateGradient(int width, int height, uint32_t colour1, uint32_t colour2, int kind, bool preload);
    // The PNG file from the save folder, else the program folder. False when it exists in
    // neither or holds no PNG image, the background then unchanged.
    bool LoadFromFile(const char* fileName, bool transparent, bool smooth, bool preload, bool keepAlpha);
    void SetAlphaFromBackground(const CBackground* other);
    // Copies another background (sharing its page entry, deep-copying its image); assigning a
    // background to itself changes nothing.
    int Assign(const CBackground* other);

    void InitTexture();
    void FreeTexture();
    // The page entry's handle when there is one, else the texture id.
    int GetTexture() const;
    // A new 24-bit image of the bitmap, null without one.
    TBitmap* GetTBitmap() const;
    const TPageEntry* GetPageEntry() const;
    const CBitmap32* GetBitmap() const { return m_bitmap; }
    int GetTextureId() const { return m_texture; }

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    bool GetTransparent() const { return m_transparent; }
    bool GetSmooth() const { return m_smooth; }
    bool GetPreload() const { return m_preload; }

    // Drawing; angles in degrees, colours 0xBBGGRR, alpha 0..1, the origin at the top-left corner.
    void Draw(float x, float y) const;
    void DrawExt(float x, float y, float xscale, float yscale, float angle, uint32_t colour, float alpha) const;
    void DrawStretched(float x, float y, float width, float height, uint32_t colour, float alpha) const;
    void DrawPart(float left, float top, float width, float height, float x, float y, float xscale, float yscale, uint32_t colour, float alpha) const;
    void DrawGeneral(float left, float top, float width, float height, float x, float y, float xscale, float yscale, float angle,
                     uint32_t colour1, uint32_t colour2, uint32_t colour3, uint32_t colour4, float alpha) const;
    void DrawTiled(float x, float y, float xscale, float yscale, bool htiled, bool vtiled, float areaLeft, float areaTop,
                   float areaWidth, float areaHeight, uint32_t colour, float alpha) const;

private:
    int m_width = 0, m_height = 0;
    bool m_transparent = false, m_smooth = false, m_preload = false;
    int m_texture = -1;
    CBitmap32* m_bitmap = nullptr;
    int m_page = -1;  // page-entry handle, -1 for run-time backgrounds

    int TakeBitmap(CBitmap32* bitmap, bool preload);
};
