// What the programs that check a packed game share: counted failures and decoded PNG pixels.
#pragma once

#include "Base/MemoryManager.h"
#include "Graphics_API/Image.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace PackedCheck {

inline int Failures = 0;
inline const char* Program = "check";

// Counts and prints a failed check; the program exits 1 when any failed.
inline void Check(bool ok, const std::string& what)
{
    if (ok) return;
    fprintf(stderr, "%s: %s\n", Program, what.c_str());
    Failures++;
}

// The RGBA pixels of PNG bytes (empty when they do not decode).
inline std::vector<uint8_t> Pixels(const uint8_t* png, size_t size, int* w, int* h)
{
    uint8_t* rgba = PNG_Decode(png, size, w, h);
    std::vector<uint8_t> pixels;
    if (rgba) pixels.assign(rgba, rgba + (size_t)*w * *h * 4);
    MemFree(rgba);
    return pixels;
}

// The RGBA pixels of a PNG file.
inline std::vector<uint8_t> FilePixels(const std::string& path, int* w, int* h)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Pixels(file.data(), file.size(), w, h);
}

}  // namespace PackedCheck
