// Num Lock: read and set through the X keyboard extension when the window is on an X display, so
// that the whole system sees the change; elsewhere (Wayland, no window) the runner keeps the state
// the game set until the player presses Num Lock.
#include "IO/IO.h"
#include "IO/Linux/IO_SDL.h"
#include "IO/Window.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/XKBlib.h>
#include <X11/keysym.h>

namespace {

int Wished = -1;  // -1: none

// The X display of the game's window with its keyboard extension, and the modifier of Num Lock.
Display* XkbDisplay(unsigned* mask)
{
    if (!MainWindow) return nullptr;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(MainWindow, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
    Display* display = info.info.x11.display;
    int opcode, event, error, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!display || !XkbQueryExtension(display, &opcode, &event, &error, &major, &minor)) return nullptr;
    *mask = XkbKeysymToModifiers(display, XK_Num_Lock);
    return *mask ? display : nullptr;
}

}  // namespace

bool IO_NumLock_Get()
{
    unsigned mask;
    XkbStateRec state;
    if (Display* display = XkbDisplay(&mask); display && XkbGetState(display, XkbUseCoreKbd, &state) == Success)
        return (state.locked_mods & mask) != 0;
    if (Wished >= 0) return Wished;
    return (SDL_GetModState() & KMOD_NUM) != 0;
}

void IO_NumLock_Set(bool on)
{
    unsigned mask;
    if (Display* display = XkbDisplay(&mask); display && XkbLockModifiers(display, XkbUseCoreKbd, mask, on ? mask : 0)) {
        XSync(display, False);
        return;
    }
    Wished = on;
    SDL_SetModState((SDL_Keymod)(on ? SDL_GetModState() | KMOD_NUM : SDL_GetModState() & ~KMOD_NUM));
}

void IO_SDL_NumLockPressed() { Wished = -1; }
