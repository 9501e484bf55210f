// The sound device: one OpenAL context of the runner's own, samples (a buffer with four sources
// of its own, played round-robin), fades advanced once a frame, the master volume, and music,
// which goes to the MCI layer (MCI.h). The older sound system plays everything through it; the
// audio system uses it for music and the music volume.
#pragma once
#include <string>

struct SoundSample;

// Set from "-noaudio" at start-up. Every device operation does nothing while it holds, and also
// while no audio device is open (the game then plays on silently, with its own sound system).
extern bool Sound_NoAudio;

class SoundHardware {
public:
    SoundHardware() = default;
    SoundHardware(const SoundHardware&) = delete;
    SoundHardware& operator=(const SoundHardware&) = delete;

    // Opens the device and the context; without a device writes one warning line. Returns 0.
    int Init();
    // Closes the music, the context and the device.
    void Quit();

    // A sample made from a sound file image (checked by Sound_Wave.h first), or null with a
    // console line when the image is refused or the device cannot take it.
    SoundSample* Load(const void* data, size_t size, int index);
    // Stops the sample's sources and gives its buffer and sources back to the device.
    void Free(SoundSample* sample);
    void Play(SoundSample* sample, bool loop);
    void Stop(SoundSample* sample);
    bool Playing(SoundSample* sample);
    // Fades the sample's own volume to `volume` over `milliseconds` (a frame at least).
    void SetSampleVolume(SoundSample* sample, float volume, int milliseconds);
    // Fades the music volume likewise; with no music, stores the volume at once.
    void SetMusicVolume(float volume, int milliseconds);
    // Taken at the next play and the next fade step.
    void SetMasterVolume(float volume) { m_masterVolume = volume; }
    float GetMasterVolume() const { return m_masterVolume; }

    // Music: a file name relative to the game's folder (or a full path). A MIDI name plays the MP3
    // file of the same stem. Names of 256 bytes or more are refused with a console line.
    void PlayMP3(const char* name, bool loop);
    void PlayMIDI(const char* name, bool loop);
    void StopMusic();
    bool PlayingMP3();
    void PauseMusic();
    void ResumeMusic();
    const std::string& CurrentMusic() const { return m_music; }
    float GetMusicVolume() const { return m_musicVolume; }

    // Once a frame: errors, the fades of every loaded sample, the music fade.
    void Tick();

private:
    void StartMusic(const char* name, bool loop, bool midi);
    float m_masterVolume = 1.0f;
    std::string m_music;  // the current music's name, "" for none
    float m_musicVolume = 1.0f;
    float m_musicFadeStep = 0.0f;
    int m_musicFadeFrames = 0;
};

// The device object, made by Sound_Prepare; null before.
extern SoundHardware* g_SoundHardware;

// Frames a fade of `milliseconds` lasts at the current room's speed (30 without a room): the
// milliseconds a frame take 1000 / speed (a speed below 1 counts as 1), at least one frame.
int Sound_FadeFrames(int milliseconds);
// The running room's speed, which fades count frames by; the room table installs it. False (or no
// hook) when no room runs.
extern bool (*Sound_RoomSpeedHook)(int* speed);
