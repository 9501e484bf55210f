// A fixture that loads a small game data file with sounds and prepares them as a game start does,
// on OpenAL's null back end; every warning is kept.
#pragma once
#include "../Base/CapturedWarnings.h"
#include "SoundFile.h"
#include "WaveMaker.h"

#include "Base/MemoryManager.h"
#include "Runner/GameFile.h"
#include "Sound/Audio_Main.h"
#include "Sound/Sound_Hardware.h"
#include "Sound/Sound_Main.h"

#include <gtest/gtest.h>

class SoundGame : public ::testing::Test {
protected:
    void TearDown() override
    {
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
    bool Warned(const char* text) const { return warnings.text.find(text) != std::string::npos; }
    TCapturedWarnings warnings;
};
