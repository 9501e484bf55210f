// The game's window and the message pump. Every setting is stored even while no window exists
// (headless runs), so scripts read back what they set.
#pragma once
#include <cstdint>

struct SDL_Window;
extern SDL_Window* MainWindow;
extern uint8_t WindowVisible;    // 1 from the start, with or without a window; never cleared
extern uint8_t WindowFocus;      // set while the window has the keyboard focus
extern bool VideoFullscreen;     // full screen for video playback
extern bool Window_Quit;         // the player closed the window

// Opens the window with that client size (hidden when asked) and starts SDL video; false with a
// message when there is no display.
bool Window_Create(int width, int height, bool hidden);
void Window_Destroy();
// The game's base display size (the header's window size).
void Window_SetBaseSize(int width, int height);

void Window_SetCaption(const char* text, bool unused = false);
const char* Window_GetCaption();
// Sets the caption to text when it differs from the text of the last call, so that a caption a
// script set stays until then (the run calls it once a frame with the room's caption and the
// shown game state).
void Window_UpdateCaption(const char* text);

void Window_SetColor(uint32_t colour);
uint32_t Window_GetColor();
void Window_SetCursor(int cursor);
int Window_GetCursor();
void Window_SetFullscreen(bool on);
bool Window_GetFullscreen();
void Window_SetPosition(int x, int y);
void Window_SetSize(int w, int h);
void Window_SetRectangle(int x, int y, int w, int h);
void Window_Center();
int Window_GetX();
int Window_GetY();
int Window_GetWidth();
int Window_GetHeight();
int Window_GetBaseWidth();
int Window_GetBaseHeight();
int Window_GetMouseX();
int Window_GetMouseY();
void Window_SetMouse(int x, int y);
// Raised by Window_SetSize and Window_SetFullscreen: the frame applies them before it draws.
extern bool Window_DisplayResetPending;
// Applies a pending size or full-screen change to the window and the device.
void Window_ApplyDisplayReset();

// Handles every waiting window event: input into the input state, focus, the close button. A
// focus loss calls the pause hook (the program installs the OS pause event) unless a window of the
// runner's own took the focus.
void PumpMessages();
extern void (*Window_PauseHook)();
// Called when a window of the runner's own (a message box) closes: the focus loss it caused,
// waiting among the events, is handled by the next PumpMessages without a pause event.
void Window_FocusTakenByOwnWindow();
