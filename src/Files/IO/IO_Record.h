// Recording and playback of input ("-record FILE", "-playback FILE"); the format is in
// docs/recording.md. The frame loop calls IO_Record_Step or IO_Playback_Step once a step, right
// after IO_Start_Step, with the values a deterministic replay needs besides the input.
#pragma once
#include <cstdint>

enum { IO_REPLAY_SEED, IO_REPLAY_TIME, IO_REPLAY_JOYSTICK, IO_REPLAY_SLOTS = 8 };

struct IO_ReplayValues {
    int64_t value[IO_REPLAY_SLOTS];
};

// Both return false with a message on the warnings console when the file cannot be used. The
// start time is the game clock's at the game's start (Clock_StartTime).
bool IO_Record_Start(const char* path, uint32_t gameId, int64_t startTime);
void IO_Record_Step(const IO_ReplayValues& values);
void IO_Record_Stop();
bool IO_Recording();

// Reads and checks the whole recording at once: a damaged file or one of another game is refused.
bool IO_Playback_Start(const char* path, uint32_t gameId);
// Replaces the step's input state and the values; false once the recording has ended (live
// input then resumes).
bool IO_Playback_Step(IO_ReplayValues* values);
void IO_Playback_Stop();
bool IO_PlaybackActive();
// Whether the recording being played holds the game's clock (those of version 1 do not), and the
// recorded game's start time; its steps then carry their time in IO_REPLAY_TIME.
bool IO_Playback_StartTime(int64_t* time);
