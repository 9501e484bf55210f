#include "Base/Color.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>

TEST(Color, MergeRoundsToNearestEven)
{
    // Channels are red, green, blue from the low byte; each rounds on its own.
    EXPECT_EQ(Color_Merge(0x000000, 0x010101, 0.5f), 0x000000);  // 0.5 -> 0
    EXPECT_EQ(Color_Merge(0x000000, 0x030303, 0.5f), 0x020202);  // 1.5 -> 2
    EXPECT_EQ(Color_Merge(0x000000, 0x030501, 0.5f), 0x020200);  // 0.5, 2.5, 1.5
    EXPECT_EQ(Color_Merge(0x0A0B0C, 0x0D0E0F, 0.0f), 0x0A0B0C);
    EXPECT_EQ(Color_Merge(0x0A0B0C, 0x0D0E0F, 1.0f), 0x0D0E0F);
    EXPECT_EQ(Color_Merge(0x000000, 0x0000FF, 0.25f), 64);        // 63.75
    // Amounts outside 0..1 stay within bytes, never spill into the next channel.
    EXPECT_EQ(Color_Merge(0x000000, 0x0000C8, 2.0f), 0x0000FF);
    EXPECT_EQ(Color_Merge(0x000064, 0x0000FF, -1.0f), 0x000000);
    EXPECT_EQ(Color_Merge(0x808080, 0xFFFFFF, NAN), 0x000000);
}

TEST(Color, RecordsAndHSV)
{
    ColorRGB rgb;
    EXPECT_EQ(Color_FromRGB(ColorRGB_Set(&rgb, 0x12, 0x34, 0x56)), 0x563412);

    struct Row { int colour; int h, s, v; };
    const Row rows[] = {
        {0x0000FF, 0, 255, 255},   {0x00FF00, 85, 255, 255}, {0xFF0000, 170, 255, 255},
        {0x00FFFF, 42, 255, 255},  {0xFFFFFF, 0, 0, 255},    {0x000000, 0, 0, 0},
        {0x808080, 0, 0, 128},     {0x000080, 0, 255, 128},
    };
    for (const Row& r : rows) {
        ColorHSV hsv;
        Color_ToHSV(&hsv, r.colour);
        EXPECT_EQ(hsv.hue, r.h) << std::hex << r.colour;
        EXPECT_EQ(hsv.saturation, r.s) << std::hex << r.colour;
        EXPECT_EQ(hsv.value, r.v) << std::hex << r.colour;
        if (r.colour != 0x00FFFF) {  // yellow's 42.5 cannot be stored
            EXPECT_EQ(Color_FromHSV(ColorHSV_Set(&hsv, r.h, r.s, r.v)), r.colour) << std::hex << r.colour;
        }
    }
    // Around the whole circle at full saturation, a hue survives the round trip within one step.
    for (int h = 0; h < 256; h++) {
        ColorHSV in, out;
        Color_ToHSV(&out, Color_FromHSV(ColorHSV_Set(&in, h, 255, 255)));
        int diff = std::abs(out.hue - h);
        EXPECT_LE(std::min(diff, 256 - diff), 1) << h;
        EXPECT_EQ(out.value, 255);
    }
}
