// PNG bytes of an image, for tests that write image files or load texture pages.
#pragma once
#include "Base/MemoryManager.h"
#include "Graphics_API/Bitmap32.h"
#include "Graphics_API/Image.h"

#include <cstdint>
#include <vector>

// Empty when the pixels do not encode.
inline std::vector<uint8_t> PngBytes(const uint8_t* rgba, int w, int h)
{
    size_t size = 0;
    uint8_t* png = PNG_Encode(rgba, w, h, &size);
    std::vector<uint8_t> bytes;
    if (png) bytes.assign(png, png + size);
    MemFree(png);
    return bytes;
}

inline std::vector<uint8_t> PngBytes(const CBitmap32& image)
{
    return PngBytes((const uint8_t*)image.m_pixels, image.m_width, image.m_height);
}
