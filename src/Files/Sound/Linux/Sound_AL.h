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
// Writes pending OpenAL and ALUT errors to the console ("AL Error : ...", "ALUT Error : ...").
void Sound_ReportErrors();
// An OpenAL buffer of a sound file image that the WAV reader accepts, or 0 after a console line
// naming `what` and the reason.
ALuint Sound_BufferFromImage(const void* data, size_t size, const std::string& what);
