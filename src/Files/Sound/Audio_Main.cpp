// The audio system's sounds, emitters and listener; the voices and everything OpenAL plays are in
// Linux/Audio_Voices.cpp.
#include "Sound/Audio_Main.h"

#include "Base/Console.h"
#include "Option/Option_Main.h"
#include "Runner/GameFile.h"
#include "Sound/Audio_Internal.h"
#include "Sound/Sound_Hardware.h"
#include "Sound/Sound_Main.h"

std::vector<std::unique_ptr<AudioSound>> Audio_Sounds;
std::vector<std::unique_ptr<AudioEmitter>> Audio_Emitters;
std::unique_ptr<AudioListener> Audio_Listener;
SoundHardware* Audio_Device = nullptr;

namespace {
constexpr int EMITTER_GROWTH = 8;

void LinkEntries()
{
    for (auto& s : Audio_Sounds)
        if (s) s->data = Sound_AudoEntry(s->audioIndex, s->name.c_str(), s->streamed, &s->length);
}
}  // namespace

bool Audio_IsNewSystem() { return Option_NewAudio; }

AudioSound* Audio_GetSound(int sound)
{
    return sound >= 0 && sound < (int)Audio_Sounds.size() ? Audio_Sounds[(size_t)sound].get() : nullptr;
}

AudioEmitter* Audio_GetEmitter(int emitter)
{
    return emitter >= 0 && emitter < (int)Audio_Emitters.size() ? Audio_Emitters[(size_t)emitter].get() : nullptr;
}

bool Audio_Load(GameFileReader payload)
{
    Console_Warnings->Output("Audio_Load()\n");
    Audio_Clear();
    std::vector<SoundRecord> records;
    if (!Sound_ReadRecords(payload, &records)) return false;
    Audio_Sounds.resize(records.size());
    for (size_t i = 0; i < records.size(); i++) {
        const SoundRecord& r = records[i];
        if (!r.present) continue;
        auto s = std::make_unique<AudioSound>();
        s->name = r.name;
        s->fileName = r.fileName ? r.fileName : "";
        s->gain = r.volume;
        s->streamed = r.kind > 0;
        s->audioIndex = r.audioIndex;
        Audio_Sounds[i] = std::move(s);
    }
    LinkEntries();
    return true;
}

bool Audio_WAVs(GameFileReader payload)
{
    Console_Warnings->Output("Audio_WAVs()\n");
    if (!Sound_ReadAudo(payload)) return false;
    LinkEntries();
    return true;
}

void Audio_Clear()
{
    Audio_ClearVoices();
    Audio_Sounds.clear();
    Audio_Emitters.clear();
    Audio_Listener.reset();
}

void Audio_Init(SoundHardware* device)
{
    Audio_Device = device;
    if (Sound_NoAudio) {
        Option_NewAudio = false;
        return;
    }
    if (!Option_NewAudio) return;
    if (!Audio_Listener) Audio_Listener = std::make_unique<AudioListener>();
    Audio_InitVoices();
}

bool Audio_Exists(int sound) { return Audio_GetSound(sound) != nullptr; }

int Audio_GetType(int sound)
{
    AudioSound* s = Audio_GetSound(sound);
    return s ? (s->streamed ? 1 : 0) : -1;
}

int Audio_Count() { return (int)Audio_Sounds.size(); }

const char* Audio_GetName(int sound)
{
    AudioSound* s = Audio_GetSound(sound);
    return s ? s->name.c_str() : "<undefined>";
}

void Audio_SetListenerPosition(float x, float y, float z)
{
    if (!Option_NewAudio || !Audio_Listener) return;
    float* p = Audio_Listener->position;
    p[0] = x, p[1] = y, p[2] = z;
}

void Audio_SetListenerVelocity(float x, float y, float z)
{
    if (!Option_NewAudio || !Audio_Listener) return;
    float* v = Audio_Listener->velocity;
    v[0] = x, v[1] = y, v[2] = z;
}

void Audio_SetListenerOrientation(float atX, float atY, float atZ, float upX, float upY, float upZ)
{
    if (!Option_NewAudio || !Audio_Listener) return;
    float* o = Audio_Listener->orientation;
    o[0] = atX, o[1] = atY, o[2] = atZ, o[3] = upX, o[4] = upY, o[5] = upZ;
}

int Audio_CreateEmitter()
{
    if (!Option_NewAudio) return -1;
    for (size_t i = 0; i < Audio_Emitters.size(); i++) {
        auto& e = Audio_Emitters[i];
        if (!e) e = std::make_unique<AudioEmitter>();
        if (!e->active) {
            e->active = true;
            return (int)i;
        }
    }
    size_t first = Audio_Emitters.size();
    Audio_Emitters.resize(first + EMITTER_GROWTH);
    Audio_Emitters[first] = std::make_unique<AudioEmitter>();
    Audio_Emitters[first]->active = true;
    return (int)first;
}

void Audio_FreeEmitter(int emitter)
{
    if (!Option_NewAudio) return;
    if (AudioEmitter* e = Audio_GetEmitter(emitter)) e->active = false;
}

bool Audio_EmitterExists(int emitter) { return Audio_GetEmitter(emitter) != nullptr; }

void Audio_SetEmitterPosition(int emitter, float x, float y, float z)
{
    AudioEmitter* e = Option_NewAudio ? Audio_GetEmitter(emitter) : nullptr;
    if (e) e->x = x, e->y = y, e->z = z;
}

void Audio_SetEmitterVelocity(int emitter, float x, float y, float z)
{
    AudioEmitter* e = Option_NewAudio ? Audio_GetEmitter(emitter) : nullptr;
    if (e) e->vx = x, e->vy = y, e->vz = z;
}

void Audio_SetEmitterGain(int emitter, float gain)
{
    AudioEmitter* e = Option_NewAudio ? Audio_GetEmitter(emitter) : nullptr;
    if (e && gain >= 0.0f) e->gain = gain;
}

void Audio_SetEmitterPitch(int emitter, float pitch)
{
    AudioEmitter* e = Option_NewAudio ? Audio_GetEmitter(emitter) : nullptr;
    if (e && pitch >= 0.0f) e->pitch = pitch;
}
