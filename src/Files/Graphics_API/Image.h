// PNG reading and writing, BMP images in memory, and the one-image bitmap source.
#pragma once
#include <cstddef>
#include <cstdint>

class IBitmapLoader;

// Images larger than this on either side are refused when decoding.
const int IMAGE_MAX_SIDE = 16384;

// Decodes PNG bytes into 8-bit RGBA pixels (rows top first) and gives their size; null for data
// that is not a whole valid PNG image within the size limit. The pixels stay valid until
// FreePNGImage or the next LoadPNGImage (one decoded image is kept at a time).
uint8_t* LoadPNGImage(const uint8_t* bytes, size_t size, int* width, int* height);
void FreePNGImage();
// As LoadPNGImage, but the pixels belong to the caller (MemFree).
uint8_t* PNG_Decode(const uint8_t* bytes, size_t size, int* width, int* height);
// PNG bytes (MemFree) of 8-bit RGBA pixels; null for a bad size.
uint8_t* PNG_Encode(const uint8_t* rgba, int width, int height, size_t* size);
// Reads only the size from a PNG header; false when the bytes do not start like a PNG image.
bool PNG_GetSize(const uint8_t* bytes, size_t size, int* width, int* height);
// Writes 8-bit RGBA pixels (rows top first) as a PNG file under the name in the save folder.
bool write_png_file(const char* fileName, const uint8_t* rgba, int width, int height);

// A new buffer holding a 24-bit BMP file of pixels stored B, G, R (bytesPerPixel 3) or B, G, R, A
// (4), rows top first; *size gets its length. Null for a bad size or format.
uint8_t* Image_CreateBMP(const uint8_t* pixels, int width, int height, size_t* size, int bytesPerPixel);

// A bitmap source that gives one 32-bit image of the RGBA pixels (copied when asked for; the
// pixels must outlive the source).
IBitmapLoader* BitmapLoader_Create(const uint8_t* rgba, int width, int height);
