// The high-resolution timer and the frame wait.
#pragma once
#include <cstdint>

// Microseconds since the timer started (the first call), from the monotonic clock.
int64_t Timer_GetMicroseconds();

// Waits `microseconds` (at most 3,000,000; a negative time returns at once). From 2000 on it first
// sleeps (us - 1000) / 1000 milliseconds, then pumps window messages until the time is reached.
// A stop signal (Base/Stop.h) ends the wait early.
void Timer_Sleep(int64_t microseconds);

// Called while Timer_Sleep waits out its last stretch; the program shell installs its message pump.
extern void (*Timer_PumpHook)();
