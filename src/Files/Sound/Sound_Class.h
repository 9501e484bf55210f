// One sound resource of the older sound system: from the game data file, from a sound file added
// while the game runs, or from a saved stream. Its samples live in the device sound table
// (Sound_Main.h), which it enters when it is prepared.
#pragma once
#include <cstddef>
#include <cstdint>

class CStream;
struct SoundRecord;

// Kinds: 0 and 2 ordinary samples; 1 and 3 music (their volume changes go to the music); a sound
// of kind 3 never gets a sample, nor does one of kind 1 from the game data file.
class CSound {
public:
    CSound() = default;
    ~CSound();
    CSound(const CSound&) = delete;
    CSound& operator=(const CSound&) = delete;

    void Clear();
    bool LoadFromChunk(const SoundRecord& record);
    // Versions 600 (zlib-compressed data) and 800 (plain data); false, with the sound cleared, for
    // another version or a stream that ends early.
    bool LoadFromStream(CStream* stream);
    // A sound file from the save folder, else the program folder; false when it is in neither, or
    // when it is not music by its name (.mp3, .mid, .midi) and holds no WAV or AU image the runner plays.
    bool LoadFromFile(const char* fileName, int kind, bool preload);
    void Prepare();
    // The device table entry, preparing the sound first when it has none (-1 when it cannot).
    int GetSoundId();
    // Leaves the device table: its sample is stopped and given back.
    void Release();

    int m_kind = -1;
    char* m_extension = nullptr;
    char* m_fileName = nullptr;
    CStream* m_data = nullptr;
    bool m_preload = true;
    int m_effects = 0;
    double m_volume = 1.0;
    double m_pan = 0.0;
    int m_hardwareId = -1;
    // The AUDO entry's bytes in the game data file (not owned), or null.
    const uint8_t* m_gameData = nullptr;
    size_t m_gameLength = 0;
    int m_audioIndex = -1;
};
