// A platform image in memory: rows top first, 24-bit pixels stored B, G, R and 32-bit pixels
// stored R, G, B, A (the byte order PNG writing takes).
#pragma once
#include <cstdint>

class TBitmap {
public:
    // bitsPerPixel 24 or 32; a bad size or format, or no memory for the pixels, leaves the image
    // invalid (IsValid false, no size).
    TBitmap(int width, int height, int bitsPerPixel);
    ~TBitmap();
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    bool IsValid() const { return m_pixels != nullptr; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    int GetBitsPerPixel() const { return m_bpp; }
    int GetStride() const { return m_width * (m_bpp / 8); }
    // The pixel rows for reading and writing; Unlock ends the access.
    uint8_t* Lock() { return m_pixels; }
    void Unlock() {}

private:
    int m_width = 0, m_height = 0, m_bpp = 0;
    uint8_t* m_pixels = nullptr;
};

// A new image, or null when the size or format is bad or there is no memory for its pixels.
TBitmap* TBitmap_New(int width, int height, int bitsPerPixel);

// A source of images: the sprite and background loaders take their strip through it.
class IBitmapLoader {
public:
    virtual ~IBitmapLoader() = default;
    virtual bool IsMultiFrame() = 0;
    // A new image that the caller deletes, null when there is none.
    virtual TBitmap* GetBitmap() = 0;
};
