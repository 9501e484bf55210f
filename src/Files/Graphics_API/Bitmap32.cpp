#include "Graphics_API/Bitmap32.h"
#include "Graphics_API/Image.h"
#include "Base/MemoryManager.h"
#include "Platform/TBitmap.h"

#include <cmath>
#include <cstring>

static const int64_t kMaxPixels = 16384LL * 16384LL;

static bool SizeOK(int width, int height)
{
    return width > 0 && height > 0 && (int64_t)width * height <= kMaxPixels;
}

CBitmap32::CBitmap32(int width, int height, uint32_t fill)
{
    if (!SizeOK(width, height)) return;
    size_t size = (size_t)width * height * 4;
    m_pixels = (uint32_t*)MemAlloc(size);
    if (!m_pixels) return;
    m_width = width;
    m_height = height;
    m_size = size;
    for (size_t i = 0, n = (size_t)width * height; i < n; i++) m_pixels[i] = fill;
    m_valid = true;
}

CBitmap32::~CBitmap32()
{
    MemFree(m_pixels);
}

// A new image of that size, or null (and nothing kept) when the size is bad or memory ran out.
static CBitmap32* NewImage(int width, int height, uint32_t fill)
{
    CBitmap32* image = new CBitmap32(width, height, fill);
    if (!image->m_valid) {
        delete image;
        return nullptr;
    }
    return image;
}

CBitmap32* CBitmap32::CBitmap32_Copy(const CBitmap32* source)
{
    if (!source || !source->m_valid) return nullptr;
    CBitmap32* image = NewImage(source->m_width, source->m_height, 0);
    if (image) memcpy(image->m_pixels, source->m_pixels, source->m_size);
    return image;
}

CBitmap32* CBitmap32::CBitmap32_Part(const CBitmap32* source, int x, int y, int width, int height)
{
    if (!source || !source->m_valid) return nullptr;
    CBitmap32* image = NewImage(width, height, 0);
    if (!image) return nullptr;
    for (int row = 0; row < height; row++) {
        int64_t sy = (int64_t)y + row;
        if (sy < 0 || sy >= source->m_height) continue;
        for (int col = 0; col < width; col++) {
            int64_t sx = (int64_t)x + col;
            if (sx < 0 || sx >= source->m_width) continue;
            image->m_pixels[(size_t)row * width + col] = source->m_pixels[sy * source->m_width + sx];
        }
    }
    return image;
}

CBitmap32* CBitmap32::CBitmap32_Fill(int width, int height, uint32_t colour)
{
    return NewImage(width, height, (colour & 0xFFFFFF) | 0xFF000000u);
}

static uint32_t Mix(uint32_t c1, uint32_t c2, double t)
{
    if (!(t >= 0)) t = 0;
    if (t > 1) t = 1;
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        double a = (c1 >> shift) & 0xFF, b = (c2 >> shift) & 0xFF;
        out |= (uint32_t)std::lround(a + (b - a) * t) << shift;
    }
    return out;
}

CBitmap32* CBitmap32::CBitmap32_Gradient(int width, int height, uint32_t colour1, uint32_t colour2, int kind)
{
    CBitmap32* image = NewImage(width, height, 0);
    if (!image) return nullptr;
    // Position in 0..1 across each axis, and its distance from the centre in 0..1.
    double wx = width > 1 ? width - 1 : 1, wy = height > 1 ? height - 1 : 1;
    for (int y = 0; y < height; y++) {
        double fy = y / wy, dy = std::fabs(2 * fy - 1);
        for (int x = 0; x < width; x++) {
            double fx = x / wx, dx = std::fabs(2 * fx - 1), t;
            switch (kind) {
            case GRADIENT_VERTICAL: t = fy; break;
            case GRADIENT_RECTANGLE: t = 1 - (dx > dy ? dx : dy); break;
            case GRADIENT_ELLIPSE: t = 1 - std::sqrt(dx * dx + dy * dy); break;
            case GRADIENT_DOUBLE_HORIZONTAL: t = 1 - dx; break;
            case GRADIENT_DOUBLE_VERTICAL: t = 1 - dy; break;
            default: t = fx; break;
            }
            image->m_pixels[(size_t)y * width + x] = Mix(colour1, colour2, t);
        }
    }
    return image;
}

// Copies a platform image; keepAlpha takes a 32-bit image's alpha, otherwise pixels are opaque.
static CBitmap32* FromPlatform(TBitmap* bitmap, bool keepAlpha)
{
    if (!bitmap || !bitmap->IsValid()) return nullptr;
    int w = bitmap->GetWidth(), h = bitmap->GetHeight(), bpp = bitmap->GetBitsPerPixel();
    CBitmap32* image = NewImage(w, h, 0);
    if (!image) return nullptr;
    const uint8_t* src = bitmap->Lock();
    for (size_t i = 0, n = (size_t)w * h; i < n; i++) {
        uint32_t r, g, b, a = 255;
        if (bpp == 24) {
            b = src[i * 3], g = src[i * 3 + 1], r = src[i * 3 + 2];
        } else {
            r = src[i * 4], g = src[i * 4 + 1], b = src[i * 4 + 2];
            if (keepAlpha) a = src[i * 4 + 3];
        }
        image->m_pixels[i] = r | g << 8 | b << 16 | a << 24;
    }
    bitmap->Unlock();
    return image;
}

bool CBitmap32::RemoveBackground(bool smooth)
{
    uint8_t* visible = smooth ? (uint8_t*)MemAlloc((size_t)m_width * m_height) : nullptr;
    if (smooth && !visible) return false;
    uint32_t key = m_pixels[(size_t)(m_height - 1) * m_width] & 0xFFFFFF;
    for (size_t i = 0, n = (size_t)m_width * m_height; i < n; i++)
        if ((m_pixels[i] & 0xFFFFFF) == key) m_pixels[i] &= 0xFFFFFF;
    if (!smooth) return true;
    // A visible pixel next to transparent ones keeps the share of visible pixels around it.
    for (size_t i = 0, n = (size_t)m_width * m_height; i < n; i++) visible[i] = (m_pixels[i] >> 24) != 0;
    for (int y = 0; y < m_height; y++) {
        for (int x = 0; x < m_width; x++) {
            if (!visible[(size_t)y * m_width + x]) continue;
            int count = 0, total = 0;
            for (int dy = -1; dy <= 1; dy++) {
                for (int dx = -1; dx <= 1; dx++) {
                    int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= m_width || ny >= m_height) continue;
                    total++;
                    count += visible[(size_t)ny * m_width + nx];
                }
            }
            if (count == total) continue;
            uint32_t& p = m_pixels[(size_t)y * m_width + x];
            uint32_t alpha = (p >> 24) * count / total;
            p = (p & 0xFFFFFF) | alpha << 24;
        }
    }
    MemFree(visible);
    return true;
}

CBitmap32* CBitmap32::WithoutBackground(CBitmap32* image, bool removeBack, bool smooth)
{
    if (image && removeBack && !image->RemoveBackground(smooth)) {
        delete image;
        return nullptr;
    }
    return image;
}

CBitmap32* CBitmap32::CBitmap32_FromBitmap(TBitmap* bitmap, bool removeBack, bool smooth)
{
    return WithoutBackground(FromPlatform(bitmap, false), removeBack, smooth);
}

CBitmap32* CBitmap32::CBitmap32_FromBitmap32(TBitmap* bitmap, bool removeBack, bool smooth)
{
    return WithoutBackground(FromPlatform(bitmap, true), removeBack, smooth);
}

CBitmap32* CBitmap32::CBitmap32_FromImage(TBitmap* bitmap, bool removeBack, bool smooth, bool keepAlpha)
{
    if (keepAlpha) return FromPlatform(bitmap, true);
    return CBitmap32_FromBitmap32(bitmap, removeBack, smooth);
}

bool CBitmap32::GetBoundingBox(int* left, int* top, int* right, int* bottom) const
{
    if (!m_valid) return false;
    int l = m_width, t = m_height, r = -1, b = -1;
    for (int y = 0; y < m_height; y++) {
        const uint32_t* row = m_pixels + (size_t)y * m_width;
        for (int x = 0; x < m_width; x++) {
            if (!(row[x] >> 24)) continue;
            if (x < l) l = x;
            if (x > r) r = x;
            if (y < t) t = y;
            b = y;
        }
    }
    if (r < 0) return false;
    *left = l, *top = t, *right = r, *bottom = b;
    return true;
}

bool CBitmap32::Stretch(int width, int height)
{
    if (!m_valid || !SizeOK(width, height)) return false;
    uint32_t* pixels = (uint32_t*)MemAlloc((size_t)width * height * 4);
    if (!pixels) return false;
    for (int y = 0; y < height; y++) {
        int sy = (int)((int64_t)y * m_height / height);
        for (int x = 0; x < width; x++) {
            int sx = (int)((int64_t)x * m_width / width);
            pixels[(size_t)y * width + x] = m_pixels[(size_t)sy * m_width + sx];
        }
    }
    MemFree(m_pixels);
    m_pixels = pixels;
    m_width = width;
    m_height = height;
    m_size = (size_t)width * height * 4;
    return true;
}

void CBitmap32::SetAlphaFromBitmap(const CBitmap32* other)
{
    if (!m_valid || !other || !other->m_valid) return;
    for (int y = 0; y < m_height; y++) {
        int oy = (int)((int64_t)y * other->m_height / m_height);
        for (int x = 0; x < m_width; x++) {
            int ox = (int)((int64_t)x * other->m_width / m_width);
            uint32_t o = other->m_pixels[(size_t)oy * other->m_width + ox];
            uint32_t grey = ((o & 0xFF) + (o >> 8 & 0xFF) + (o >> 16 & 0xFF)) / 3;
            uint32_t& p = m_pixels[(size_t)y * m_width + x];
            uint32_t alpha = p >> 24;
            if (grey < alpha) p = (p & 0xFFFFFF) | grey << 24;
        }
    }
}

TBitmap* CBitmap32::CreateBitmap24() const
{
    if (!m_valid) return nullptr;
    TBitmap* bitmap = TBitmap_New(m_width, m_height, 24);
    if (!bitmap) return nullptr;
    uint8_t* dst = bitmap->Lock();
    for (size_t i = 0, n = (size_t)m_width * m_height; i < n; i++) {
        dst[i * 3] = m_pixels[i] >> 16 & 0xFF;
        dst[i * 3 + 1] = m_pixels[i] >> 8 & 0xFF;
        dst[i * 3 + 2] = m_pixels[i] & 0xFF;
    }
    bitmap->Unlock();
    return bitmap;
}

TBitmap* CBitmap32::CreateBitmap32() const
{
    if (!m_valid) return nullptr;
    TBitmap* bitmap = TBitmap_New(m_width, m_height, 32);
    if (!bitmap) return nullptr;
    memcpy(bitmap->Lock(), m_pixels, m_size);
    bitmap->Unlock();
    return bitmap;
}

bool CBitmap32::SaveToPNG(const char* fileName) const
{
    if (!m_valid) return false;
    return write_png_file(fileName, (const uint8_t*)m_pixels, m_width, m_height);
}
