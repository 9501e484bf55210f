// The audio system's OpenAL half: buffers, the source pool, voices and their priorities, the
// listener and emitters applied each frame, the falloff model, the master gain and music.
#include "Base/Console.h"
#include "Option/Option_Main.h"
#include "Sound/Audio_Internal.h"
#include "Sound/Audio_Main.h"
#include "Sound/Linux/Sound_AL.h"
#include "Sound/Sound_Hardware.h"
#include "Sound/Sound_Main.h"

#include <algorithm>

namespace {

std::vector<AudioVoice> Voices;
std::vector<ALuint> Pool;
int Channels = AUDIO_CHANNELS_DEFAULT;
int NextVoiceId = AUDIO_VOICE_BASE;

bool Live() { return Option_NewAudio && Sound_ALDevice(); }

ALenum PendingError() { return alGetError(); }

void ReportIf(const char* message)
{
    if (PendingError() != AL_NO_ERROR) Sound_ReportOnce("%s", message);
}

ALint SourceState(int source)
{
    ALint state = AL_STOPPED;
    if (source >= 0 && source < (int)Pool.size()) alGetSourcei(Pool[(size_t)source], AL_SOURCE_STATE, &state);
    return state;
}

// A voice leaves its emitter's list when it stops being active.
void Deactivate(AudioVoice& v, int index)
{
    if (AudioEmitter* e = Audio_GetEmitter(v.emitter))
        for (int& slot : e->voices)
            if (slot == index) slot = -1;
    v.active = false;
    v.stolen = false;
    v.emitter = -1;
}

// Adds sources up to `count`, one at a time so that those made are kept when the device runs out.
void GrowPool(int count)
{
    while ((int)Pool.size() < count) {
        ALuint source = 0;
        alGenSources(1, &source);
        ALenum error = alGetError();
        if (error != AL_NO_ERROR) {
            Sound_ReportOnce("Error creating audio sources %d\n", (int)error);
            break;
        }
        Pool.push_back(source);
    }
    Channels = (int)Pool.size();
}

void DeletePool()
{
    for (size_t i = 0; i < Voices.size(); i++)
        if (Voices[i].active) Deactivate(Voices[i], (int)i);
    if (!Pool.empty()) {
        alSourceStopv((ALsizei)Pool.size(), Pool.data());
        alDeleteSources((ALsizei)Pool.size(), Pool.data());
    }
    Pool.clear();
    alGetError();
}

int GetSource(float priority)
{
    ALenum pending = PendingError();
    if (pending != AL_NO_ERROR) Sound_ReportOnce("Error prior to getting sound source %d\n", (int)pending);
    for (int i = 0; i < (int)Pool.size(); i++) {
        ALint state = SourceState(i);
        if (state != AL_STOPPED && state != AL_INITIAL) continue;
        for (size_t v = 0; v < Voices.size(); v++)
            if (Voices[v].active && Voices[v].source == i) Deactivate(Voices[v], (int)v);
        return i;
    }
    int lowest = -1;
    for (size_t v = 0; v < Voices.size(); v++) {
        const AudioVoice& voice = Voices[v];
        if (!voice.active || voice.stolen || voice.source < 0 || !(voice.priority < priority)) continue;
        if (lowest < 0 || voice.priority < Voices[(size_t)lowest].priority) lowest = (int)v;
    }
    if (lowest < 0) return -1;
    AudioVoice& victim = Voices[(size_t)lowest];
    alSourceStop(Pool[(size_t)victim.source]);
    ALenum error = alGetError();
    if (error != AL_NO_ERROR) Sound_ReportOnce("Error stopping sample %d\n", (int)error);
    victim.stolen = true;
    return victim.source;
}

int NewVoice(int sound, int source, bool loop, float priority)
{
    size_t index = 0;
    while (index < Voices.size() && Voices[index].active) index++;
    if (index == Voices.size()) Voices.emplace_back();
    AudioVoice& v = Voices[index];
    v = AudioVoice();
    v.active = true;
    v.id = NextVoiceId++;
    v.sound = sound;
    v.source = source;
    v.loop = loop;
    v.priority = priority;
    return (int)index;
}

// Everything a source plays with is set on each play, so that nothing of an earlier voice (its
// pitch, its falloff, its position) carries over to the next one on the same source.
struct SourceSettings {
    bool relative = true;
    float x = 0, y = 0, z = 0, vx = 0, vy = 0, vz = 0;
    float gain = 1, pitch = 1;
    float reference = 1, maximum = 100000, rolloff = 1;
    ALuint buffer = 0;
    bool loop = false;
};

void Start(int source, const SourceSettings& s, const char* failure)
{
    ALuint id = Pool[(size_t)source];
    alSourceStop(id);
    alSourcei(id, AL_SOURCE_RELATIVE, s.relative ? AL_TRUE : AL_FALSE);
    alSourcei(id, AL_BUFFER, (ALint)s.buffer);
    alSourcei(id, AL_LOOPING, s.loop ? AL_TRUE : AL_FALSE);
    Sound_SetSourceGain(id, s.gain);
    alSourcef(id, AL_PITCH, s.pitch);
    alSourcef(id, AL_REFERENCE_DISTANCE, s.reference);
    alSourcef(id, AL_MAX_DISTANCE, s.maximum);
    alSourcef(id, AL_ROLLOFF_FACTOR, s.rolloff);
    alSource3f(id, AL_POSITION, s.x, s.y, s.z);
    alSource3f(id, AL_VELOCITY, s.vx, s.vy, s.vz);
    ReportIf("Error setting sample buffer\n");
    alSourcePlay(id);
    ReportIf(failure);
}

// Calls `act` with each active voice that the sound index or voice id names, and its index.
template <class Act>
void ForMatching(int soundOrVoice, Act act)
{
    for (size_t i = 0; i < Voices.size(); i++) {
        AudioVoice& v = Voices[i];
        if (!v.active) continue;
        if (soundOrVoice >= AUDIO_VOICE_BASE ? v.id == soundOrVoice : v.sound == soundOrVoice) act(v, (int)i);
    }
}

void Stop(AudioVoice& v, int report)
{
    if (!v.stolen && v.source >= 0 && v.source < (int)Pool.size()) {
        alSourceStop(Pool[(size_t)v.source]);
        ALenum error = alGetError();
        if (error != AL_NO_ERROR) Sound_ReportOnce("Error stopping sound %d error code %d\n", report, (int)error);
    }
}

void Pause(AudioVoice& v, int report)
{
    if (v.stolen || SourceState(v.source) != AL_PLAYING) return;
    alSourcePause(Pool[(size_t)v.source]);
    ALenum error = alGetError();
    if (error != AL_NO_ERROR) Sound_ReportOnce("Error pausing sound %d error code %d\n", report, (int)error);
}

void Resume(AudioVoice& v, int report)
{
    if (v.stolen || SourceState(v.source) != AL_PAUSED) return;
    alSourcePlay(Pool[(size_t)v.source]);
    ALenum error = alGetError();
    if (error != AL_NO_ERROR) Sound_ReportOnce("Error resuming sound %d error code %d\n", report, (int)error);
}

}  // namespace

void Audio_InitVoices()
{
    if (!Sound_ALDevice()) return;
    if (Pool.empty()) GrowPool(Channels);
    alDistanceModel(AL_INVERSE_DISTANCE);
    const AudioListener& l = *Audio_Listener;
    alListenerfv(AL_POSITION, l.position);
    alListenerfv(AL_VELOCITY, l.velocity);
    alListenerfv(AL_ORIENTATION, l.orientation);
    alGetError();
}

void Audio_ClearVoices()
{
    if (Sound_ALDevice()) {
        DeletePool();
        for (auto& s : Audio_Sounds)
            if (s && s->buffer) alDeleteBuffers(1, &s->buffer);
        alGetError();
    }
    Pool.clear();
    Voices.clear();
    Channels = AUDIO_CHANNELS_DEFAULT;
    NextVoiceId = AUDIO_VOICE_BASE;
}

void Audio_Prepare()
{
    if (!Live()) return;
    for (auto& s : Audio_Sounds)
        if (s && s->data && !s->streamed && !s->buffer) s->buffer = Sound_BufferFromImage(s->data, s->length);
}

int Audio_PlaySound(int sound, double priority, bool loop)
{
    AudioSound* s = Live() ? Audio_GetSound(sound) : nullptr;
    if (!s) return -1;  // before a source is taken: a bad index never silences a voice
    int source = GetSource((float)priority);
    if (source < 0) return -1;
    ReportIf("Error before playing sample\n");
    AudioVoice& v = Voices[(size_t)NewVoice(sound, source, loop, (float)priority)];
    SourceSettings settings;
    settings.gain = s->gain;
    settings.buffer = s->buffer;
    settings.loop = loop;
    Start(source, settings, "Error playing simple sound\n");
    return v.id;
}

int Audio_PlaySoundAt(int sound, float x, float y, float z, float reference, float maximum, float factor, bool loop, double priority)
{
    AudioSound* s = Live() ? Audio_GetSound(sound) : nullptr;
    if (!s) return -1;
    int source = GetSource((float)priority);
    if (source < 0) return -1;
    ReportIf("Error prior to playing sample\n");
    AudioVoice& v = Voices[(size_t)NewVoice(sound, source, loop, (float)priority)];
    SourceSettings settings;
    settings.relative = false;
    settings.gain = s->gain;
    settings.buffer = s->buffer;
    settings.maximum = maximum;
    settings.reference = reference;
    settings.rolloff = factor;
    settings.x = x, settings.y = y, settings.z = z;
    settings.loop = loop;
    Start(source, settings, "Error updating sample position\n");
    return v.id;
}

int Audio_PlaySoundOn(int emitter, int sound, bool loop, double priority)
{
    if (!Live()) return -1;
    ReportIf("Error prior to playing sample 2\n");
    if (emitter < 0 || emitter >= (int)Audio_Emitters.size()) return -1;
    AudioEmitter* e = Audio_GetEmitter(emitter);
    if (!e || !e->active) {
        Console_Warnings->Output("Audio_PlaySound Attempting to play sound on inactive emitter %d\n", emitter);
        return -1;
    }
    AudioSound* s = Audio_GetSound(sound);
    if (!s) return -1;
    int source = GetSource((float)priority);
    if (source < 0) return -1;
    int index = NewVoice(sound, source, loop, (float)priority);
    AudioVoice& v = Voices[(size_t)index];
    v.emitter = emitter;
    auto slot = std::find(e->voices.begin(), e->voices.end(), -1);
    if (slot != e->voices.end()) *slot = index;
    else e->voices.push_back(index);
    SourceSettings settings;
    settings.relative = false;
    settings.maximum = e->maximum;
    settings.gain = e->gain * s->gain;
    settings.pitch = e->pitch;
    settings.buffer = s->buffer;
    settings.loop = loop;
    settings.reference = e->reference;
    settings.rolloff = e->factor;
    settings.x = e->x, settings.y = e->y, settings.z = e->z;
    settings.vx = e->vx, settings.vy = e->vy, settings.vz = e->vz;
    Start(source, settings, "Error playing sample\n");
    return v.id;
}

void Audio_Update()
{
    if (!Live() || !Audio_Listener) return;
    const AudioListener& l = *Audio_Listener;
    ALenum error;
    alListener3f(AL_POSITION, l.position[0], l.position[1], l.position[2]);
    if ((error = alGetError()) != AL_NO_ERROR) Sound_ReportOnce("Error setting listener position %d\n", (int)error);
    alListener3f(AL_VELOCITY, l.velocity[0], l.velocity[1], l.velocity[2]);
    if ((error = alGetError()) != AL_NO_ERROR) Sound_ReportOnce("Error setting listener velocity %d\n", (int)error);
    alListenerfv(AL_ORIENTATION, l.orientation);
    if ((error = alGetError()) != AL_NO_ERROR) Sound_ReportOnce("Error setting listener orientation %d\n", (int)error);
    for (size_t ei = 0; ei < Audio_Emitters.size(); ei++) {
        AudioEmitter* e = Audio_Emitters[ei].get();
        if (!e || !e->active) continue;
        for (int index : e->voices) {
            if (index < 0) continue;
            AudioVoice& v = Voices[(size_t)index];
            if (!v.active || v.stolen || v.source < 0 || v.source >= (int)Pool.size()) continue;
            ALint state = SourceState(v.source);
            ReportIf("Error getting source state\n");
            if (state == AL_STOPPED) {
                Deactivate(v, index);
                continue;
            }
            ALuint id = Pool[(size_t)v.source];
            alSource3f(id, AL_POSITION, e->x, e->y, e->z);
            alSource3f(id, AL_VELOCITY, e->vx, e->vy, e->vz);
            ReportIf("Error updating emitter\n");
        }
    }
}

void Audio_StopSound(int soundOrVoice)
{
    if (!Live()) return;
    ForMatching(soundOrVoice, [&](AudioVoice& v, int index) {
        Stop(v, soundOrVoice >= AUDIO_VOICE_BASE ? v.id : index);
        Deactivate(v, index);
    });
}

void Audio_PauseSound(int soundOrVoice)
{
    if (!Live()) return;
    ForMatching(soundOrVoice, [&](AudioVoice& v, int index) { Pause(v, soundOrVoice >= AUDIO_VOICE_BASE ? v.id : index); });
}

void Audio_ResumeSound(int soundOrVoice)
{
    if (!Live()) return;
    ForMatching(soundOrVoice, [&](AudioVoice& v, int index) { Resume(v, soundOrVoice >= AUDIO_VOICE_BASE ? v.id : index); });
}

void Audio_StopAll()
{
    if (!Live()) return;
    for (size_t i = 0; i < Voices.size(); i++)
        if (Voices[i].active) {
            Stop(Voices[i], (int)i);
            Deactivate(Voices[i], (int)i);
        }
}

void Audio_PauseAll()
{
    if (!Live()) return;
    for (size_t i = 0; i < Voices.size(); i++)
        if (Voices[i].active) Pause(Voices[i], (int)i);
}

void Audio_ResumeAll()
{
    if (!Live()) return;
    for (size_t i = 0; i < Voices.size(); i++)
        if (Voices[i].active) Resume(Voices[i], (int)i);
}

bool Audio_IsPlaying(int soundOrVoice)
{
    if (!Live()) return false;
    if (soundOrVoice >= AUDIO_VOICE_BASE) {
        for (const AudioVoice& v : Voices)
            if (v.active && v.id == soundOrVoice) return !v.stolen && SourceState(v.source) == AL_PLAYING;
        return false;
    }
    AudioSound* s = Audio_GetSound(soundOrVoice);
    if (!s) return false;
    // A streamed sound plays as music (a MIDI name as its MP3 twin).
    if (s->streamed)
        return Audio_Device && !s->fileName.empty() && s->fileName == Sound_CurrentMusic && Audio_Device->PlayingMP3();
    for (const AudioVoice& v : Voices)
        if (v.active && !v.stolen && v.sound == soundOrVoice && SourceState(v.source) == AL_PLAYING) return true;
    return false;
}

float Audio_GetSoundLength(int soundOrVoice)
{
    if (!Live()) return -1.0f;
    int sound = soundOrVoice;
    if (soundOrVoice >= AUDIO_VOICE_BASE) {
        sound = -1;
        for (const AudioVoice& v : Voices)
            if (v.active && v.id == soundOrVoice) {
                sound = v.sound;
                break;
            }
    }
    AudioSound* s = Audio_GetSound(sound);
    if (!s || !s->buffer) return -1.0f;
    ALint size = 0, bits = 0, channels = 0, frequency = 0;
    alGetError();
    alGetBufferi(s->buffer, AL_SIZE, &size);
    alGetBufferi(s->buffer, AL_BITS, &bits);
    alGetBufferi(s->buffer, AL_CHANNELS, &channels);
    alGetBufferi(s->buffer, AL_FREQUENCY, &frequency);
    if (alGetError() != AL_NO_ERROR || channels <= 0 || bits < 8 || frequency <= 0) return -1.0f;
    unsigned frames = (unsigned)size / (unsigned)channels / ((unsigned)bits / 8);
    return (float)frames / (float)frequency;
}

void Audio_SetEmitterFalloff(int emitter, float reference, float maximum, float factor)
{
    AudioEmitter* e = Option_NewAudio ? Audio_GetEmitter(emitter) : nullptr;
    if (!e) return;
    e->reference = reference;
    e->maximum = maximum;
    e->factor = factor;
    if (!Sound_ALDevice()) return;
    for (int index : e->voices) {
        if (index < 0) continue;
        const AudioVoice& v = Voices[(size_t)index];
        if (!v.active || v.stolen || v.source < 0 || v.source >= (int)Pool.size()) continue;
        ALint state = SourceState(v.source);
        ReportIf("Error getting source state\n");
        if (state == AL_STOPPED) continue;
        ALuint id = Pool[(size_t)v.source];
        alSourcef(id, AL_MAX_DISTANCE, maximum);
        alSourcef(id, AL_REFERENCE_DISTANCE, reference);
        alSourcef(id, AL_ROLLOFF_FACTOR, factor);
        ReportIf("Error updating emitter\n");
    }
}

void Audio_SetFalloffModel(int model)
{
    static const ALenum Models[] = {AL_NONE,
                                    AL_INVERSE_DISTANCE,
                                    AL_INVERSE_DISTANCE_CLAMPED,
                                    AL_LINEAR_DISTANCE,
                                    AL_LINEAR_DISTANCE_CLAMPED,
                                    AL_EXPONENT_DISTANCE,
                                    AL_EXPONENT_DISTANCE_CLAMPED};
    if (model < 0 || model > 6) {
        Console_Warnings->Output("Attempting to set audio falloff to unknown model\n");
        return;
    }
    if (Sound_ALDevice()) alDistanceModel(Models[model]);
}

void Audio_SetMasterGain(float gain)
{
    if (!Live()) return;
    if (!(gain >= 0.0f)) gain = 0.0f;
    alListenerf(AL_GAIN, gain);
    alGetError();
    if (Audio_Device) Audio_Device->SetMusicVolume(gain, 10);
}

void Audio_SetChannelNum(int count)
{
    if (!Live()) return;
    count = std::max(count, 0);
    // Voices that sound (playing or paused) keep their sources, those of the highest priority
    // first while the new pool has room; the others end, and the sources of the old pool that no
    // voice keeps go.
    std::vector<int> live;
    for (size_t i = 0; i < Voices.size(); i++) {
        AudioVoice& v = Voices[i];
        if (!v.active) continue;
        ALint state = v.stolen ? AL_STOPPED : SourceState(v.source);
        if (state == AL_PLAYING || state == AL_PAUSED) live.push_back((int)i);
        else Deactivate(v, (int)i);
    }
    std::stable_sort(live.begin(), live.end(), [](int a, int b) { return Voices[(size_t)a].priority > Voices[(size_t)b].priority; });
    std::vector<ALuint> kept;
    for (int index : live) {
        AudioVoice& v = Voices[(size_t)index];
        ALuint& source = Pool[(size_t)v.source];
        if ((int)kept.size() < count) {
            kept.push_back(source);
            v.source = (int)kept.size() - 1;
            source = 0;  // kept: not deleted below
        } else {
            Stop(v, index);
            Deactivate(v, index);
        }
    }
    for (ALuint source : Pool)
        if (source) {
            alSourceStop(source);
            alDeleteSources(1, &source);
        }
    alGetError();
    Pool = std::move(kept);
    GrowPool(count);
}

void Audio_PlayMusic(int sound, bool loop)
{
    AudioSound* s = Audio_Device ? Audio_GetSound(sound) : nullptr;
    if (s) Sound_PlayMusic(s->fileName.c_str(), loop);
}

void Audio_StopMusic()
{
    if (!Audio_Device) return;
    Audio_Device->StopMusic();
    Sound_CurrentMusic.clear();
}

void Audio_PauseMusic()
{
    if (Audio_Device) Audio_Device->PauseMusic();
}

void Audio_ResumeMusic()
{
    if (Audio_Device) Audio_Device->ResumeMusic();
}
