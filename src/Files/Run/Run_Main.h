// The game's run: start, the frame loop with the order of one step, room changes and the end.
#pragma once
#include <cstdint>

extern bool Run_Running;     // the main loop runs while this holds
extern int Run_FPS;          // frames counted in the last second
extern int64_t Run_Frames;   // frames run since the game started
extern bool Run_NoWait;      // frames follow each other without waiting (tests)
extern bool Run_AutoDraw;    // automatic drawing

// Game state.
extern int score, lives;
extern double health;
extern bool show_score, show_lives, show_health;
extern char* caption_score;
extern char* caption_lives;
extern char* caption_health;
extern int cursor_sprite;
extern int async_load;
// Set lives and health: losing the last life (from 1 or more to below 1) or the last health (from
// above 0 to 0 or less) raises the matching other event once, for every instance that has it.
void Run_SetLives(int value);
void Run_SetHealth(double value);
// Replaces a caption text (caption_score...) with a copy.
void Run_SetCaptionText(char** slot, const char* text);

// The number of images of a sprite (0 for none); the sprite table installs it. Without it images
// advance but no animation ends.
extern int (*Run_SpriteImageCount)(int sprite);
// The platform services' work at the start of each step; the program installs it.
extern void (*Run_PerFrameHook)();

// Puts the room's caption and the game state that is shown (score, lives, health) in the
// window's caption when they changed (before a room's first events and after each frame).
void Run_UpdateCaption();

struct EffectRoom;
// What the particle effects scale by: the running room's size and speed and the frame rate; false
// when no room runs.
bool Run_EffectRoom(EffectRoom* out);

// Prepares what the loaded file holds (compiles scripts, time lines, objects and rooms); false
// (LastErrorText set) when code fails to compile.
bool Run_Prepare();
// Sets the run flag, builds the object lists and starts the first room with the game start event.
bool Run_StartGame();
// One frame: the wait, one step, then the pending room change.
void Run_Frame();
// One step, in the order of its passes.
void Run_Step();
// The asynchronous pass: polls the request worker and delivers every complete request, oldest
// first: async_load is set to the map its process function made, the asynchronous other event it
// names is raised, then the map is destroyed and the request freed (Run_Async.cpp).
void Run_AsyncPass();
// Carries out a pending room change (room end, room start, restart or end of the game).
void Run_DoRoomChange();
// Frees every instance and room of the run.
void Run_EndGame();
