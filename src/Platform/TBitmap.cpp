#include "Platform/TBitmap.h"
#include "Base/MemoryManager.h"

// Images larger than this many pixels are refused (a 16384 x 16384 page is the largest we make).
static const int64_t kMaxPixels = 16384LL * 16384LL;

TBitmap::TBitmap(int width, int height, int bitsPerPixel)
{
    if (width <= 0 || height <= 0 || (bitsPerPixel != 24 && bitsPerPixel != 32)) return;
    if ((int64_t)width * height > kMaxPixels) return;
    m_pixels = (uint8_t*)MemAllocClear((size_t)width * height * (bitsPerPixel / 8));
    if (!m_pixels) return;
    m_width = width;
    m_height = height;
    m_bpp = bitsPerPixel;
}

TBitmap* TBitmap_New(int width, int height, int bitsPerPixel)
{
    TBitmap* bitmap = new TBitmap(width, height, bitsPerPixel);
    if (bitmap->IsValid()) return bitmap;
    delete bitmap;
    return nullptr;
}

TBitmap::~TBitmap()
{
    MemFree(m_pixels);
}
