// The fixture of the graphics built-ins that draw: a device on a hidden window, the drawing state
// at its defaults, and every resource table emptied afterwards.
#pragma once
#include "../Graphics_API/GfxTest.h"
#include "BuiltinCall.h"

#include "Background/Background_Main.h"
#include "Base/MemoryManager.h"
#include "Function/Function_Graphics.h"
#include "Graphics/DrawPrimitives.h"
#include "Graphics/Graphics_Text.h"
#include "Graphics_API/DrawRegion.h"
#include "Path/Path_Main.h"
#include "Sprite/Sprite_Main.h"

#include <vector>

class DrawBuiltins : public BuiltinTestOn<GfxTest> {
protected:
    void Register() override { Function_Graphics_Init(); }
    void SetUp() override
    {
        BuiltinTestOn<GfxTest>::SetUp();
        Draw_Init();
        Call("draw_set_alpha", {1.0});
        Call("draw_set_color", {(double)WHITE});
        saved = DrawRegion;
        DrawRegion = {0, 0, W - 1, H - 1};
    }
    void TearDown() override
    {
        DrawRegion = saved;
        Sprite_Free();
        Background_Free();
        Path_Clear();
        GR_Text_Free();
        BuiltinTestOn<GfxTest>::TearDown();
    }
    static void Clear() { Call("draw_clear", {0.0}); }
    // 0xAARRGGBB words of a rectangle of the back buffer.
    static std::vector<uint32_t> Region(int x, int y, int w, int h)
    {
        uint32_t* p = GR_Screen_Read_Pixels(W, H, x, y, w, h);
        std::vector<uint32_t> out;
        if (p) out.assign(p, p + w * h);
        MemFree(p);
        return out;
    }
    // What draw_text leaves for one text argument, on a cleared screen.
    static std::vector<uint32_t> TextPixels(TaggedValue text)
    {
        Clear();
        Call("draw_text", {2.0, 2.0, text});
        return Region(0, 0, W, 20);
    }
    TDrawRegion saved;
};
