// A hidden window with the graphics device for drawing tests, and helpers to read pixels.
#pragma once
#include "Graphics_API/GR_Batch.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Surface.h"
#include "Graphics_API/GR_Texture.h"
#include "Graphics_API/Matrix.h"

#include <gtest/gtest.h>

#include "Base/MemoryManager.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

class GfxTest : public ::testing::Test {
protected:
    static constexpr int W = 64, H = 48;

    void SetUp() override
    {
        // Drawing tests must fail, not skip, without a display: scripts/test always gives one.
        ASSERT_NE(getenv("DISPLAY"), nullptr) << "no DISPLAY: drawing tests need an X display (Xvfb)";
        window = GR_Window_Open_Hidden(W, H);
        ASSERT_NE(window, nullptr) << "the graphics device could not be made on the display";
        Use2D(W, H);
        GR_Draw_Alpha = 255;
        Graphics::Clear(0xFF000000u, 1, 0, 7);
    }
    void TearDown() override
    {
        // Render states outlive a device: undo a test that switched blending off.
        GR_D3D_Set_Render_State(GR_RS_ALPHABLEND, 1);
        GR_Window_Close(window);
    }
    // The 2D projection rooms use: room (0, 0) at the top-left corner of the target.
    static void Use2D(float w, float h) { GR_D3D_Set_Projection_2D(0, 0, w, h, 0); }
    // 0xBBGGRR of a back-buffer pixel.
    static uint32_t Pixel(int x, int y) { return GR_Screen_Get_Pixel(x, y); }

    SDL_Window* window = nullptr;
};

// Colours as 0xBBGGRR.
const uint32_t RED = 0x0000FF, GREEN = 0x00FF00, BLUE = 0xFF0000, WHITE = 0xFFFFFF, BLACK = 0;

// Channels within a tolerance (blending rounds differently on different devices).
inline ::testing::AssertionResult Near(uint32_t got, uint32_t want, int tolerance = 2)
{
    for (int shift = 0; shift < 24; shift += 8) {
        int a = got >> shift & 0xFF, b = want >> shift & 0xFF;
        if (abs(a - b) > tolerance)
            return ::testing::AssertionFailure() << std::hex << "got 0x" << got << ", want 0x" << want;
    }
    return ::testing::AssertionSuccess();
}

// The back buffer's pixels, rows top first (empty when they cannot be read).
inline std::vector<uint32_t> ScreenPixels(int w, int h)
{
    uint32_t* pixels = GR_Screen_Read_Pixels(w, h, 0, 0, w, h);
    std::vector<uint32_t> kept(pixels, pixels + (pixels ? w * h : 0));
    MemFree(pixels);
    return kept;
}

// The pixels that differ between two pictures w pixels wide; the first few are reported as
// failures naming both sides.
inline int Differences(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int w, const std::string& nameA, const std::string& nameB)
{
    int differ = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); i++)
        if (a[i] != b[i] && differ++ < 8)
            ADD_FAILURE() << "pixel (" << i % w << ", " << i / w << "): " << nameA << " 0x" << std::hex << a[i] << ", "
                          << nameB << " 0x" << b[i];
    return differ;
}
