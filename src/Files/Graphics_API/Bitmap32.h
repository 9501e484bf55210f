// CBitmap32: a 32-bit image in memory. Pixels are words 0xAABBGGRR (bytes R, G, B, A in memory),
// rows top first, so a pixel is a game colour with its alpha on top.
#pragma once
#include <cstddef>
#include <cstdint>

class TBitmap;

// Gradient kinds of CBitmap32_Gradient.
enum {
    GRADIENT_HORIZONTAL = 0,
    GRADIENT_VERTICAL = 1,
    GRADIENT_RECTANGLE = 2,
    GRADIENT_ELLIPSE = 3,
    GRADIENT_DOUBLE_HORIZONTAL = 4,
    GRADIENT_DOUBLE_VERTICAL = 5,
};

class CBitmap32 {
public:
    CBitmap32() = default;
    // An image of the given size filled with a pixel word; sizes of 0 or less, or beyond
    // 16384 x 16384 pixels, give an invalid image (m_valid false, no pixels).
    CBitmap32(int width, int height, uint32_t fill);
    ~CBitmap32();
    CBitmap32(const CBitmap32&) = delete;
    CBitmap32& operator=(const CBitmap32&) = delete;

    // Each maker returns a new image, or null when the source is missing or the size is bad.
    static CBitmap32* CBitmap32_Copy(const CBitmap32* source);
    // The rectangle of the source; the part outside the source is transparent black.
    static CBitmap32* CBitmap32_Part(const CBitmap32* source, int x, int y, int width, int height);
    // A 0xBBGGRR colour, opaque.
    static CBitmap32* CBitmap32_Fill(int width, int height, uint32_t colour);
    // From colour1 to colour2 (0xBBGGRR, opaque) in one of the GRADIENT_ kinds; the shaped kinds
    // put colour1 at the border and colour2 at the centre; an unknown kind is horizontal.
    static CBitmap32* CBitmap32_Gradient(int width, int height, uint32_t colour1, uint32_t colour2, int kind);
    // A platform image made opaque; removeBack makes every pixel of the bottom-left pixel's
    // colour transparent, smooth then softens the alpha of the pixels that border them.
    static CBitmap32* CBitmap32_FromBitmap(TBitmap* bitmap, bool removeBack, bool smooth);
    // As CBitmap32_FromBitmap but keeping a 32-bit image's own alpha.
    static CBitmap32* CBitmap32_FromBitmap32(TBitmap* bitmap, bool removeBack, bool smooth);
    // A decoded image: a plain copy with keepAlpha, otherwise CBitmap32_FromBitmap32.
    static CBitmap32* CBitmap32_FromImage(TBitmap* bitmap, bool removeBack, bool smooth, bool keepAlpha);

    // The inclusive box of the pixels whose alpha is not 0; false (box untouched) when none.
    bool GetBoundingBox(int* left, int* top, int* right, int* bottom) const;
    // Resizes the image in place, nearest neighbour; false (image unchanged) for a bad size or
    // when memory ran out.
    bool Stretch(int width, int height);
    // alpha := min(own alpha, grey level of the other image's pixel), the other image scaled
    // to this one's size.
    void SetAlphaFromBitmap(const CBitmap32* other);
    // New platform images of the pixels (null when invalid): 24-bit or 32-bit.
    TBitmap* CreateBitmap24() const;
    TBitmap* CreateBitmap32() const;
    bool SaveToPNG(const char* fileName) const;

    uint32_t* GetData() const { return m_pixels; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }

    bool m_valid = false;
    int m_width = 0;
    int m_height = 0;
    size_t m_size = 0;  // bytes of pixels
    uint32_t* m_pixels = nullptr;

private:
    // Makes the pixels of the bottom-left pixel's colour transparent (smooth: edges softened);
    // false, the image unchanged, when smoothing found no memory.
    bool RemoveBackground(bool smooth);
    // The image with its background removed when asked; null (the image deleted) when that found
    // no memory.
    static CBitmap32* WithoutBackground(CBitmap32* image, bool removeBack, bool smooth);
};
