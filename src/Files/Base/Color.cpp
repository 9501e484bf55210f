#include "Base/Color.h"

#include <cmath>

namespace {

int RoundByte(double v)
{
    if (!(v > 0)) return 0;  // NaN too
    if (v >= 255) return 255;
    return (int)std::nearbyint(v);
}

}  // namespace

ColorRGB* ColorRGB_Set(ColorRGB* record, int red, int green, int blue)
{
    record->red = (uint8_t)red;
    record->green = (uint8_t)green;
    record->blue = (uint8_t)blue;
    return record;
}

ColorHSV* ColorHSV_Set(ColorHSV* record, int hue, int saturation, int value)
{
    record->hue = (uint8_t)hue;
    record->saturation = (uint8_t)saturation;
    record->value = (uint8_t)value;
    return record;
}

int Color_FromRGB(const ColorRGB* record)
{
    return record->red | (record->green << 8) | (record->blue << 16);
}

int Color_FromHSV(const ColorHSV* record)
{
    double s = record->saturation / 255.0;
    double v = record->value;  // 0..255 keeps the result in bytes
    double h = record->hue * 6.0 / 255.0;  // sector 0..6
    if (h >= 6.0) h = 0.0;
    int sector = (int)h;
    double f = h - sector;
    double p = v * (1 - s);
    double q = v * (1 - s * f);
    double t = v * (1 - s * (1 - f));
    double r, g, b;
    switch (sector) {
    case 0: r = v; g = t; b = p; break;
    case 1: r = q; g = v; b = p; break;
    case 2: r = p; g = v; b = t; break;
    case 3: r = p; g = q; b = v; break;
    case 4: r = t; g = p; b = v; break;
    default: r = v; g = p; b = q; break;
    }
    return RoundByte(r) | (RoundByte(g) << 8) | (RoundByte(b) << 16);
}

void Color_ToHSV(ColorHSV* out, int colour)
{
    int r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    int max = r > g ? (r > b ? r : b) : (g > b ? g : b);
    int min = r < g ? (r < b ? r : b) : (g < b ? g : b);
    int delta = max - min;
    double hue = 0;  // in sixths of the circle
    if (delta > 0) {
        if (max == r) hue = (double)(g - b) / delta;
        else if (max == g) hue = 2.0 + (double)(b - r) / delta;
        else hue = 4.0 + (double)(r - g) / delta;
        if (hue < 0) hue += 6.0;
    }
    out->hue = (uint8_t)RoundByte(hue * 255.0 / 6.0);
    out->saturation = (uint8_t)(max == 0 ? 0 : RoundByte(255.0 * delta / max));
    out->value = (uint8_t)max;
}

int Color_Merge(int colour1, int colour2, float amount)
{
    // The three channels side by side in one vector, each computed as it would be alone
    // (particles merge colours every step).
    typedef float Channels __attribute__((vector_size(16)));
    typedef int Bytes __attribute__((vector_size(16)));
    Channels a = {(float)(colour1 & 0xFF), (float)(colour1 >> 8 & 0xFF), (float)(colour1 >> 16 & 0xFF), 0};
    Channels b = {(float)(colour2 & 0xFF), (float)(colour2 >> 8 & 0xFF), (float)(colour2 >> 16 & 0xFF), 0};
    Channels mixed = a * (1.0f - amount) + b * amount;
    // Adding and taking away 1.5 x 2^23 rounds to the nearest integer, ties to even, as nearbyint
    // does but without its call.
    const Channels magic = {12582912.0f, 12582912.0f, 12582912.0f, 12582912.0f};
    const Channels zero = {0, 0, 0, 0}, top = {255, 255, 255, 255};
    Channels rounded = (mixed + magic) - magic;
    Bytes byte = __builtin_convertvector(mixed >= top ? top : mixed > zero ? rounded : zero, Bytes);
    return byte[0] | byte[1] << 8 | byte[2] << 16;
}
