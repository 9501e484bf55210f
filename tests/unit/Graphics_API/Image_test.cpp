#include "PngBytes.h"
#include "Graphics_API/Bitmap32.h"
#include "Graphics_API/Image.h"
#include "Base/MemoryManager.h"
#include "Platform/TBitmap.h"
#include "Support/LoadSave.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace fs = std::filesystem;

// A 3 x 2 image with every pixel different, alpha included.
static void FillSample(CBitmap32& image)
{
    for (int i = 0; i < 6; i++) image.m_pixels[i] = 0x10203040u * (i + 1) ^ (uint32_t)i << 24;
}

TEST(PNG, RoundTripThroughTheSaveFolderKeepsEveryByte)
{
    CBitmap32 image(3, 2, 0);
    FillSample(image);
    fs::path root = fs::canonical(fs::temp_directory_path()) / ("png_" + std::to_string(getpid()));
    setenv("XDG_DATA_HOME", root.c_str(), 1);
    LoadSave_SetGameName("PngGame");
    ASSERT_TRUE(image.SaveToPNG("shots\\a.png"));
    int64_t length = 0;
    uint8_t* file = LoadSave_ReadSaveFile("shots/a.png", &length);
    ASSERT_NE(file, nullptr);
    std::vector<uint8_t> png(file, file + length);
    MemFree(file);
    EXPECT_FALSE(write_png_file("../escape.png", (const uint8_t*)image.m_pixels, 3, 2));
    EXPECT_FALSE(fs::exists(root / "escape.png"));
    fs::remove_all(root);
    int w = 0, h = 0;
    EXPECT_TRUE(PNG_GetSize(png.data(), png.size(), &w, &h));
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    uint8_t* rgba = LoadPNGImage(png.data(), png.size(), &w, &h);
    ASSERT_NE(rgba, nullptr);
    EXPECT_EQ(memcmp(rgba, image.m_pixels, 24), 0);
    FreePNGImage();
    EXPECT_FALSE(write_png_file("", (const uint8_t*)image.m_pixels, 3, 2));
    EXPECT_FALSE(write_png_file("b.png", (const uint8_t*)image.m_pixels, 0, 2));
}

static void PutBE(uint8_t* p, uint32_t v)
{
    p[0] = v >> 24, p[1] = v >> 16 & 0xFF, p[2] = v >> 8 & 0xFF, p[3] = v & 0xFF;
}

// Malformed data of every kind fails cleanly (the suite also runs under AddressSanitizer).
TEST(PNG, MalformedDataFailsCleanly)
{
    CBitmap32 image(40, 30, 0xFF336699u);
    std::vector<uint8_t> png = PngBytes(image);
    ASSERT_GT(png.size(), 33u);
    int w, h;
    size_t live = MemoryManager_LiveBlocks();
    // Every truncation.
    for (size_t n = 0; n < png.size(); n++) {
        EXPECT_EQ(LoadPNGImage(png.data(), n, &w, &h), nullptr) << "truncated at " << n;
    }
    // Every single flipped byte past the signature decodes or fails, never crashes.
    for (size_t i = 8; i < png.size(); i++) {
        std::vector<uint8_t> bad = png;
        bad[i] ^= 0x5A;
        uint8_t* pixels = LoadPNGImage(bad.data(), bad.size(), &w, &h);
        if (pixels) {
            EXPECT_TRUE(w > 0 && h > 0);
        }
    }
    // A bad CRC on the header.
    std::vector<uint8_t> bad = png;
    bad[29] ^= 1;
    EXPECT_EQ(LoadPNGImage(bad.data(), bad.size(), &w, &h), nullptr);
    // Huge dimensions with a valid CRC, and a zero width.
    for (uint32_t size : {100000u, 0u, 0x80000000u}) {
        bad = png;
        PutBE(&bad[16], size);
        PutBE(&bad[29], (uint32_t)crc32(0, &bad[12], 17));
        EXPECT_EQ(LoadPNGImage(bad.data(), bad.size(), &w, &h), nullptr) << size;
        EXPECT_FALSE(PNG_GetSize(bad.data(), bad.size(), &w, &h));
    }
    std::vector<uint8_t> junk(200, 0x89);
    EXPECT_EQ(LoadPNGImage(junk.data(), junk.size(), &w, &h), nullptr);
    EXPECT_EQ(LoadPNGImage(nullptr, 100, &w, &h), nullptr);
    FreePNGImage();
    EXPECT_EQ(MemoryManager_LiveBlocks(), live);
}

TEST(BMP, TwentyFourBitRowsBottomFirstAndPadded)
{
    // 3 x 2 pixels stored B, G, R, A: top row blue-ish values 1.., bottom row 100..
    uint8_t pixels[24];
    for (int i = 0; i < 24; i++) pixels[i] = (uint8_t)(i < 12 ? i + 1 : i + 88);
    size_t size = 0;
    uint8_t* bmp = Image_CreateBMP(pixels, 3, 2, &size, 4);
    ASSERT_NE(bmp, nullptr);
    ASSERT_EQ(size, 54u + 12 * 2);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(bmp[2], size);
    EXPECT_EQ(bmp[10], 54);
    EXPECT_EQ(bmp[18], 3);
    EXPECT_EQ(bmp[22], 2);
    EXPECT_EQ(bmp[28], 24);
    // The bottom row comes first, three bytes a pixel, padded to 12.
    const uint8_t bottom[12] = {100, 101, 102, 104, 105, 106, 108, 109, 110, 0, 0, 0};
    const uint8_t top[12] = {1, 2, 3, 5, 6, 7, 9, 10, 11, 0, 0, 0};
    EXPECT_EQ(memcmp(bmp + 54, bottom, 12), 0);
    EXPECT_EQ(memcmp(bmp + 66, top, 12), 0);
    MemFree(bmp);
    bmp = Image_CreateBMP(pixels, 2, 1, &size, 3);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(size, 54u + 8);
    MemFree(bmp);
    EXPECT_EQ(Image_CreateBMP(pixels, 0, 1, &size, 4), nullptr);
    EXPECT_EQ(Image_CreateBMP(pixels, 1, 1, &size, 2), nullptr);
    EXPECT_EQ(Image_CreateBMP(nullptr, 1, 1, &size, 4), nullptr);
}

TEST(Bitmap32, PartsBoxesAndStretch)
{
    CBitmap32 image(4, 4, 0);
    image.m_pixels[1 * 4 + 2] = 0xFF0000FFu;
    image.m_pixels[3 * 4 + 1] = 0x01000000u;
    int l = -1, t = -1, r = -1, b = -1;
    ASSERT_TRUE(image.GetBoundingBox(&l, &t, &r, &b));
    EXPECT_EQ(l, 1);
    EXPECT_EQ(t, 1);
    EXPECT_EQ(r, 2);
    EXPECT_EQ(b, 3);
    CBitmap32 empty(2, 2, 0x00FFFFFFu);
    EXPECT_FALSE(empty.GetBoundingBox(&l, &t, &r, &b));
    CBitmap32* part = CBitmap32::CBitmap32_Part(&image, 2, 1, 3, 2);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->m_pixels[0], 0xFF0000FFu);
    EXPECT_EQ(part->m_pixels[2], 0u);  // beyond the source
    delete part;
    EXPECT_EQ(CBitmap32::CBitmap32_Part(&image, 0, 0, 0, 2), nullptr);
    EXPECT_EQ(CBitmap32::CBitmap32_Part(nullptr, 0, 0, 2, 2), nullptr);
    ASSERT_TRUE(image.Stretch(8, 8));
    EXPECT_EQ(image.m_pixels[2 * 8 + 4], 0xFF0000FFu);
    EXPECT_EQ(image.m_pixels[3 * 8 + 5], 0xFF0000FFu);
    EXPECT_EQ(image.m_pixels[2 * 8 + 6], 0u);
    EXPECT_EQ(image.m_pixels[4 * 8 + 4], 0u);
    EXPECT_FALSE(image.Stretch(-1, 2));
    EXPECT_FALSE(CBitmap32(0, 5, 0).m_valid);
    EXPECT_FALSE(CBitmap32(100000, 100000, 0).m_valid);
}

TEST(Bitmap32, FillsGradientsAndAlpha)
{
    CBitmap32* fill = CBitmap32::CBitmap32_Fill(2, 2, 0x123456);
    ASSERT_NE(fill, nullptr);
    EXPECT_EQ(fill->m_pixels[3], 0xFF123456u);
    CBitmap32* g = CBitmap32::CBitmap32_Gradient(5, 3, 0x000000, 0x0000FF, GRADIENT_HORIZONTAL);
    EXPECT_EQ(g->m_pixels[0], 0xFF000000u);
    EXPECT_EQ(g->m_pixels[2], 0xFF000080u);
    EXPECT_EQ(g->m_pixels[4], 0xFF0000FFu);
    delete g;
    g = CBitmap32::CBitmap32_Gradient(3, 3, 0x000000, 0xFFFFFF, GRADIENT_ELLIPSE);
    EXPECT_EQ(g->m_pixels[4], 0xFFFFFFFFu);  // centre
    EXPECT_EQ(g->m_pixels[1], 0xFF000000u);  // edge
    delete g;
    // Alpha from the other image's grey level, never raised.
    CBitmap32 grey(2, 2, 0xFF808080u);
    grey.m_pixels[1] = 0xFFFFFFFFu;
    fill->m_pixels[1] = 0x40123456u;
    fill->SetAlphaFromBitmap(&grey);
    EXPECT_EQ(fill->m_pixels[0], 0x80123456u);
    EXPECT_EQ(fill->m_pixels[1], 0x40123456u);
    delete fill;
}

TEST(Bitmap32, PlatformImagesAndBackgroundRemoval)
{
    // A 24-bit image stored B, G, R: magenta background (the bottom-left pixel) around one
    // green pixel.
    TBitmap bitmap(3, 3, 24);
    uint8_t* p = bitmap.Lock();
    for (int i = 0; i < 9; i++) p[i * 3] = 255, p[i * 3 + 1] = 0, p[i * 3 + 2] = 255;
    p[4 * 3] = 0, p[4 * 3 + 1] = 255, p[4 * 3 + 2] = 0;
    CBitmap32* plain = CBitmap32::CBitmap32_FromBitmap(&bitmap, false, false);
    EXPECT_EQ(plain->m_pixels[0], 0xFFFF00FFu);
    EXPECT_EQ(plain->m_pixels[4], 0xFF00FF00u);
    CBitmap32* cut = CBitmap32::CBitmap32_FromBitmap(&bitmap, true, false);
    EXPECT_EQ(cut->m_pixels[0] >> 24, 0u);
    EXPECT_EQ(cut->m_pixels[4], 0xFF00FF00u);
    CBitmap32* smooth = CBitmap32::CBitmap32_FromBitmap(&bitmap, true, true);
    EXPECT_EQ(smooth->m_pixels[4] >> 24, 255u / 9);  // alone among background pixels
    // Back to platform images.
    TBitmap* b24 = plain->CreateBitmap24();
    EXPECT_EQ(memcmp(b24->Lock(), p, 27), 0);
    TBitmap* b32 = cut->CreateBitmap32();
    EXPECT_EQ(b32->Lock()[4 * 4 + 1], 255);
    EXPECT_EQ(b32->Lock()[3], 0);
    CBitmap32* kept = CBitmap32::CBitmap32_FromImage(b32, true, true, true);
    EXPECT_EQ(kept->m_pixels[0] >> 24, 0u);
    EXPECT_EQ(CBitmap32::CBitmap32_FromBitmap(nullptr, false, false), nullptr);
    delete plain, delete cut, delete smooth, delete b24, delete b32, delete kept;
    // The one-image source copies what it is given.
    uint8_t rgba[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    IBitmapLoader* loader = BitmapLoader_Create(rgba, 2, 1);
    EXPECT_FALSE(loader->IsMultiFrame());
    TBitmap* one = loader->GetBitmap();
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->GetBitsPerPixel(), 32);
    EXPECT_EQ(memcmp(one->Lock(), rgba, 8), 0);
    delete one;
    delete loader;
}
