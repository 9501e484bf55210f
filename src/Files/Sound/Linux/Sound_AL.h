// What the OpenAL half of the sound module shares inside itself.
#pragma once
#include <AL/al.h>
#include <AL/alc.h>
#include <cstddef>
#include <string>

// The device that the sound device opened, or null (no-audio, or before Init).
ALCdevice* Sound_ALDevice();
// Sets a source's gain; a negative or NaN gain is silence.
void Sound_SetSourceGain(ALuint source, float gain);
// Writes a device error line once a run: a failure that repeats for every sound (sources run out,
// say) is one line, not thousands.
__attribute__((format(printf, 1, 2))) void Sound_ReportOnce(const char* format, ...);
// Writes pending OpenAL and ALUT errors to the console ("AL Error : ...", "ALUT Error : ..."),
// each line once a run.
void Sound_ReportErrors();
// An OpenAL buffer of a sound file image that the image reader accepts, or 0 after the console
// line "ALUT error on load CODE(CODE) : reason" (once a run for each such line).
ALuint Sound_BufferFromImage(const void* data, size_t size);
