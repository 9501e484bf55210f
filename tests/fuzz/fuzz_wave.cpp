// Any bytes as a WAV or AU image, as the AUDO entries of a game data file's sounds, or as a saved
// sound stream: the reader accepts only images whose samples lie inside them (and its canonical
// copy reads back as the same linear PCM), entries never reach past the file, and streams fail
// cleanly.
#include "../unit/Sound/SoundFile.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Run/GameFile_Chunks.h"
#include "Runner/GameFile.h"
#include "Sound/Sound_Main.h"
#include "Sound/Sound_Wave.h"
#include "Support/Stream.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void ReadImage(const uint8_t* data, size_t size)
{
    WaveInfo w;
    const char* why = nullptr;
    if (!Wave_Read(data, size, &w, &why)) {
        if (!why || !*why) abort();
        return;
    }
    size_t frame = Wave_FrameBytes(w);
    if (w.samples < data || w.samples + w.bytes > data + size || w.bytes == 0 || w.bytes % frame) abort();
    std::vector<uint8_t> copy = Wave_Canonical(w);
    WaveInfo again;
    if (!Wave_Read(copy.data(), copy.size(), &again, &why) || again.encoding != WaveEncoding::Linear ||
        again.bytes != w.bytes / frame * Wave_FrameBytes(again) || again.rate != w.rate || again.channels != w.channels ||
        again.bits != w.bits || Wave_Canonical(again) != copy)
        abort();
}

// The bytes cut into three raw entries (each normally a length word and an image).
void LoadEntries(const uint8_t* data, size_t size)
{
    std::vector<std::vector<uint8_t>> entries(3);
    for (size_t i = 0; i < size; i++) entries[i * 3 / size].push_back(data[i]);
    std::vector<SoundFile::Sound> sounds = {{"a", 0, "", 1, 0}, {"b", 2, "", 1, 1}, {"c", 0, "", 1, 2},
                                            {"d", 0, "", 1, (int)(size % 7) - 2}, {"e", 1, "m.mp3", 1, 0}};
    std::vector<uint8_t> file = SoundFile::Make(false, sounds, entries);
    uint8_t* buffer = (uint8_t*)MemAlloc(file.size() + 1);
    memcpy(buffer, file.data(), file.size());
    if (!GameFile_LoadBuffer(buffer, file.size())) abort();  // damaged entries never fail the load
    const uint8_t* base = GameFile_Base();
    for (int i = 0; i < Sound_Count(); i++) {
        CSound* s = Sound_GetSound(i);
        if (!s) abort();
        if (s->m_gameData && (s->m_gameData < base || s->m_gameData + s->m_gameLength > base + GameFile_Size())) abort();
        if (s->m_gameData) ReadImage(s->m_gameData, s->m_gameLength);
        s->GetSoundId();
    }
    GameFile_Free();
}

void LoadStream(const uint8_t* data, size_t size)
{
    CStream stream;
    stream.WriteBytes(data, (int64_t)size);
    stream.Seek(0);
    CSound sound;
    if (!sound.LoadFromStream(&stream) && (sound.m_kind != -1 || sound.m_data)) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TCaptureConsole quiet;
    Console_Warnings = &quiet;
    quiet.text.clear();
    if (size == 0) return 0;
    switch (data[0] % 3) {
    case 0: ReadImage(data + 1, size - 1); break;
    case 1: LoadEntries(data + 1, size - 1); break;
    default: LoadStream(data + 1, size - 1); break;
    }
    return 0;
}
