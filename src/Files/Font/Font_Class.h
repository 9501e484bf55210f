// A font: glyph rectangles on one image, measured and drawn as runs of UTF-16 characters.
// The image is a texture-page entry (fonts of the game data file and the built-in font), a texture
// made from the font's alpha map, or the frames of a sprite (sprite fonts).
#pragma once
#include "Runner/GameFile.h"

#include <cstddef>
#include <cstdint>

struct TPageEntry;
class GameFilePageIndex;

// One character's rectangle {x, y, w, h} in the glyph image, its advance (shift) and its
// horizontal offset from the pen. In a sprite font w is the frame and h the sprite's height.
struct FontGlyph {
    uint16_t character;
    int16_t x, y, w, h;
    int16_t shift;
    int16_t offset;
    int16_t reserved;
};

// A value for a glyph's 16-bit fields, clamped to their range.
inline int16_t FontGlyph_Field(long v)
{
    return (int16_t)(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
}

class CFontBV {
public:
    CFontBV();
    virtual ~CFontBV();
    CFontBV(const CFontBV&) = delete;
    CFontBV& operator=(const CFontBV&) = delete;

    // Reads a font record of the FONT chunk (at the reader); false when it is damaged.
    bool LoadFromChunk(GameFileReader record, const GameFilePageIndex& pages);
    // A face of the system by name, its characters first..last rasterised (Font_System.h); a font
    // without glyphs when there is no face or the size gives none.
    void CreateSystem(const char* face, int size, bool bold, bool italic, int first, int last);
    // characters is UTF-8 text: the character of each frame, in frame order.
    void CreateFromSprite(int sprite, const char* characters, bool proportional, int separation);
    // table holds {x, y, w, h} bytes for every character first..last of a 256 x 128 image.
    void CreateDebug(const uint8_t* table, int first, int last, int textureId);
    void InitTexture();
    // Frees the texture made by InitTexture.
    void FreeTexture();

    const FontGlyph* FindGlyph(unsigned int character) const;
    int GetShift(unsigned int character) const;
    // Measures and draws count characters (UTF-16); a negative count runs to a 0 character.
    int TextWidth(const uint16_t* text, int count = -1) const;
    int TextHeight(const uint16_t* text) const;
    void DrawText(float x, float y, const uint16_t* text, uint32_t colour, float alpha, int count = -1);
    void DrawTextExt(float x, float y, const uint16_t* text, float xscale, float yscale, float angle, uint32_t colour, float alpha, int count = -1);
    void DrawTextColor(float x, float y, const uint16_t* text, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha, int count = -1);
    void DrawTextExtColor(float x, float y, const uint16_t* text, float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha, int count = -1);

    const char* GetFaceName() const { return m_face ? m_face : ""; }
    int GetSize() const { return m_size; }
    bool GetBold() const { return m_bold; }
    bool GetItalic() const { return m_italic; }
    int GetFirst() const { return m_first; }
    int GetLast() const { return m_last; }
    int GetCharset() const { return m_charset; }
    int GetAntialias() const { return m_antialias; }
    int GetSprite() const { return m_sprite; }
    int GetGlyphCount() const { return m_glyphCount; }
    const FontGlyph* GetGlyphs() const { return m_glyphs; }
    int GetMaxHeight() const { return m_maxHeight; }
    float GetScaleX() const { return m_scaleX; }
    float GetScaleY() const { return m_scaleY; }
    int GetTextureId() const { return m_textureId; }
    int GetBitmapWidth() const { return m_bitmapWidth; }
    int GetBitmapHeight() const { return m_bitmapHeight; }
    // The glyph image as 8-bit alpha, bitmap width x height bytes (fonts by face name); null when none.
    const uint8_t* GetAlpha() const { return m_alpha; }
    // The glyph image's page entry, null when none (or when the file's pages are not loaded).
    const TPageEntry* GetPageEntry() const;

private:
    void Clear();
    void SetGlyphs(FontGlyph* glyphs, int count);
    void SetOwnEntry(int width, int height);
    // The glyph image: its page entry (or null) and the texture it lies on; false when it cannot be drawn.
    bool ImageReady(const TPageEntry** entry, int* texture) const;
    void DrawRun(float x, float y, const uint16_t* text, float xscale, float yscale, float angle, uint32_t colour, float alpha, int count);
    // Sprite fonts: each non-space glyph through the sprite, in one colour or a gradient.
    void DrawSpriteRun(float x, float y, const uint16_t* text, int count, float xscale, float yscale, float angle, const uint32_t* colours, float alpha, bool gradient);
    void DrawGeneralRun(float x, float y, const uint16_t* text, int count, float xscale, float yscale, float angle, bool pageOnlyScale, const uint32_t* colours, float alpha);

    char* m_face = nullptr;
    int m_size = 12;
    bool m_bold = false, m_italic = false;
    int m_charset = 0;
    int m_antialias = 0;
    int m_first = 32, m_last = 128;
    int m_sprite = -1;
    int m_bitmapWidth = 0, m_bitmapHeight = 0;
    int m_maxHeight = 0;
    size_t m_alphaCount = 0;
    uint8_t* m_alpha = nullptr;
    int m_textureId = -1;
    // Fonts of the game data file name their page entry by its handle; the built-in font and fonts
    // made by face name own an entry on a texture of their own.
    int m_pageHandle = -1;
    TPageEntry* m_ownEntry = nullptr;
    int m_glyphCount = 0;
    FontGlyph* m_glyphs = nullptr;
    float m_scaleX = 1, m_scaleY = 1;
};
