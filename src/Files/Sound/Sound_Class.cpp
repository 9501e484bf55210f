#include "Sound/Sound_Class.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Sound/Sound_Main.h"
#include "Sound/Sound_Wave.h"
#include "Support/LoadSave.h"
#include "Support/Stream.h"

#include <cstring>

namespace {
constexpr int KIND_MUSIC = 1, KIND_MUSIC_ONLY = 3;

char* Copy(const char* text) { return text ? MemStrDup(text) : nullptr; }

void FreeText(char** slot)
{
    if (*slot) MemFree(*slot);
    *slot = nullptr;
}
}  // namespace

CSound::~CSound()
{
    Clear();
}

void CSound::Clear()
{
    Release();
    m_kind = -1;
    FreeText(&m_extension);
    FreeText(&m_fileName);
    delete m_data;
    m_data = nullptr;
    m_volume = 1.0;
    m_effects = 0;
    m_pan = 0.0;
    m_preload = true;
}

bool CSound::LoadFromChunk(const SoundRecord& record)
{
    Clear();
    m_kind = record.kind;
    m_extension = Copy(record.extension);
    m_fileName = Copy(record.fileName);
    m_effects = record.effects;
    m_volume = record.volume;
    m_pan = record.pan;
    m_preload = record.preload;
    m_audioIndex = record.audioIndex;
    return true;
}

bool CSound::LoadFromStream(CStream* stream)
{
    Clear();
    int version = stream->ReadInteger();
    if (version != 600 && version != 800) return false;
    m_kind = stream->ReadInteger();
    bool ok = stream->ReadStringTo(&m_extension) && stream->ReadStringTo(&m_fileName);
    if (ok && stream->ReadBoolean()) {
        m_data = version == 600 ? ZDecompressStream(stream) : stream->ReadStream();
        ok = m_data != nullptr;
    }
    m_effects = stream->ReadInteger();
    m_volume = stream->ReadReal();
    m_pan = stream->ReadReal();
    m_preload = stream->ReadBoolean();
    if (!ok || stream->IsOverrun()) {
        Clear();
        return false;
    }
    return true;
}

bool CSound::LoadFromFile(const char* fileName, int kind, bool preload)
{
    Clear();
    if (!fileName) return false;
    int64_t size = 0;
    unsigned char* bytes = LoadSave_ReadSaveFile(fileName, &size);
    if (!bytes) bytes = LoadSave_ReadBundleFile(fileName, &size);
    if (!bytes) return false;
    // Music plays from its file; every other sound is a sample, which only a WAV or AU image gives.
    WaveInfo wave;
    const char* why = "";
    if (!Sound_IsMusicFile(fileName) && !Wave_Read(bytes, (size_t)size, &wave, &why)) {
        Console_Warnings->Output("Sound file %s cannot be added: %s.\n", fileName, why);
        MemFree(bytes);
        return false;
    }
    m_data = new CStream(size);
    m_data->WriteBytes(bytes, size);
    m_data->Seek(0);
    MemFree(bytes);
    const char* base = fileName;
    for (const char* p = fileName; *p; p++)
        if (*p == '/' || *p == '\\') base = p + 1;
    const char* dot = strrchr(base, '.');
    m_extension = MemStrDup(dot ? dot : "");
    m_fileName = MemStrDup(base);
    m_kind = kind;
    m_preload = preload;
    if (preload) Prepare();
    return true;
}

void CSound::Prepare()
{
    if (m_hardwareId >= 0) return;
    // Music of the game data file plays from its file, never from a sample, but its entry takes
    // the volume changes even when the file carries no bytes for it.
    bool music = m_kind == KIND_MUSIC_ONLY || (m_kind == KIND_MUSIC && !m_data);
    if (music) {
        m_hardwareId = Sound_AddHardwareSound(nullptr, 0, m_kind);
    } else if (m_kind >= 0 && m_gameData) {
        m_hardwareId = Sound_AddHardwareSound(m_gameData, m_gameLength, m_kind);
    } else if (m_kind >= 0 && m_data) {
        m_hardwareId = Sound_AddHardwareSound(m_data->GetBuffer(), (size_t)m_data->GetSize(), m_kind);
    }
    if (m_hardwareId >= 0) Sound_SetVolume(m_hardwareId, m_volume, 0);
}

int CSound::GetSoundId()
{
    if (m_hardwareId < 0) Prepare();
    return m_hardwareId;
}

void CSound::Release()
{
    if (m_hardwareId >= 0) Sound_FreeHardwareSound(m_hardwareId);
    m_hardwareId = -1;
}
