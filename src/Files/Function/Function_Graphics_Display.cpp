// The display mode, the game's window, the mouse in screen, window and room coordinates, and
// screen captures.
//
// A device reset that a display change asks for happens at the start of the next frame, as the
// reset of display_reset does: what the running frame has drawn so far stays, and the back buffer
// is never made again while a draw event is drawing into it.
#include "Function/Function_Graphics_Internal.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Variable/Arguments.h"
#include "Code/Error.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Display.h"
#include "Graphics_API/GR_Surface.h"
#include "Graphics_API/Image.h"
#include "Option/Option_Main.h"
#include "Room/View.h"
#include "IO/Window.h"
#include "Support/LoadSave.h"

bool Graphics_ClipRect(int* x, int* y, int* w, int* h, int areaW, int areaH)
{
    int64_t left = *x, top = *y, right = left + *w, bottom = top + *h;
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (right > areaW) right = areaW;
    if (bottom > areaH) bottom = areaH;
    if (right - left < 1 || bottom - top < 1) return false;
    *x = (int)left, *y = (int)top, *w = (int)(right - left), *h = (int)(bottom - top);
    return true;
}

void Graphics_SaveBMP(const char* name, uint32_t* pixels, int w, int h)
{
    size_t size = 0;
    // Pixel words 0xAARRGGBB lie in memory as blue, green, red, alpha.
    uint8_t* bmp = Image_CreateBMP((const uint8_t*)pixels, w, h, &size, 4);
    MemFree(pixels);
    if (!bmp || !LoadSave_WriteFile(name, bmp, (int64_t)size))
        Console_Warnings->Output("The image \"%s\" could not be written.\n", name);
    if (bmp) MemFree(bmp);
}

namespace {

void SetFlag(TaggedValue* result, bool value)
{
    result->SetReal(value ? 1.0 : 0.0);
}

// The set forms answer whether the system took the mode; the device is reset either way.
void DisplayChanged(TaggedValue* result, bool accepted)
{
    SetFlag(result, accepted);
    GR_Display_Reset_Pending = true;
}

// The screen is what the back buffer holds now: the window's size, which is the game's base size
// until the window is resized.
void SaveScreen(const char* name, int x, int y, int w, int h, bool whole)
{
    if (!name || !*name) {
        Error_Show_Action("Trying to save screen to empty image file name.", false);
        return;
    }
    int screenW = GR_D3D_Get_Backbuffer_Width(), screenH = GR_D3D_Get_Backbuffer_Height();
    if (whole) x = 0, y = 0, w = screenW, h = screenH;
    if (!Graphics_ClipRect(&x, &y, &w, &h, screenW, screenH)) return;
    uint32_t* pixels = GR_Screen_Read_Pixels(screenW, screenH, x, y, w, h);
    if (pixels) Graphics_SaveBMP(name, pixels, w, h);
}

}  // namespace

void F_display_get_width(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(GR_Display_Get_Width());
}

void F_display_get_height(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(GR_Display_Get_Height());
}

void F_display_get_colordepth(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(GR_Display_Get_ColorDepth());
}

void F_display_get_frequency(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(GR_Display_Get_Frequency());
}

void F_display_set_size(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    DisplayChanged(result, GR_Display_Set_Size(Arg_I(args[0]), Arg_I(args[1])));
}

void F_display_set_colordepth(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    DisplayChanged(result, GR_Display_Set_ColorDepth(Arg_I(args[0])));
}

void F_display_set_frequency(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    DisplayChanged(result, GR_Display_Set_Frequency(Arg_I(args[0])));
}

void F_display_set_all(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    DisplayChanged(result, GR_Display_Set_All(Arg_I(args[0]), Arg_I(args[1]), Arg_I(args[2]), Arg_I(args[3])));
}

void F_display_test_all(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    SetFlag(result, GR_Display_Test_All(Arg_I(args[0]), Arg_I(args[1]), Arg_I(args[2]), Arg_I(args[3])));
}

// The low byte of the antialias value picks the samples. Vertical synchronisation changes only
// when a caller gives it as a second argument; the call of a script gives one argument.
void F_display_reset(TaggedValue*, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    GR_Display_Set_Antialias(Arg_T(args[0]) & 0xFF);
    if (argc >= 2) GR_Display_Set_VSync(args[1].GetReal() > 0);
}

void F_display_mouse_get_x(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(GR_Display_Mouse_Get_X());
}

void F_display_mouse_get_y(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(GR_Display_Mouse_Get_Y());
}

void F_display_mouse_set(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    GR_Display_Mouse_Set(Arg_I(args[0]), Arg_I(args[1]));
}

// Border, icons, staying on top, sizing and the default window are the window manager's here,
// the display has no orientation and the mouse is not moved through views: the built-ins of
// these do nothing, and their getters give 0.
void F_window_default(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) {}

void F_window_get_visible(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(WindowVisible);
}

void F_window_set_fullscreen(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Window_SetFullscreen(args[0].GetReal() >= 0.5);
}

void F_window_get_fullscreen(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    SetFlag(result, Window_GetFullscreen());
}

void F_window_set_caption(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Window_SetCaption(Arg_S(args[0]), false);
}

void F_window_get_caption(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetString(Window_GetCaption());
}

// The game start shows the default cursor or none as the last cursor set says.
void F_window_set_cursor(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Window_SetCursor(Arg_I(args[0]));
    Option_ShowCursor = Window_GetCursor() != -1;
}

void F_window_get_cursor(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(Window_GetCursor());
}

void F_window_set_color(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Window_SetColor((uint32_t)Arg_I(args[0]));
}

void F_window_get_color(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(Window_GetColor());
}

void F_window_set_position(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Window_SetPosition(Arg_I(args[0]), Arg_I(args[1]));
}

void F_window_set_size(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Window_SetSize(Arg_I(args[0]), Arg_I(args[1]));
}

void F_window_set_rectangle(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Window_SetRectangle(Arg_I(args[0]), Arg_I(args[1]), Arg_I(args[2]), Arg_I(args[3]));
}

void F_window_center(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*)
{
    Window_Center();
}

void F_window_get_x(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(Window_GetX());
}

void F_window_get_y(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(Window_GetY());
}

void F_window_get_width(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(Window_GetWidth());
}

void F_window_get_height(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(Window_GetHeight());
}

void F_window_mouse_get_x(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(Window_GetMouseX());
}

void F_window_mouse_get_y(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(Window_GetMouseY());
}

void F_window_mouse_set(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Window_SetMouse(Arg_I(args[0]), Arg_I(args[1]));
}

void F_window_view_mouse_get_x(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(View_GetMouseX(Arg_I(args[0])));
}

void F_window_view_mouse_get_y(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(View_GetMouseY(Arg_I(args[0])));
}

void F_window_views_mouse_get_x(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(Mouse_GetRoomX(0));
}

void F_window_views_mouse_get_y(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(Mouse_GetRoomY(0));
}

void F_screen_save(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    SaveScreen(Arg_S(args[0]), 0, 0, 0, 0, true);
}

void F_screen_save_part(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    SaveScreen(Arg_S(args[0]), Arg_I(args[1]), Arg_I(args[2]), Arg_I(args[3]), Arg_I(args[4]), false);
}
