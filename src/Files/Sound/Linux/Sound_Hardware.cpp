// The sound device on OpenAL Soft and freealut. freealut is started without a context: the
// context is the runner's own, asking for enough sources for four a sample and the audio
// system's pool (OpenAL Soft's default of 256 is too few).
#include "Sound/Sound_Hardware.h"

#include "Base/Console.h"
#include "Sound/Linux/Sound_AL.h"
#include "Sound/MCI.h"
#include "Sound/Sound_Wave.h"

#include <AL/alut.h>
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <set>
#include <vector>

bool Sound_NoAudio = false;
SoundHardware* g_SoundHardware = nullptr;

constexpr int SAMPLE_SOURCES = 4;

struct SoundSample {
    ALuint buffer = 0;
    ALuint sources[SAMPLE_SOURCES] = {};
    int nextSource = 0;
    float gain = 1.0f;
    float fadeStep = 0.0f;
    int fadeFrames = 0;
};

namespace {
constexpr ALCint MONO_SOURCES = 4096, STEREO_SOURCES = 16;
ALCdevice* Device = nullptr;
ALCcontext* Context = nullptr;
std::vector<SoundSample*> Samples;  // every sample loaded and not freed

bool Live() { return !Sound_NoAudio && Context; }

void CloseDevice()
{
    if (Context) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(Context);
    }
    if (Device) alcCloseDevice(Device);
    Context = nullptr;
    Device = nullptr;
    alutExit();
}

// The device's error lines written so far.
std::set<std::string> Reported;

}  // namespace

void Sound_ReportOnce(const char* format, ...)
{
    char line[512];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (Reported.insert(line).second) Console_Warnings->Output("%s", line);
}

ALCdevice* Sound_ALDevice() { return Live() ? Device : nullptr; }

void Sound_SetSourceGain(ALuint source, float gain)
{
    // NaN and negative gains would be refused by OpenAL; they are silence.
    alSourcef(source, AL_GAIN, gain >= 0.0f ? gain : 0.0f);
}

void Sound_ReportErrors()
{
    ALenum error = alGetError();
    if (error != AL_NO_ERROR) Sound_ReportOnce("AL Error : %08x(%d)\n", (unsigned)error, (int)error);
    ALenum alut = alutGetError();
    if (alut != ALUT_ERROR_NO_ERROR) Sound_ReportOnce("ALUT Error : %s\n", alutGetErrorString(alut));
}

int SoundHardware::Init()
{
    if (Sound_NoAudio || Context) return 0;
    m_music.clear();
    Reported.clear();
    alutInitWithoutContext(nullptr, nullptr);
    Device = alcOpenDevice(nullptr);
    const ALCint attributes[] = {ALC_MONO_SOURCES, MONO_SOURCES, ALC_STEREO_SOURCES, STEREO_SOURCES, 0};
    if (Device) Context = alcCreateContext(Device, attributes);
    if (!Context || !alcMakeContextCurrent(Context)) {
        Console_Warnings->Output("No audio device could be opened: the game plays without sound.\n");
        CloseDevice();
        return 0;
    }
    Sound_ReportErrors();
    return 0;
}

void SoundHardware::Quit()
{
    if (!Context) return;
    MCI_CloseAll();
    m_music.clear();
    while (!Samples.empty()) Free(Samples.back());
    CloseDevice();
}

ALuint Sound_BufferFromImage(const void* data, size_t size)
{
    WaveInfo wave;
    const char* why = "";
    WaveFailure failure = WaveFailure::Damaged;
    if (!Wave_Read((const uint8_t*)data, size, &wave, &why, &failure)) {
        // The reader's reason, under the code the image loader gives such an image.
        ALenum code = failure == WaveFailure::NotSound      ? ALUT_ERROR_UNSUPPORTED_FILE_TYPE
                      : failure == WaveFailure::Unsupported ? ALUT_ERROR_UNSUPPORTED_FILE_SUBTYPE
                                                            : ALUT_ERROR_CORRUPT_OR_TRUNCATED_DATA;
        Sound_ReportOnce("ALUT error on load %08x(%d) : %s\n", (unsigned)code, (int)code, why);
        return 0;
    }
    std::vector<uint8_t> image = Wave_Canonical(wave);
    alGetError();
    ALuint buffer = alutCreateBufferFromFileImage(image.data(), (ALsizei)image.size());
    ALenum alut = alutGetError();
    if (alut != ALUT_ERROR_NO_ERROR) {
        Sound_ReportOnce("ALUT error on load %08x(%d) : %s\n", (unsigned)alut, (int)alut, alutGetErrorString(alut));
        return 0;
    }
    ALenum error = alGetError();
    if (error != AL_NO_ERROR) {
        Sound_ReportOnce("AL error on load %08x(%d)\n", (unsigned)error, (int)error);
        if (alIsBuffer(buffer)) alDeleteBuffers(1, &buffer);
        return 0;
    }
    return buffer;
}

SoundSample* SoundHardware::Load(const void* data, size_t size, int index)
{
    if (!Live()) return nullptr;
    ALuint buffer = Sound_BufferFromImage(data, size);
    if (!buffer) return nullptr;
    ALenum error;
    SoundSample* sample = new SoundSample;
    sample->buffer = buffer;
    alGenSources(SAMPLE_SOURCES, sample->sources);
    if ((error = alGetError()) != AL_NO_ERROR) {
        // Without its sources a sample could never sound: the sound stays silent instead.
        Sound_ReportOnce("AL Error : %08x(%d)\n", (unsigned)error, (int)error);
        alDeleteBuffers(1, &buffer);
        delete sample;
        return nullptr;
    }
    for (ALuint source : sample->sources) {
        alSourcei(source, AL_BUFFER, (ALint)buffer);
        Sound_ReportErrors();
    }
    Samples.push_back(sample);
    return sample;
}

void SoundHardware::Free(SoundSample* sample)
{
    auto it = std::find(Samples.begin(), Samples.end(), sample);
    if (!sample || it == Samples.end()) return;
    Samples.erase(it);
    alSourceStopv(SAMPLE_SOURCES, sample->sources);
    alDeleteSources(SAMPLE_SOURCES, sample->sources);
    alDeleteBuffers(1, &sample->buffer);
    Sound_ReportErrors();
    delete sample;
}

void SoundHardware::Play(SoundSample* sample, bool loop)
{
    if (!Live() || !sample) return;
    ALuint source = sample->sources[sample->nextSource];
    sample->nextSource = (sample->nextSource + 1) % SAMPLE_SOURCES;
    Sound_SetSourceGain(source, sample->gain * m_masterVolume);
    Sound_ReportErrors();
    alSourcei(source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    Sound_ReportErrors();
    alSourcePlay(source);
    Sound_ReportErrors();
}

void SoundHardware::Stop(SoundSample* sample)
{
    if (!Live() || !sample) return;
    alSourceStopv(SAMPLE_SOURCES, sample->sources);
    Sound_ReportErrors();
}

bool SoundHardware::Playing(SoundSample* sample)
{
    if (!Live() || !sample) return false;
    for (ALuint source : sample->sources) {
        ALint state = AL_STOPPED;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        if (state == AL_PLAYING) return true;
    }
    return false;
}

void SoundHardware::SetSampleVolume(SoundSample* sample, float volume, int milliseconds)
{
    if (!Live() || !sample) return;
    int frames = Sound_FadeFrames(milliseconds);
    sample->fadeStep = (volume - sample->gain) / (float)frames;
    sample->fadeFrames = frames;
}

void SoundHardware::SetMusicVolume(float volume, int milliseconds)
{
    if (!Live()) return;
    if (m_music.empty()) {
        m_musicVolume = volume;
        return;
    }
    int frames = Sound_FadeFrames(milliseconds);
    m_musicFadeStep = (volume - m_musicVolume) / (float)frames;
    m_musicFadeFrames = frames;
}

void SoundHardware::StartMusic(const char* name, bool loop, bool midi)
{
    if (!Live() || !name) return;
    std::string music = name;
    if (music.size() >= 256) {
        Console_Warnings->Output("The music name %.40s... is too long to play.\n", name);
        return;
    }
    if (midi) {
        if (music.size() < 3) return;
        music.replace(music.size() - 3, 3, "mp3");
    }
    if (!m_music.empty()) StopMusic();
    m_music = music;
    MCI_PlayFile(m_music.c_str(), loop);
}

void SoundHardware::PlayMP3(const char* name, bool loop) { StartMusic(name, loop, false); }
void SoundHardware::PlayMIDI(const char* name, bool loop) { StartMusic(name, loop, true); }

// The music commands go only to music that was started: MCI would answer any other with an error.
void SoundHardware::StopMusic()
{
    if (!Live() || m_music.empty()) return;
    m_music.clear();
    MCI_Stop();
}

bool SoundHardware::PlayingMP3()
{
    return Live() && !m_music.empty() && MCI_IsPlaying();
}

void SoundHardware::PauseMusic()
{
    if (Live() && !m_music.empty()) MCI_Pause();
}

void SoundHardware::ResumeMusic()
{
    if (Live() && !m_music.empty()) MCI_Resume();
}

void SoundHardware::Tick()
{
    if (!Live()) return;
    Sound_ReportErrors();
    for (SoundSample* sample : Samples) {
        if (sample->fadeFrames <= 0) continue;
        float gain = sample->gain + sample->fadeStep;
        sample->gain = gain > 1.0f ? 1.0f : gain >= 0.0f ? gain : 0.0f;  // NaN gives 0
        sample->fadeFrames--;
        for (ALuint source : sample->sources) {
            ALint state = AL_STOPPED;
            alGetSourcei(source, AL_SOURCE_STATE, &state);
            Sound_ReportErrors();
            if (state == AL_PLAYING) Sound_SetSourceGain(source, sample->gain * m_masterVolume);
        }
    }
    if (m_musicFadeFrames > 0) {
        m_musicFadeFrames--;
        m_musicVolume += m_musicFadeStep;
        if (!m_music.empty()) MCI_SetVolume(m_musicVolume);
    }
}
