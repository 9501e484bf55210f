// Display modes of the primary screen through SDL, antialias and vsync, the system mouse.
#include "Graphics_API/GR_Display.h"
#include "Graphics_API/GR_Device.h"

#include <SDL.h>

bool GR_Display_Reset_Pending = false;
static int g_samples = 0;
static bool g_vsync = false;

static bool CurrentMode(SDL_DisplayMode* mode)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    return SDL_GetDesktopDisplayMode(0, mode) == 0;
}

int GR_Display_Get_Width()
{
    SDL_DisplayMode mode;
    return CurrentMode(&mode) ? mode.w : -1;
}

int GR_Display_Get_Height()
{
    SDL_DisplayMode mode;
    return CurrentMode(&mode) ? mode.h : -1;
}

int GR_Display_Get_ColorDepth()
{
    SDL_DisplayMode mode;
    return CurrentMode(&mode) ? (int)SDL_BITSPERPIXEL(mode.format) : -1;
}

int GR_Display_Get_Frequency()
{
    SDL_DisplayMode mode;
    return CurrentMode(&mode) && mode.refresh_rate > 0 ? mode.refresh_rate : -1;
}

// The mode asked for when it is offered exactly; false otherwise.
static bool FindMode(int w, int h, int hz, int bpp, SDL_DisplayMode* found)
{
    SDL_DisplayMode want;
    if (!CurrentMode(&want)) return false;
    if (w > 0) want.w = w;
    if (h > 0) want.h = h;
    if (hz > 0) want.refresh_rate = hz;
    int modes = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < modes; i++) {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(0, i, &m) != 0) continue;
        if (m.w != want.w || m.h != want.h) continue;
        if (hz > 0 && m.refresh_rate != hz) continue;
        if (bpp > 0 && (int)SDL_BITSPERPIXEL(m.format) != bpp && !(bpp == 32 && SDL_BITSPERPIXEL(m.format) == 24)) continue;
        *found = m;
        return true;
    }
    return false;
}

bool GR_Display_Test_All(int w, int h, int hz, int bpp)
{
    SDL_DisplayMode mode;
    return FindMode(w, h, hz, bpp, &mode);
}

// A mode change reaches the screen only through a full-screen window, which then stops sharing
// the desktop's mode. The device is not reset here: the caller asks for that.
bool GR_Display_Set_All(int w, int h, int hz, int bpp)
{
    SDL_DisplayMode mode;
    if (!FindMode(w, h, hz, bpp, &mode)) return false;
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    if (!window || !(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN)) return false;
    if (SDL_SetWindowDisplayMode(window, &mode) != 0) return false;
    return SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) == 0;
}

bool GR_Display_Set_Size(int w, int h) { return GR_Display_Set_All(w, h, 0, 0); }
bool GR_Display_Set_ColorDepth(int bpp) { return GR_Display_Set_All(0, 0, 0, bpp); }
bool GR_Display_Set_Frequency(int hz) { return GR_Display_Set_All(0, 0, hz, 0); }

void GR_Display_Set_Antialias(int samples)
{
    g_samples = samples == 2 || samples == 4 || samples == 8 || samples == 16 ? samples : 0;
    GR_Display_Reset_Pending = true;
}

int GR_Display_Get_Antialias() { return g_samples; }

void GR_Display_Set_VSync(bool on)
{
    g_vsync = on;
    GR_Display_Reset_Pending = true;
}

bool GR_Display_Get_VSync() { return g_vsync; }

int GR_Display_Mouse_Get_X()
{
    int x = 0, y = 0;
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return 0;
    SDL_GetGlobalMouseState(&x, &y);
    return x;
}

int GR_Display_Mouse_Get_Y()
{
    int x = 0, y = 0;
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return 0;
    SDL_GetGlobalMouseState(&x, &y);
    return y;
}

void GR_Display_Mouse_Set(int x, int y)
{
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    if (window && (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS)) SDL_WarpMouseGlobal(x, y);
}

void GR_Display_Leave_Fullscreen()
{
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    if (!window || !(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN)) return;
    SDL_SetWindowFullscreen(window, 0);
    GR_D3D_Reset_Device();
}
