// Feeds SDL events into the input state, with SDL key codes turned into virtual-key numbers.
#pragma once
#include <SDL2/SDL.h>

// The virtual-key number of an SDL key (the left or right code for modifiers), 0 when it has none.
int IO_SDL_KeyToVirtual(SDL_Keycode key);
// Handles keyboard, text and mouse events (mouse on device 0); returns false for other events.
bool IO_SDL_HandleEvent(const SDL_Event& event);
