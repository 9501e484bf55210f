// A fixture that loads a small game data file with sounds and prepares them as a game start does,
// on OpenAL's null back end; every warning is kept.
#pragma once
#include "../Base/CapturedWarnings.h"
#include "SoundFile.h"
#include "WaveMaker.h"

#include "Base/MemoryManager.h"
#include "Run/GameFile_Chunks.h"
#include "Sound/Audio_Main.h"
#include "Sound/MCI.h"
#include "Sound/Sound_Hardware.h"
#include "Sound/Sound_Main.h"

#include <gtest/gtest.h>

class SoundGame : public ::testing::Test {
protected:
    void TearDown() override
    {
        MCI_Log = nullptr;
        MCI_SetFakeDisc(false);
        GameFile_Free();
        Sound_Free();
        Sound_Quit();
        Sound_NoAudio = false;
    }
    // Loads and prepares; false when the load fails.
    bool Load(bool newAudio, const std::vector<SoundFile::Sound>& sounds, const std::vector<std::vector<uint8_t>>& entries)
    {
        std::vector<uint8_t> file = SoundFile::Make(newAudio, sounds, entries);
        uint8_t* buffer = (uint8_t*)MemAlloc(file.size() + 1);
        memcpy(buffer, file.data(), file.size());
        if (!GameFile_LoadBuffer(buffer, file.size())) return false;
        Sound_Prepare();
        Audio_Prepare();
        Sound_PrepareAll();
        return true;
    }
    // Sound 0 a one-second tone, sound 1 music ("theme.mp3").
    bool LoadToneAndMusic(bool newAudio)
    {
        return Load(newAudio, {{"snd_tone", 0, "", 1, 0}, {"snd_music", 1, "theme.mp3", 1, -1}},
                    {SoundFile::Entry(WaveMaker::Tone(440, 1.0))});
    }
    bool Warned(const char* text) const { return warnings.text.find(text) != std::string::npos; }
    TCapturedWarnings warnings;
};
