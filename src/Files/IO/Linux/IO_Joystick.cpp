// Joysticks through SDL: devices are opened on first use and reopened after being unplugged.
#include "IO/IO_Joystick.h"

#include <SDL2/SDL.h>
#include <cstdio>

namespace {

SDL_Joystick* opened[IO_JOYSTICKS];

SDL_Joystick* Open(int joystick)
{
    if (joystick < 0 || joystick >= IO_JOYSTICKS) return nullptr;
    if (!SDL_WasInit(SDL_INIT_JOYSTICK) && SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return nullptr;
    SDL_JoystickUpdate();
    SDL_Joystick*& j = opened[joystick];
    if (j && !SDL_JoystickGetAttached(j)) {
        SDL_JoystickClose(j);
        j = nullptr;
    }
    if (!j && joystick < SDL_NumJoysticks()) j = SDL_JoystickOpen(joystick);
    return j;
}

// SDL hat positions as hundredths of a degree.
int HatToPov(Uint8 hat)
{
    switch (hat) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return IO_JOYSTICK_CENTRED;
    }
}

}  // namespace

bool IO_Joystick_Exists(int joystick) { return Open(joystick) != nullptr; }

bool IO_Joystick_GetInfo(int joystick, IO_JoystickInfo* out)
{
    SDL_Joystick* j = Open(joystick);
    if (!j) return false;
    const char* name = SDL_JoystickName(j);
    snprintf(out->name, sizeof out->name, "%s", name ? name : "");
    out->axes = SDL_JoystickNumAxes(j);
    out->buttons = SDL_JoystickNumButtons(j);
    out->hasPov = SDL_JoystickNumHats(j) > 0;
    return true;
}

bool IO_Joystick_Axis(int joystick, int axis, int* position)
{
    SDL_Joystick* j = Open(joystick);
    if (!j || axis < 0 || axis >= IO_JOYSTICK_AXES) return false;
    // An axis the device lacks rests in the centre, as the system reports it.
    *position = 32768 + (axis < SDL_JoystickNumAxes(j) ? SDL_JoystickGetAxis(j, axis) : 0);
    return true;
}

bool IO_Joystick_Buttons(int joystick, uint32_t* bits)
{
    SDL_Joystick* j = Open(joystick);
    if (!j) return false;
    int count = SDL_JoystickNumButtons(j);
    *bits = 0;
    for (int b = 0; b < count && b < 32; b++)
        if (SDL_JoystickGetButton(j, b)) *bits |= 1u << b;
    return true;
}

bool IO_Joystick_Pov(int joystick, int* hundredths)
{
    SDL_Joystick* j = Open(joystick);
    if (!j) return false;
    *hundredths = SDL_JoystickNumHats(j) > 0 ? HatToPov(SDL_JoystickGetHat(j, 0)) : IO_JOYSTICK_CENTRED;
    return true;
}

void IO_Joystick_Close()
{
    for (SDL_Joystick*& j : opened) {
        if (j) SDL_JoystickClose(j);
        j = nullptr;
    }
}
