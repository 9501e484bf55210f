// The game options of the options chunk.
#pragma once
#include <cstdint>

// Option flags (the first word of the options chunk).
constexpr uint32_t OPTION_FULLSCREEN = 1;
constexpr uint32_t OPTION_INTERPOLATE = 2;
constexpr uint32_t OPTION_SHOW_CURSOR = 4;
constexpr uint32_t OPTION_FREEZE_INACTIVE = 8;
constexpr uint32_t OPTION_CREATE_EVENT_FIRST = 16;  // create event before an instance's creation code
constexpr uint32_t OPTION_UNSET_READS_ZERO = 32;    // a variable never set reads as 0, not an error

extern uint32_t Option_Flags;
extern uint8_t Option_ShowCursor;  // default 1
extern bool Option_NewAudio;       // the third word of the options chunk is non-zero
void Option_Reset();
