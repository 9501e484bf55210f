// The game's window on SDL: caption, colour, cursor, size, position, full screen, the mouse, and
// the message pump.
#include "IO/Window.h"

#include "Base/Console.h"
#include "Graphics_API/GR_Device.h"
#include "IO/IO.h"
#include "IO/Linux/IO_SDL.h"

#include <SDL2/SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>

SDL_Window* MainWindow = nullptr;
uint8_t WindowVisible = 1;
uint8_t WindowFocus = 0;
bool VideoFullscreen = false;
bool Window_Quit = false;
bool Window_DisplayResetPending = false;
void (*Window_PauseHook)() = nullptr;

namespace {
std::string Caption;
std::string ShownState;  // the room caption and game state last put in the caption
uint32_t Colour = 0xFF000000;
int Cursor = 0;
SDL_Cursor* SystemCursor = nullptr;
bool Fullscreen = false;
int BaseW = 640, BaseH = 480;
int WantW = 640, WantH = 480;
int PosX = 0, PosY = 0;
// A message box of the runner had the focus: the focus loss it caused is no pause of the game.
bool FocusTakenByOwnWindow = false;

// The system cursor of a cursor constant (-22..0), or -1 for none of SDL's.
int CursorKind(int cursor)
{
    static const int Kinds[23] = {
        SDL_SYSTEM_CURSOR_ARROW,     SDL_SYSTEM_CURSOR_ARROW,    SDL_SYSTEM_CURSOR_ARROW,    SDL_SYSTEM_CURSOR_CROSSHAIR,
        SDL_SYSTEM_CURSOR_IBEAM,     SDL_SYSTEM_CURSOR_ARROW,    SDL_SYSTEM_CURSOR_SIZENESW, SDL_SYSTEM_CURSOR_SIZENS,
        SDL_SYSTEM_CURSOR_SIZENWSE,  SDL_SYSTEM_CURSOR_SIZEWE,   SDL_SYSTEM_CURSOR_ARROW,    SDL_SYSTEM_CURSOR_WAIT,
        SDL_SYSTEM_CURSOR_HAND,      SDL_SYSTEM_CURSOR_NO,       SDL_SYSTEM_CURSOR_SIZEWE,   SDL_SYSTEM_CURSOR_SIZENS,
        SDL_SYSTEM_CURSOR_HAND,      SDL_SYSTEM_CURSOR_WAITARROW, SDL_SYSTEM_CURSOR_NO,      SDL_SYSTEM_CURSOR_WAITARROW,
        SDL_SYSTEM_CURSOR_ARROW,     SDL_SYSTEM_CURSOR_HAND,     SDL_SYSTEM_CURSOR_SIZEALL};
    return Kinds[-cursor];
}

void ApplyCursor()
{
    if (!MainWindow) return;
    if (Cursor == -1) {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    SDL_Cursor* next = SDL_CreateSystemCursor((SDL_SystemCursor)CursorKind(Cursor));
    if (!next) return;
    SDL_SetCursor(next);
    if (SystemCursor) SDL_FreeCursor(SystemCursor);
    SystemCursor = next;
    SDL_ShowCursor(SDL_ENABLE);
}

bool EnvSet(const char* name)
{
    const char* value = getenv(name);
    return value && *value;
}
}

bool Window_Create(int width, int height, bool hidden)
{
    if (MainWindow) return true;
    // Without an X or Wayland display SDL would choose a driver whose windows nobody sees; a
    // driver asked for by name is its user's choice.
    if (!EnvSet("SDL_VIDEODRIVER") && !EnvSet("DISPLAY") && !EnvSet("WAYLAND_DISPLAY")) {
        Console_Warnings->Output("Window: no display (neither DISPLAY nor WAYLAND_DISPLAY is set)\n");
        return false;
    }
    // A display that cannot be reached (a stale DISPLAY) leaves SDL such a driver as well. A busy
    // server can refuse a connection for a moment: a few tries, 50 ms apart, tell the two apart.
    for (int attempt = 1;; attempt++) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            Console_Warnings->Output("Window: no display (%s)\n", SDL_GetError());
            return false;
        }
        const char* driver = SDL_GetCurrentVideoDriver();
        if (EnvSet("SDL_VIDEODRIVER") || !driver || (strcmp(driver, "offscreen") && strcmp(driver, "dummy"))) break;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        if (attempt == 3) {
            Console_Warnings->Output("Window: no display (the display named by DISPLAY or WAYLAND_DISPLAY cannot be opened)\n");
            return false;
        }
        SDL_Delay(50);
    }
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
        Console_Warnings->Output("Window: the size %d x %d is not usable; 640 x 480 is used\n", width, height);
        width = 640, height = 480;
    }
    WantW = width, WantH = height;
    Uint32 flags = SDL_WINDOW_OPENGL | (hidden ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN);
    if (Fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    GR_Window_Prepare();
    MainWindow = SDL_CreateWindow(Caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
    if (!MainWindow) {
        Console_Warnings->Output("Window: the window could not be made (%s)\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    WindowFocus = hidden ? 0 : 1;
    Window_Quit = false;
    SDL_GetWindowPosition(MainWindow, &PosX, &PosY);
    ApplyCursor();
    return true;
}

void Window_Destroy()
{
    if (SystemCursor) SDL_FreeCursor(SystemCursor);
    SystemCursor = nullptr;
    if (MainWindow) {
        SDL_DestroyWindow(MainWindow);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    MainWindow = nullptr;
    WindowFocus = 0;
    Caption.clear();
    ShownState.clear();
    Colour = 0xFF000000;
    Cursor = 0;
    Fullscreen = false;
    Window_DisplayResetPending = false;
}

void Window_SetBaseSize(int width, int height)
{
    BaseW = width, BaseH = height;
    WantW = width, WantH = height;
}

void Window_SetCaption(const char* text, bool)
{
    Caption = text ? text : "";
    if (MainWindow) SDL_SetWindowTitle(MainWindow, Caption.c_str());
}

const char* Window_GetCaption()
{
    return Caption.c_str();
}

void Window_UpdateCaption(const char* text)
{
    // A caption that a script set stays until the room caption or the shown state changes.
    if (!text || text == ShownState) return;
    ShownState = text;
    Window_SetCaption(text);
}

void Window_SetColor(uint32_t colour)
{
    Colour = colour | 0xFF000000u;
}

uint32_t Window_GetColor()
{
    return Colour & 0xFFFFFF;
}

void Window_SetCursor(int cursor)
{
    if (cursor < -22 || cursor > 0) return;
    Cursor = cursor;
    ApplyCursor();
}

int Window_GetCursor()
{
    return Cursor;
}

void Window_SetFullscreen(bool on)
{
    Fullscreen = on;
    Window_DisplayResetPending = true;
}

bool Window_GetFullscreen()
{
    return Fullscreen;
}

void Window_SetPosition(int x, int y)
{
    PosX = x, PosY = y;
    if (MainWindow) SDL_SetWindowPosition(MainWindow, x, y);
}

void Window_SetSize(int w, int h)
{
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384) return;
    WantW = w, WantH = h;
    Window_DisplayResetPending = true;
}

void Window_SetRectangle(int x, int y, int w, int h)
{
    Window_SetPosition(x, y);
    Window_SetSize(w, h);
}

void Window_Center()
{
    if (MainWindow) {
        SDL_SetWindowPosition(MainWindow, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        SDL_GetWindowPosition(MainWindow, &PosX, &PosY);
    }
}

int Window_GetX()
{
    if (MainWindow) SDL_GetWindowPosition(MainWindow, &PosX, &PosY);
    return PosX;
}

int Window_GetY()
{
    if (MainWindow) SDL_GetWindowPosition(MainWindow, &PosX, &PosY);
    return PosY;
}

int Window_GetWidth()
{
    if (!MainWindow) return WantW;
    int w = 0, h = 0;
    SDL_GetWindowSize(MainWindow, &w, &h);
    return w;
}

int Window_GetHeight()
{
    if (!MainWindow) return WantH;
    int w = 0, h = 0;
    SDL_GetWindowSize(MainWindow, &w, &h);
    return h;
}

int Window_GetBaseWidth()
{
    return BaseW;
}

int Window_GetBaseHeight()
{
    return BaseH;
}

int Window_GetMouseX()
{
    return RawMouse.x[0];
}

int Window_GetMouseY()
{
    return RawMouse.y[0];
}

void Window_SetMouse(int x, int y)
{
    if (MainWindow && WindowFocus) SDL_WarpMouseInWindow(MainWindow, x, y);
}

void Window_ApplyDisplayReset()
{
    if (!Window_DisplayResetPending) return;
    Window_DisplayResetPending = false;
    if (!MainWindow) return;
    SDL_SetWindowFullscreen(MainWindow, Fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (!Fullscreen) SDL_SetWindowSize(MainWindow, WantW, WantH);
    if (GR_D3D_HasDevice()) GR_D3D_Reset_Device();
}

void Window_FocusTakenByOwnWindow()
{
    SDL_PumpEvents();
    FocusTakenByOwnWindow = true;
}

void PumpMessages()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            Window_Quit = true;
            continue;
        }
        if (event.type == SDL_WINDOWEVENT) {
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) WindowFocus = 1;
            else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                WindowFocus = 0;
                if (!FocusTakenByOwnWindow && Window_PauseHook) Window_PauseHook();
            }
            else if (event.window.event == SDL_WINDOWEVENT_CLOSE) Window_Quit = true;
            continue;
        }
        IO_SDL_HandleEvent(event);
    }
    FocusTakenByOwnWindow = false;
}
