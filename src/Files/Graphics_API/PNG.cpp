#include "Graphics_API/Image.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Support/LoadSave.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

static uint8_t* g_decoded = nullptr;

namespace {
struct MemoryReader {
    const uint8_t* bytes;
    size_t size;
    size_t at;
};
}

static void ReadFromMemory(png_structp png, png_bytep out, png_size_t count)
{
    MemoryReader* reader = (MemoryReader*)png_get_io_ptr(png);
    if (count > reader->size - reader->at) png_error(png, "truncated PNG data");
    memcpy(out, reader->bytes + reader->at, count);
    reader->at += count;
}

static void QuietWarning(png_structp, png_const_charp) {}

static void ReportError(png_structp png, png_const_charp message)
{
    Console_Warnings->Output("PNG: %s\n", message);
    png_longjmp(png, 1);
}

uint8_t* PNG_Decode(const uint8_t* bytes, size_t size, int* width, int* height)
{
    if (!bytes || size < 8 || png_sig_cmp(bytes, 0, 8)) return nullptr;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ReportError, QuietWarning);
    if (!png) return nullptr;
    png_infop info = png_create_info_struct(png);
    MemoryReader reader = {bytes, size, 0};
    uint8_t* volatile pixels = nullptr;
    png_bytep* volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        MemFree(pixels);
        MemFree(rows);
        png_destroy_read_struct(&png, &info, nullptr);
        return nullptr;
    }
    if (!info) png_error(png, "out of memory");
    png_set_user_limits(png, IMAGE_MAX_SIDE, IMAGE_MAX_SIDE);
    png_set_chunk_malloc_max(png, 64u << 20);
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_read_info(png, info);
    png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    int depth = png_get_bit_depth(png, info), colour = png_get_color_type(png, info);
    if (depth == 16) png_set_strip_16(png);
    if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colour == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != (size_t)w * 4) png_error(png, "unexpected row size");
    pixels = (uint8_t*)MemAlloc((size_t)w * h * 4);
    rows = (png_bytep*)MemAlloc(sizeof(png_bytep) * h);
    if (!pixels || !rows) png_error(png, "out of memory");
    for (png_uint_32 y = 0; y < h; y++) rows[y] = pixels + (size_t)y * w * 4;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    MemFree(rows);
    *width = (int)w;
    *height = (int)h;
    return pixels;
}

uint8_t* LoadPNGImage(const uint8_t* bytes, size_t size, int* width, int* height)
{
    FreePNGImage();
    g_decoded = PNG_Decode(bytes, size, width, height);
    return g_decoded;
}

void FreePNGImage()
{
    MemFree(g_decoded);
    g_decoded = nullptr;
}

bool PNG_GetSize(const uint8_t* bytes, size_t size, int* width, int* height)
{
    static const uint8_t ihdr[8] = {0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    if (!bytes || size < 24 || png_sig_cmp(bytes, 0, 8) || memcmp(bytes + 8, ihdr, 8)) return false;
    uint32_t w = (uint32_t)bytes[16] << 24 | bytes[17] << 16 | bytes[18] << 8 | bytes[19];
    uint32_t h = (uint32_t)bytes[20] << 24 | bytes[21] << 16 | bytes[22] << 8 | bytes[23];
    if (w == 0 || h == 0 || w > (uint32_t)IMAGE_MAX_SIDE || h > (uint32_t)IMAGE_MAX_SIDE) return false;
    *width = (int)w;
    *height = (int)h;
    return true;
}

namespace {
struct MemoryWriter {
    uint8_t* bytes;
    size_t size;
    size_t capacity;
};
}

static void WriteToMemory(png_structp png, png_bytep data, png_size_t count)
{
    MemoryWriter* writer = (MemoryWriter*)png_get_io_ptr(png);
    if (writer->size + count > writer->capacity) {
        size_t capacity = writer->capacity * 2 + count;
        MemRealloc(&writer->bytes, capacity);
        // A block that could not grow stays as it was.
        if (!writer->bytes || MemoryManager_GetSize(writer->bytes) < capacity) png_error(png, "out of memory");
        writer->capacity = capacity;
    }
    memcpy(writer->bytes + writer->size, data, count);
    writer->size += count;
}

static void FlushNothing(png_structp) {}

uint8_t* PNG_Encode(const uint8_t* rgba, int width, int height, size_t* size)
{
    if (!rgba || width <= 0 || height <= 0 || width > IMAGE_MAX_SIDE || height > IMAGE_MAX_SIDE) return nullptr;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, ReportError, QuietWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    MemoryWriter writer = {nullptr, 0, 0};
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        MemFree(writer.bytes);
        return nullptr;
    }
    png_set_write_fn(png, &writer, WriteToMemory, FlushNothing);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; y++) png_write_row(png, (png_const_bytep)(rgba + (size_t)y * width * 4));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    *size = writer.size;
    return writer.bytes;
}

bool write_png_file(const char* fileName, const uint8_t* rgba, int width, int height)
{
    if (!fileName || !*fileName) return false;
    size_t size = 0;
    uint8_t* png = PNG_Encode(rgba, width, height, &size);
    if (!png) return false;
    bool written = LoadSave_WriteFile(fileName, png, (int64_t)size);
    if (!written) Console_Warnings->Output("Could not write image file %s\n", fileName);
    MemFree(png);
    return written;
}
