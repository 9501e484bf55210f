// The first two joysticks, read on demand (0 the first, 1 the second).
#pragma once
#include <cstdint>

constexpr int IO_JOYSTICKS = 2;
constexpr int IO_JOYSTICK_AXES = 6;       // x, y, z, r, u, v
constexpr int IO_JOYSTICK_CENTRED = 65535;  // point of view when the hat rests

struct IO_JoystickInfo {
    char name[128];
    int axes;
    int buttons;
    bool hasPov;
};

bool IO_Joystick_Exists(int joystick);
bool IO_Joystick_GetInfo(int joystick, IO_JoystickInfo* out);
// Axis position 0..65535 (32768 centred).
bool IO_Joystick_Axis(int joystick, int axis, int* position);
// Bit n set while button n + 1 is held (buttons 1..32).
bool IO_Joystick_Buttons(int joystick, uint32_t* bits);
// Point of view in hundredths of a degree clockwise from up, IO_JOYSTICK_CENTRED when centred.
bool IO_Joystick_Pov(int joystick, int* hundredths);
// Closes the opened devices (shut-down, tests).
void IO_Joystick_Close();
