#include "Graphics_API/Image.h"
#include "Platform/TBitmap.h"

#include <cstring>

namespace {
class TOneBitmapLoader : public IBitmapLoader {
public:
    TOneBitmapLoader(const uint8_t* rgba, int width, int height) : m_rgba(rgba), m_width(width), m_height(height) {}
    bool IsMultiFrame() override { return false; }
    TBitmap* GetBitmap() override
    {
        if (!m_rgba) return nullptr;
        TBitmap* bitmap = TBitmap_New(m_width, m_height, 32);
        if (!bitmap) return nullptr;
        memcpy(bitmap->Lock(), m_rgba, (size_t)m_width * m_height * 4);
        bitmap->Unlock();
        return bitmap;
    }
private:
    const uint8_t* m_rgba;
    int m_width, m_height;
};
}

IBitmapLoader* BitmapLoader_Create(const uint8_t* rgba, int width, int height)
{
    return new TOneBitmapLoader(rgba, width, height);
}
