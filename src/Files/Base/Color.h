// Colour records and conversions. A colour integer is red + green * 256 + blue * 65536 (0xBBGGRR).
#pragma once
#include <cstdint>

struct ColorRGB {
    uint8_t red, green, blue;
};

// Hue, saturation and value as bytes: hue 0..255 spans the colour circle (255 * degrees / 360),
// saturation and value 0..255 stand for 0..1.
struct ColorHSV {
    uint8_t hue, saturation, value;
};

ColorRGB* ColorRGB_Set(ColorRGB* record, int red, int green, int blue);
ColorHSV* ColorHSV_Set(ColorHSV* record, int hue, int saturation, int value);
int Color_FromRGB(const ColorRGB* record);
// The standard hexcone conversion, each channel rounded to the nearest byte.
int Color_FromHSV(const ColorHSV* record);
// The inverse: value = max channel, saturation = 255 * (max - min) / max, hue from the
// dominant channel; each rounded to the nearest byte.
void Color_ToHSV(ColorHSV* out, int colour);
// Each channel is c1 * (1 - amount) + c2 * amount in single precision, rounded to the nearest
// integer (ties to even) and kept within 0..255 (an amount outside 0..1 or NaN cannot leave a byte).
int Color_Merge(int colour1, int colour2, float amount);
