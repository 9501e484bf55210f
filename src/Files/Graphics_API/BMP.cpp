#include "Graphics_API/Image.h"
#include "Base/MemoryManager.h"

#include <cstring>

static void Put16(uint8_t* p, uint32_t v) { p[0] = v & 0xFF, p[1] = v >> 8 & 0xFF; }
static void Put32(uint8_t* p, uint32_t v) { Put16(p, v & 0xFFFF), Put16(p + 2, v >> 16); }

uint8_t* Image_CreateBMP(const uint8_t* pixels, int width, int height, size_t* size, int bytesPerPixel)
{
    if (!pixels || width <= 0 || height <= 0 || (bytesPerPixel != 3 && bytesPerPixel != 4)) return nullptr;
    if (width > IMAGE_MAX_SIDE || height > IMAGE_MAX_SIDE) return nullptr;
    size_t rowBytes = ((size_t)width * 3 + 3) & ~(size_t)3;
    size_t total = 54 + rowBytes * height;
    uint8_t* bmp = (uint8_t*)MemAllocClear(total);
    if (!bmp) return nullptr;
    bmp[0] = 'B', bmp[1] = 'M';
    Put32(bmp + 2, (uint32_t)total);
    Put32(bmp + 10, 54);
    Put32(bmp + 14, 40);
    Put32(bmp + 18, (uint32_t)width);
    Put32(bmp + 22, (uint32_t)height);  // positive: rows stored bottom first
    Put16(bmp + 26, 1);
    Put16(bmp + 28, 24);
    Put32(bmp + 34, (uint32_t)(rowBytes * height));
    Put32(bmp + 38, 2835);  // 72 dpi
    Put32(bmp + 42, 2835);
    for (int y = 0; y < height; y++) {
        const uint8_t* src = pixels + (size_t)y * width * bytesPerPixel;
        uint8_t* dst = bmp + 54 + (size_t)(height - 1 - y) * rowBytes;
        for (int x = 0; x < width; x++) memcpy(dst + x * 3, src + x * bytesPerPixel, 3);
    }
    *size = total;
    return bmp;
}
