#include "Sound/Sound_Main.h"

#include "Base/Console.h"
#include "Runner/GameFile.h"
#include "Sound/Audio_Main.h"
#include "Sound/Sound_Hardware.h"
#include "Sound/Sound_Wave.h"

#include <algorithm>
#include <memory>
#include <cstring>
#include <strings.h>

std::string Sound_CurrentMusic;

namespace {

struct HardwareEntry {
    bool used = false;
    int kind = 0;  // 1 music, any other value a sample
    SoundSample* sample = nullptr;
};
// Defined before the sound table, which gives its entries back when it goes.
std::vector<HardwareEntry> Hardware;

struct SoundSlot {
    std::unique_ptr<CSound> sound;  // null: an empty slot
    std::string name;
};
std::vector<SoundSlot> Sounds;

std::vector<uint32_t> AudoOffsets;
bool AudoRead = false;

bool EndsWith(const char* name, const char* ending)
{
    size_t n = strlen(name), e = strlen(ending);
    return n >= e && !strcasecmp(name + n - e, ending);
}

HardwareEntry* Entry(int id)
{
    return id >= 0 && id < (int)Hardware.size() && Hardware[(size_t)id].used ? &Hardware[(size_t)id] : nullptr;
}

// Gives each sound of the older system its AUDO entry once both chunks are read.
void LinkEntries()
{
    for (SoundSlot& slot : Sounds) {
        CSound* s = slot.sound.get();
        if (!s) continue;
        bool wanted = s->m_kind >= 0 && s->m_kind != 1 && s->m_kind != 3;
        s->m_gameData = Sound_AudoEntry(s->m_audioIndex, slot.name.c_str(), !wanted, &s->m_gameLength);
    }
}

}  // namespace

bool Sound_ReadRecords(GameFileReader payload, std::vector<SoundRecord>* out)
{
    uint32_t count;
    out->clear();
    if (!payload.Count(&count, 4)) return false;
    out->resize(count);
    for (SoundRecord& record : *out) {
        uint32_t offset = payload.U32();
        if (offset == 0) continue;
        GameFileReader r = payload.At(offset);
        record.name = r.Str();
        record.kind = r.I32();
        record.extension = r.Str();
        record.fileName = r.Str();
        record.effects = r.I32();
        record.volume = r.F32();
        record.pan = r.F32();
        record.preload = r.Bool();
        record.audioIndex = r.I32();
        if (!r.ok || !record.name) return false;
        record.present = true;
    }
    return payload.ok;
}

bool Sound_ReadAudo(GameFileReader payload)
{
    uint32_t count;
    AudoOffsets.clear();
    AudoRead = false;
    if (!payload.Count(&count, 4)) return false;
    AudoOffsets.resize(count);
    for (uint32_t& offset : AudoOffsets) offset = payload.U32();
    AudoRead = payload.ok;
    return AudoRead;
}

const uint8_t* Sound_AudoEntry(int index, const char* name, bool streamed, size_t* length)
{
    *length = 0;
    if (!AudoRead || streamed || index == -1) return nullptr;
    uint32_t offset = index >= 0 && index < (int)AudoOffsets.size() ? AudoOffsets[(size_t)index] : 0;
    if (offset == 0) {
        Console_Warnings->Output("Sound %s names audio entry %d, which the game data file does not hold.\n", name, index);
        return nullptr;
    }
    const uint8_t* entry = GameFile_Relocate(offset, 4);
    const uint8_t* bytes = entry ? Wave_Entry(entry, GameFile_Size() - offset, length) : nullptr;
    if (!bytes) Console_Warnings->Output("The audio entry %d of sound %s runs past the end of the game data file.\n", index, name);
    return bytes;
}

bool (*Sound_RoomSpeedHook)(int* speed) = nullptr;

int Sound_FadeFrames(int milliseconds)
{
    int speed = 30, roomSpeed;
    if (Sound_RoomSpeedHook && Sound_RoomSpeedHook(&roomSpeed)) speed = std::max(1, roomSpeed);
    int perFrame = std::max(1, 1000 / speed);
    return std::max(1, milliseconds / perFrame);
}

bool Sound_Init(GameFileReader payload)
{
    Console_Warnings->Output("Sound_Init()\n");
    Sound_Clear();
    std::vector<SoundRecord> records;
    if (!Sound_ReadRecords(payload, &records)) return false;
    Sounds.resize(records.size());
    for (size_t i = 0; i < records.size(); i++) {
        if (!records[i].present) continue;
        Sounds[i].sound = std::make_unique<CSound>();
        Sounds[i].sound->LoadFromChunk(records[i]);
        Sounds[i].name = records[i].name;
    }
    LinkEntries();
    return true;
}

bool Wave_Init(GameFileReader payload)
{
    Console_Warnings->Output("Wave_Init()\n");
    if (!Sound_ReadAudo(payload)) return false;
    LinkEntries();
    return true;
}

void Sound_StartUp(bool noAudio)
{
    Sound_NoAudio = noAudio;
}

void Sound_Prepare()
{
    if (!g_SoundHardware) g_SoundHardware = new SoundHardware;
    g_SoundHardware->Init();
    for (int id = 0; id < (int)Hardware.size(); id++) Sound_FreeHardwareSound(id);
    Hardware.clear();
    Audio_Init(g_SoundHardware);
}

void Sound_PrepareAll()
{
    for (SoundSlot& slot : Sounds)
        if (slot.sound && slot.sound->m_preload) slot.sound->Prepare();
}

void Sound_Tick()
{
    if (g_SoundHardware) g_SoundHardware->Tick();
    Audio_Update();
}

void Sound_Free()
{
    Sound_Clear();
    Audio_Clear();
}

void Sound_Quit()
{
    if (!g_SoundHardware) return;
    g_SoundHardware->Quit();
    delete g_SoundHardware;
    g_SoundHardware = nullptr;
    Sound_CurrentMusic.clear();
}

void Sound_Clear()
{
    Sounds.clear();
    for (int id = 0; id < (int)Hardware.size(); id++) Sound_FreeHardwareSound(id);
    AudoOffsets.clear();
    AudoRead = false;
}

int Sound_Count() { return (int)Sounds.size(); }

CSound* Sound_GetSound(int index)
{
    return index >= 0 && index < (int)Sounds.size() ? Sounds[(size_t)index].sound.get() : nullptr;
}

bool Sound_Exists(int index) { return Sound_GetSound(index) != nullptr; }

const char* Sound_GetName(int index)
{
    return Sound_Exists(index) ? Sounds[(size_t)index].name.c_str() : "<undefined>";
}

int Sound_Find(const char* name)
{
    for (size_t i = 0; i < Sounds.size(); i++)
        if (Sounds[i].sound && Sounds[i].name == name) return (int)i;
    return -1;
}

int Sound_AddFromFile(const char* fileName, int kind, bool preload)
{
    int index = (int)Sounds.size();
    Sounds.push_back({std::make_unique<CSound>(), "__newsound" + std::to_string(index)});
    return Sounds.back().sound->LoadFromFile(fileName, kind, preload) ? index : -1;
}

bool Sound_Replace(int index, const char* fileName, int kind, bool preload)
{
    if (index < 0 || index >= (int)Sounds.size()) return false;
    // The file is read before the old sound goes, so a file that cannot be read leaves the old
    // sound as it was; the old sound gives its sample back before the new one takes one.
    auto sound = std::make_unique<CSound>();
    if (!sound->LoadFromFile(fileName, kind, false)) return false;
    CSound& replaced = *(Sounds[(size_t)index].sound = std::move(sound));
    replaced.m_preload = preload;
    if (preload) replaced.Prepare();
    return true;
}

bool Sound_Delete(int index)
{
    if (!Sound_Exists(index)) return false;
    Sounds[(size_t)index].sound.reset();
    Sounds[(size_t)index].name.clear();
    return true;
}

int Sound_AddHardwareSound(const uint8_t* data, size_t size, int kind)
{
    size_t id = 0;
    while (id < Hardware.size() && Hardware[id].used) id++;
    if (id == Hardware.size()) Hardware.emplace_back();
    HardwareEntry& e = Hardware[id];
    e.used = true;
    e.kind = kind == 3 ? 1 : kind;
    e.sample = data && g_SoundHardware ? g_SoundHardware->Load(data, size, (int)id) : nullptr;
    return (int)id;
}

void Sound_FreeHardwareSound(int id)
{
    HardwareEntry* e = Entry(id);
    if (!e) return;
    if (e->sample && g_SoundHardware) g_SoundHardware->Free(e->sample);
    *e = HardwareEntry();
}

bool Sound_IsMusicFile(const char* fileName)
{
    return fileName && (EndsWith(fileName, ".mp3") || EndsWith(fileName, ".mid") || EndsWith(fileName, ".midi"));
}

bool Sound_PlayMusic(const char* fileName, bool loop)
{
    if (!g_SoundHardware || !Sound_IsMusicFile(fileName)) return false;
    Sound_CurrentMusic = fileName;
    if (EndsWith(fileName, ".mp3")) g_SoundHardware->PlayMP3(fileName, loop);
    else g_SoundHardware->PlayMIDI(fileName, loop);
    return true;
}

void Sound_Play(const char* fileName, int id, bool loop)
{
    if (!g_SoundHardware || Sound_PlayMusic(fileName, loop)) return;
    if (HardwareEntry* e = Entry(id)) g_SoundHardware->Play(e->sample, loop);
}

void Sound_Stop(const char* fileName, int id)
{
    if (!g_SoundHardware) return;
    if (fileName && !Sound_CurrentMusic.empty() && Sound_CurrentMusic == fileName) {
        g_SoundHardware->StopMusic();
        Sound_CurrentMusic.clear();
    } else if (HardwareEntry* e = Entry(id)) {
        g_SoundHardware->Stop(e->sample);
    }
}

bool Sound_IsPlaying(const char* fileName, int id)
{
    if (!g_SoundHardware) return false;
    if (fileName && !Sound_CurrentMusic.empty() && Sound_CurrentMusic == fileName) return g_SoundHardware->PlayingMP3();
    HardwareEntry* e = Entry(id);
    return e && g_SoundHardware->Playing(e->sample);
}

void Sound_StopAll()
{
    if (!g_SoundHardware) return;
    for (HardwareEntry& e : Hardware)
        if (e.used) g_SoundHardware->Stop(e.sample);
    g_SoundHardware->StopMusic();
    Sound_CurrentMusic.clear();
}

void Sound_SetVolume(int id, double volume, int milliseconds)
{
    HardwareEntry* e = Entry(id);
    if (!e || !g_SoundHardware) return;
    if (e->kind == 1) g_SoundHardware->SetMusicVolume((float)volume, milliseconds);
    else g_SoundHardware->SetSampleVolume(e->sample, (float)volume, milliseconds);
}
