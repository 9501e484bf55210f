// Joystick queries against an SDL virtual joystick.
#include "IO/IO_Joystick.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

namespace {

TEST(Joystick, VirtualDeviceIsRead)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    if (SDL_NumJoysticks() > 0) GTEST_SKIP() << "a real joystick is attached";
    EXPECT_FALSE(IO_Joystick_Exists(0));
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 5, 1);
    ASSERT_EQ(index, 0) << SDL_GetError();
    SDL_Joystick* device = SDL_JoystickOpen(index);
    ASSERT_NE(device, nullptr);

    EXPECT_TRUE(IO_Joystick_Exists(0));
    EXPECT_FALSE(IO_Joystick_Exists(1));
    EXPECT_FALSE(IO_Joystick_Exists(-1));
    IO_JoystickInfo info;
    ASSERT_TRUE(IO_Joystick_GetInfo(0, &info));
    EXPECT_EQ(info.axes, 6);
    EXPECT_EQ(info.buttons, 5);
    EXPECT_TRUE(info.hasPov);

    SDL_JoystickSetVirtualAxis(device, 0, -32768);
    SDL_JoystickSetVirtualAxis(device, 1, 32767);
    SDL_JoystickSetVirtualButton(device, 2, 1);
    SDL_JoystickSetVirtualButton(device, 4, 1);
    SDL_JoystickSetVirtualHat(device, 0, SDL_HAT_RIGHTDOWN);
    int position = -1;
    ASSERT_TRUE(IO_Joystick_Axis(0, 0, &position));
    EXPECT_EQ(position, 0);
    ASSERT_TRUE(IO_Joystick_Axis(0, 1, &position));
    EXPECT_EQ(position, 65535);
    EXPECT_FALSE(IO_Joystick_Axis(0, 6, &position));
    uint32_t bits = 0;
    ASSERT_TRUE(IO_Joystick_Buttons(0, &bits));
    EXPECT_EQ(bits, (1u << 2) | (1u << 4));
    int pov = -1;
    ASSERT_TRUE(IO_Joystick_Pov(0, &pov));
    EXPECT_EQ(pov, 13500);
    SDL_JoystickSetVirtualHat(device, 0, SDL_HAT_CENTERED);
    ASSERT_TRUE(IO_Joystick_Pov(0, &pov));
    EXPECT_EQ(pov, IO_JOYSTICK_CENTRED);

    SDL_JoystickClose(device);
    SDL_JoystickDetachVirtual(index);
    EXPECT_FALSE(IO_Joystick_Exists(0)) << "an unplugged device is gone";
    EXPECT_FALSE(IO_Joystick_Buttons(0, &bits));
    IO_Joystick_Close();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

}  // namespace
