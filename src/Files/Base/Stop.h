// Stop signals: SIGTERM, SIGINT and SIGHUP (and SIGQUIT while the game has a window) ask the
// runner to stop. The handler only notes the signal; the main loop then ends the game as the end
// of the game does but without its events (no room end, no game end), the shut-down writes the
// game's open files and caches, and the runner ends by the same signal. Every wait of the runner
// looks at the note at least every 100 ms and returns early. A second signal of the same kind ends
// the runner at once (its default action), for code that never returns to the loop.
#pragma once
#include <csignal>

// The signal that asked the runner to stop; 0 while none has.
extern volatile sig_atomic_t Stop_Signal;
inline bool Stop_Requested() { return Stop_Signal != 0; }

// Installs the handler for SIGTERM, SIGINT and SIGHUP, with window SIGQUIT too (without a window
// SIGQUIT keeps its core dump, a developer's tool at a terminal). A signal that was ignored when
// the runner started (nohup, a background job) stays ignored.
void Stop_Install(bool window);
// After the shut-down: ends the runner by the signal that asked it to stop, if one did.
void Stop_Finish();
