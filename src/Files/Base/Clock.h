// The game's clock: the one time that get_timer, current_time, randomize and the date built-ins
// read. It counts from the game's start with the system's time at that start. A recording holds
// what the clock said at each step, and there the clock stands still through the step, so that a
// replay reads exactly what the recorded game read (docs/recording.md).
#pragma once
#include <cstdint>

// The game starts: the clock takes the system's time and runs from it.
void Clock_Start();
// The game's time in microseconds since 1970-01-01 00:00 UTC.
int64_t Clock_Now();
// Microseconds since the game's start (get_timer).
int64_t Clock_SinceStart();
// When the game started, in the units of Clock_Now.
int64_t Clock_StartTime();

// Stands the clock still at the time it reads now and returns that time (a recorded step).
int64_t Clock_Hold();
// Stands the clock still at a recorded time (a replayed step); with start, also the recorded
// game's start.
void Clock_HoldAt(int64_t time);
void Clock_HoldFromStart(int64_t start);
// Lets a standing clock run on from where it stands.
void Clock_Run();

// Whether the clock can stand at the time: one of the years 0 to 9999 (UTC). Within them the
// clock's sums never overflow, and every date built-in reads the time.
bool Clock_Holds(int64_t time);
