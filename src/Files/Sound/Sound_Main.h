// The older sound system: the sound table (CSound resources and their names), the device sound
// table of loaded samples, and playback through the sound device. Also what both systems share:
// the SOND records, the AUDO entries, the current music and the frame's audio tick.
#pragma once
#include "Sound/Sound_Class.h"

#include <string>
#include <vector>

struct GameFileReader;
struct SoundSample;

// One SOND record. Strings point into the game data file.
struct SoundRecord {
    bool present = false;  // false for an empty slot
    const char* name = nullptr;
    int kind = -1;
    const char* extension = nullptr;
    const char* fileName = nullptr;
    int effects = 0;
    float volume = 1.0f;
    float pan = 0.0f;
    bool preload = true;
    int audioIndex = -1;
};
// Reads the SOND payload (u32 count, then record offsets, 0 for an empty slot); false when the
// list, a record or a name lies outside the file or a record has no name.
bool Sound_ReadRecords(GameFileReader payload, std::vector<SoundRecord>* out);
// Keeps the AUDO payload's list of entries; false when the list lies outside the file.
bool Sound_ReadAudo(GameFileReader payload);
// The bytes of AUDO entry `index` for the sound named `name` (null until the AUDO chunk is read).
// An index outside the list, an empty entry or one running past the file gives null with a
// warning; -1 gives null silently, and so does any index for a streamed sound.
const uint8_t* Sound_AudoEntry(int index, const char* name, bool streamed, size_t* length);

// The name of the music last started through either system ("" for none).
extern std::string Sound_CurrentMusic;
// A name ending in .mp3 (or .mid and .midi, which play their MP3 twin) becomes the current music
// and plays; false, with nothing done, for any other name.
bool Sound_PlayMusic(const char* fileName, bool loop);
// Whether a name is one Sound_PlayMusic plays from its file.
bool Sound_IsMusicFile(const char* fileName);

// Loading (the chunk dispatcher): SOND and AUDO when the new audio system is off.
bool Sound_Init(GameFileReader payload);
bool Wave_Init(GameFileReader payload);
// Preparing the game: the device (with the audio system) first, then preloaded sounds.
void Sound_Prepare();
void Sound_PrepareAll();
// Every frame: the device's fades, then the audio system.
void Sound_Tick();
// Shut-down: the sound table, then the device.
void Sound_Free();
void Sound_Quit();
// Sets the no-audio flag from the switches (the start-up list).
void Sound_StartUp(bool noAudio);

// The sound table. Sounds added while the game runs are named "__newsound" and their index.
void Sound_Clear();
int Sound_Count();
bool Sound_Exists(int index);
CSound* Sound_GetSound(int index);  // null out of range or for an empty slot
// "<undefined>" for a missing sound.
const char* Sound_GetName(int index);
int Sound_Find(const char* name);
// The new index, or -1 when the file cannot be read (the new slot stays, with an empty sound).
int Sound_AddFromFile(const char* fileName, int kind, bool preload);
// False, with the old sound kept, when the index is out of range or the file cannot be read.
bool Sound_Replace(int index, const char* fileName, int kind, bool preload);
bool Sound_Delete(int index);

// The device sound table: entry index for a sound's sample (from game data bytes, or from a
// stream's), or a music entry without a sample for kind 3.
int Sound_AddHardwareSound(const uint8_t* data, size_t size, int kind);
void Sound_FreeHardwareSound(int id);
void Sound_Play(const char* fileName, int id, bool loop);
void Sound_Stop(const char* fileName, int id);
bool Sound_IsPlaying(const char* fileName, int id);
void Sound_StopAll();
void Sound_SetVolume(int id, double volume, int milliseconds);
