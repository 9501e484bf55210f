// The audio system: the game's sounds as OpenAL buffers, voices with ids and priorities on a
// pool of sources, one listener, emitters with falloff, the master gain, and music through the
// sound device. Exactly one of it and the older sound system (Sound_Main.h) is live in a run.
//
// Where an operation takes a sound index or a voice id, a value below AUDIO_VOICE_BASE is a sound
// index (every voice of that sound) and a value of AUDIO_VOICE_BASE or more is one voice's id.
#pragma once
#include <cstddef>
#include <cstdint>

struct GameFileReader;
class SoundHardware;

constexpr int AUDIO_VOICE_BASE = 200000;
constexpr int AUDIO_CHANNELS_DEFAULT = 128;

// Whether the new audio system is live (the game's option; cleared by Audio_Init under
// "-noaudio"). Without an audio device it stays live: it plays nothing, and answers so.
bool Audio_IsNewSystem();

// Loading: the SOND payload (false when a record or its name lies outside the file) and the AUDO
// payload (false when its list does); an entry that a sound names but that is missing or runs
// past the file leaves the sound without data, with a warning.
bool Audio_Load(GameFileReader payload);
bool Audio_WAVs(GameFileReader payload);
// Makes the buffers of the sounds that are not streamed (after Audio_Init).
void Audio_Prepare();
// Frees voices, sources, buffers and emitters, and empties the sound table.
void Audio_Clear();

void Audio_Init(SoundHardware* device);
// Once a frame: the listener and the emitters' voices.
void Audio_Update();

int Audio_PlaySound(int sound, double priority, bool loop);
int Audio_PlaySoundAt(int sound, float x, float y, float z, float reference, float maximum, float factor, bool loop, double priority);
int Audio_PlaySoundOn(int emitter, int sound, bool loop, double priority);

void Audio_StopSound(int soundOrVoice);
void Audio_PauseSound(int soundOrVoice);
void Audio_ResumeSound(int soundOrVoice);
bool Audio_IsPlaying(int soundOrVoice);
void Audio_StopAll();
void Audio_PauseAll();
void Audio_ResumeAll();
// Seconds, or -1.
float Audio_GetSoundLength(int soundOrVoice);
bool Audio_Exists(int sound);
// 1 streamed, 0 not, -1 no such sound.
int Audio_GetType(int sound);
int Audio_Count();
// The sound's name from the game data file, or "<undefined>".
const char* Audio_GetName(int sound);

void Audio_SetListenerPosition(float x, float y, float z);
void Audio_SetListenerVelocity(float x, float y, float z);
void Audio_SetListenerOrientation(float atX, float atY, float atZ, float upX, float upY, float upZ);

int Audio_CreateEmitter();
void Audio_FreeEmitter(int emitter);
bool Audio_EmitterExists(int emitter);
void Audio_SetEmitterPosition(int emitter, float x, float y, float z);
void Audio_SetEmitterVelocity(int emitter, float x, float y, float z);
void Audio_SetEmitterGain(int emitter, float gain);
void Audio_SetEmitterPitch(int emitter, float pitch);
void Audio_SetEmitterFalloff(int emitter, float reference, float maximum, float factor);

void Audio_SetFalloffModel(int model);
void Audio_SetMasterGain(float gain);
// The pool becomes `count` sources (at least 0; as many as the device gives, with a message when
// it runs out); voices that sound keep theirs, the highest priorities first.
void Audio_SetChannelNum(int count);

void Audio_PlayMusic(int sound, bool loop);
void Audio_StopMusic();
void Audio_PauseMusic();
void Audio_ResumeMusic();
