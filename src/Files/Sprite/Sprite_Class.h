// CSprite: an animated image resource of equally sized frames with an origin, a collision box,
// optional per-pixel masks and a cull radius. Frames live on texture pages (sprites of the game
// data file) or in images of their own (sprites made while the game runs).
#pragma once
#include "Runner/GameFile.h"
#include "Runner/GameFile_Pages.h"

#include <cstdint>
#include <vector>

class CBitmap32;
class IBitmapLoader;
class TBitmap;
struct TPageEntry;

// An inclusive rectangle in pixels.
struct TSpriteBox {
    int left, top, right, bottom;
};

// Where an instance shows a sprite, as the collision tests need it: the image index, the
// instance's box in room pixels, its position rounded to integers, its scales and its angle in
// degrees.
struct TSpritePlace {
    int image;
    TSpriteBox box;
    int x, y;
    float xscale, yscale, angle;
};

// Bounding-box modes.
enum { BBOX_AUTOMATIC = 0, BBOX_FULL = 1, BBOX_MANUAL = 2 };

class CSprite {
public:
    CSprite();
    virtual ~CSprite();
    CSprite(const CSprite&) = delete;
    CSprite& operator=(const CSprite&) = delete;

    void Clear();
    // Reads a sprite record; pages finds the texture-page entries its frames name. False for a
    // record that does not fit the file or names no entry of the TPAG list.
    bool LoadFromChunk(GameFileReader record, const GameFilePageIndex& pages);
    // Cuts the source's image into a horizontal strip of frames; false (sprite cleared) when
    // there is no image or more frames than pixel columns.
    bool LoadStrip(IBitmapLoader* source, bool transparent, bool smooth, int frameCount, bool keepAlpha);
    bool LoadFromMemory(const uint8_t* bytes, size_t size, int frameCount, bool precise, bool transparent, bool smooth, int xorig, int yorig, bool keepAlpha);
    bool LoadFromFile(const char* name, int frameCount, bool precise, bool transparent, bool smooth, bool preload, int xorig, int yorig, bool keepAlpha);
    bool CreateFromBitmap(TBitmap* image, bool precise, bool transparent, bool smooth, bool preload, int xorig, int yorig, bool keepAlpha);
    bool AddFromBitmap(TBitmap* image, bool keepAlpha);
    void Assign(const CSprite* other);
    // False when either sprite has page entries (their frames cannot be copied).
    bool Merge(const CSprite* other);
    void SetAlphaFromSprite(const CSprite* other);
    void InitTexture();
    void FreeTextures();

    // Masks and boxes (Sprite_Mask.cpp).
    void ComputeBoundingBox();
    void CreateMask();
    void FreeMasks();
    void SetBoundingBoxMode(int mode);
    void SetBoundingBox(int left, int top, int right, int bottom);
    void SetPrecise(bool precise);
    // The pixel tests that the game world calls once the boxes meet: for two instances when
    // either sprite is precise, for a point, rectangle, ellipse or line when the instance's
    // sprite is precise. A sprite without masks is solid over its frame (the point, rectangle,
    // ellipse and line tests then answer true); the line comes with x1 <= x2.
    bool CollisionSprite(const TSpritePlace& place, const CSprite* other, const TSpritePlace& otherPlace) const;
    bool CollisionPoint(const TSpritePlace& place, int px, int py) const;
    bool CollisionRectangle(const TSpritePlace& place, const TSpriteBox& rect) const;
    bool CollisionEllipse(const TSpritePlace& place, const TSpriteBox& rect) const;
    bool CollisionLine(const TSpritePlace& place, int x1, int y1, int x2, int y2) const;

    // A page-entry handle for sprites of the game data file, else the frame's texture id; -1
    // without frames.
    int GetTexture(int frame) const;
    // The frame's box: the page entry's content, or the visible pixels of the frame image; all 0
    // for a frame outside 0..count-1.
    TSpriteBox GetFrameBox(int frame) const;
    // A new 32-bit image of the frame, null when there is none.
    TBitmap* GetBitmap(int frame) const;

    // Drawing (Sprite_Draw.cpp). Angles in degrees, colours 0xBBGGRR, alpha 0..1.
    void Draw(int frame, float x, float y) const;
    void DrawExt(int frame, float x, float y, float xscale, float yscale, float angle, uint32_t colour, float alpha) const;
    void DrawStretched(int frame, float x, float y, float width, float height, uint32_t colour, float alpha) const;
    void DrawPart(int frame, float left, float top, float width, float height, float x, float y, float xscale, float yscale, uint32_t colour, float alpha) const;
    void DrawGeneral(int frame, float left, float top, float width, float height, float x, float y, float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha) const;
    void DrawTiled(int frame, float x, float y, float xscale, float yscale, bool htiled, bool vtiled, float areaLeft, float areaTop, float areaWidth, float areaHeight, uint32_t colour, float alpha) const;
    void DrawPos(int frame, float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, float alpha) const;

    // frame modulo the frame count, a negative remainder wrapped (the count must be positive).
    int WrapFrame(int frame) const;
    bool HasPageEntries() const { return !m_pages.empty(); }
    // The frame's page entry, null when the sprite has none or the entry is not loaded.
    const TPageEntry* PageEntry(int frame) const;

    int m_bboxMode = BBOX_AUTOMATIC;
    TSpriteBox m_bbox = {0, 0, 0, 0};
    int m_numb = 0;  // frame count
    int m_width = 1, m_height = 1;
    int m_xorigin = 0, m_yorigin = 0;
    int m_cullRadius = 0;
    bool m_precise = true;
    bool m_hasMasks = false;
    bool m_transparent = true;
    bool m_smooth = false;
    bool m_preload = true;
    std::vector<std::vector<uint8_t>> m_masks;  // width x height bytes each, 1 = solid
    std::vector<CBitmap32*> m_bitmaps;           // run-time sprites: one owned image a frame
    std::vector<int> m_textures;                 // one texture id a frame bitmap, -1 none
    std::vector<int> m_pages;                    // game-file sprites: page-entry index a frame, -1 none

private:
    void ComputeCullRadius();
    bool AppendFrame(CBitmap32* image);
    void FramesChanged();
};

// The number of runs (or line steps) above which the pixel tests of a turned frame search the
// frame's pixels instead of walking the room's; tests lower it to reach that search with small
// frames.
void Sprite_SetWalkLimit(int64_t pixels);
