// The pool of virtual on-screen button records (added and removed by the virtual-key built-ins and
// options.ini), and their drawing.
#include "IO/IO.h"

#include "Base/Console.h"
#include "Graphics/DrawPrimitives.h"
#include "Graphics_API/GR_Batch.h"
#include "Graphics_API/GR_Device.h"
#include "Support/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <iterator>

constexpr int BUTTON_RECORDS = 32;
IO_VirtualButton IO_VirtualButtons[BUTTON_RECORDS];
const int IO_VirtualButtonCount = BUTTON_RECORDS;

namespace {

int SaturatedSum(int a, int b) { return (int)std::clamp((int64_t)a + b, (int64_t)INT_MIN, (int64_t)INT_MAX); }

// Colours of a shown button, 0xBBGGRR, and the alpha of its box.
constexpr uint32_t BUTTON_BOX = 0x808080, BUTTON_EDGE = 0xFFFFFF;
constexpr double BUTTON_ALPHA = 0.35;

// "x,y,width,height,key": five whole numbers within int, spaces allowed around them.
bool ParseButton(const char* text, int out[5])
{
    const char* p = text;
    for (int i = 0; i < 5; i++) {
        if (i > 0 && *p++ != ',') return false;
        char* end = nullptr;
        errno = 0;
        long long v = strtoll(p, &end, 10);
        if (end == p || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
        out[i] = (int)v;
        for (p = end; *p == ' ' || *p == '\t';) p++;
    }
    return *p == 0;
}

}  // namespace

IO_VirtualButton* IO_VirtualButton_FindFree()
{
    for (int i = 0; i < BUTTON_RECORDS; i++) {
        if (IO_VirtualButtons[i].flags == 0) {
            IO_VirtualButtons[i].index = (uint16_t)i;
            return &IO_VirtualButtons[i];
        }
    }
    return nullptr;
}

void IO_VirtualButton_Delete(int index)
{
    if (index >= 0 && index < BUTTON_RECORDS) IO_VirtualButtons[index].flags = 0;
}

IO_VirtualButton* IO_VirtualButton_Add(int x, int y, int width, int height, int key)
{
    IO_VirtualButton* b = IO_VirtualButton_FindFree();
    if (b) *b = IO_VirtualButton{IO_VB_IN_USE, b->index, x, y, SaturatedSum(x, width), SaturatedSum(y, height), width, height, {0, 0, 0}, key};
    return b;
}

void IO_VirtualButton_ReadOptions(IniFile& options)
{
    IniSection* section = options.FindSection("IO_VIRTUAL_BUTTONS");
    for (IniKey* k = section ? section->keys : nullptr; k; k = k->next) {
        int v[5] = {};
        bool good = ParseButton(k->value, v);
        int x = v[0], y = v[1], w = v[2], h = v[3], key = v[4];
        if (!good || w <= 0 || h <= 0 || key < 0 || key >= IO_KEY_COUNT) {
            Console_Warnings->Output("options.ini: the virtual button \"%s\" is not x,y,width,height,key: \"%s\"\n",
                                     k->name, k->value);
            continue;
        }
        IO_VirtualButton* b = IO_VirtualButton_Add(x, y, w, h, key);
        if (!b) {
            Console_Warnings->Output("options.ini: no room for the virtual button \"%s\"\n", k->name);
            return;
        }
        b->flags |= IO_VB_SHOWN;
    }
}

void IO_VirtualButtons_Draw()
{
    bool any = false;
    for (const IO_VirtualButton& b : IO_VirtualButtons) any |= (b.flags & IO_VB_IN_USE) && (b.flags & IO_VB_SHOWN);
    if (!any || !GR_D3D_HasDevice()) return;
    // The buttons lie in window coordinates, over whatever the room drew, blended normally: the
    // transforms, the viewport, those states and the drawing colour are the game's again afterwards.
    GR_Batch_Flush();
    float view[16], projection[16], world[16];
    GR_D3D_Get_Transform(GR_TRANSFORM_VIEW, view);
    GR_D3D_Get_Transform(GR_TRANSFORM_PROJECTION, projection);
    GR_D3D_Get_Transform(GR_TRANSFORM_WORLD, world);
    int vx, vy, vw, vh;
    GR_D3D_Get_Viewport(&vx, &vy, &vw, &vh);
    uint32_t colour = Draw_GetColor() & 0xFFFFFF;
    double alpha = Draw_GetAlpha();
    const int states[] = {GR_RS_ZENABLE, GR_RS_ALPHABLEND, GR_RS_SRCBLEND, GR_RS_DESTBLEND};
    uint32_t saved[std::size(states)];
    for (size_t i = 0; i < std::size(states); i++) saved[i] = GR_D3D_Get_Render_State(states[i]);
    GR_D3D_Set_Render_State(GR_RS_ZENABLE, 0);
    GR_D3D_Set_Render_State(GR_RS_ALPHABLEND, 1);
    GR_D3D_Set_Blend_Mode(0);
    int w = GR_D3D_Get_Backbuffer_Width(), h = GR_D3D_Get_Backbuffer_Height();
    GR_D3D_Set_Viewport(0, 0, w, h);
    GR_D3D_Set_Projection_2D(0, 0, (float)w, (float)h, 0);
    for (const IO_VirtualButton& b : IO_VirtualButtons) {
        if (!(b.flags & IO_VB_IN_USE) || !(b.flags & IO_VB_SHOWN)) continue;
        float left = (float)b.x, top = (float)b.y, right = (float)b.right - 1, bottom = (float)b.bottom - 1;
        Draw_SetColor(BUTTON_BOX);
        Draw_SetAlpha(BUTTON_ALPHA);
        Draw_Rectangle(left, top, right, bottom, false);
        Draw_SetColor(BUTTON_EDGE);
        Draw_SetAlpha(1);
        Draw_Rectangle(left, top, right, bottom, true);
    }
    GR_Batch_Flush();
    for (size_t i = 0; i < std::size(states); i++) GR_D3D_Set_Render_State(states[i], saved[i]);
    Draw_SetColor(colour);
    Draw_SetAlpha(alpha);
    GR_D3D_Set_Viewport(vx, vy, vw, vh);
    GR_D3D_Set_Transform(GR_TRANSFORM_VIEW, view);
    GR_D3D_Set_Transform(GR_TRANSFORM_PROJECTION, projection);
    GR_D3D_Set_Transform(GR_TRANSFORM_WORLD, world);
}
