// Splits and measures arbitrary text in the built-in font: the first two bytes give the wrap width
// (negative: none) and the separation, the rest is the text. Must never crash, hang or read past
// the text.
#include "Graphics/Graphics_Text.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) return 0;
    int wrap = (int8_t)data[0] * 4;
    int separation = (int8_t)data[1];
    std::string text((const char*)data + 2, size - 2);
    TTextLines lines;
    GR_Text_Split(text.c_str(), wrap, &lines);
    GR_Text_Width(text.c_str(), separation, wrap);
    GR_Text_Height(text.c_str(), separation, wrap);
    return 0;
}
