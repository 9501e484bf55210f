// Feeds SDL events into the input state, with SDL key codes turned into virtual-key numbers.
#pragma once
#include <SDL2/SDL.h>

// The virtual-key number of an SDL key (the left or right code for modifiers), 0 when it has none.
int IO_SDL_KeyToVirtual(SDL_Keycode key);
// The SDL key of a virtual-key number (the left key for the generic 16/17/18), SDLK_UNKNOWN when
// there is none; for synthesised key events.
SDL_Keycode IO_SDL_VirtualToKey(int vk);
// The player pressed Num Lock: the state the game set no longer counts (IO_NumLock.cpp).
void IO_SDL_NumLockPressed();
// Handles keyboard, text and mouse events (mouse on device 0); returns false for other events.
bool IO_SDL_HandleEvent(const SDL_Event& event);
