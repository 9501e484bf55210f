// Saved games: the running game's state written to a file at once, and a load asked for during a
// frame and carried out at its end (see docs/savefile.md).
#pragma once
#include <cstdint>
#include <string>

constexpr int SAVE_VERSION = 540;

// Writes the game state to the file (a full path); false, with a message, when it cannot.
bool Game_Save(const char* fileName);
// Makes the file (a full path) the pending load: room change code -300, loaded at the frame's end.
void LoadGame_Pending(const char* fileName);
// Carries out the pending load: the file is read into fresh structures and only a whole save of
// this game replaces the running state. A damaged, truncated or foreign file changes nothing and
// gives a non-fatal error; false then.
bool Game_LoadPending();
// Loads a save held in memory the same way, without events: false, with the reason in *why and
// nothing changed, unless the bytes are a whole save of this game.
bool Game_LoadBytes(const unsigned char* bytes, int64_t size, std::string* why);
