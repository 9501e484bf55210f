// The older sound system as heard through the wave back end: pitch, volume and fades.
#include "WaveTest.h"

#include "Sound/Sound_Hardware.h"

namespace {

using DeviceSound = WaveTest;

const std::vector<uint8_t> kTone = WaveMaker::Tone(440, 0.3);

// Plays sound 0 of the older system; its device entry.
int Play(bool loop)
{
    CSound* s = Sound_GetSound(0);
    int id = s->GetSoundId();
    Sound_Play(s->m_fileName, id, loop);
    return id;
}

}  // namespace

TEST_F(DeviceSound, AToneComesOutAtItsPitchAndVolumesScaleIt)
{
    ASSERT_TRUE(Open(false, {{"snd", 0, "", 1, 0}}, {SoundFile::Entry(kTone)}));
    Frames(2);
    double first = Now();
    int id = Play(false);
    Frames(15);
    Sound_SetVolume(id, 0.5, 0);
    Frames(1);  // the volume is taken at the next tick and the next play
    double second = Now();
    Play(false);
    Frames(15);
    Sound_SetVolume(id, 5.0, 0);  // a volume above 1 is 1
    Frames(1);
    double third = Now();
    Play(false);
    Frames(15);
    Recording r = Finish();
    double a = Align(r, first), b = Align(r, second), c = Align(r, third);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, a + 0.3);
    EXPECT_NEAR(r.Frequency(a + 0.05, a + 0.25), 440, 4);
    double loud = r.Rms(a + 0.05, a + 0.25), soft = r.Rms(b + 0.05, b + 0.25);
    EXPECT_GT(loud, 0.05);
    EXPECT_NEAR(soft / loud, 0.5, 0.05);
    EXPECT_LT(r.Rms(a + 0.35, b - 0.02), 0.001);  // silent between the two
    ASSERT_GT(c, b + 0.3);
    EXPECT_NEAR(r.Rms(c + 0.05, c + 0.25) / loud, 1.0, 0.05);
}

TEST_F(DeviceSound, AFadeOfASecondEndsAfterThirtyFrames)
{
    ASSERT_TRUE(Open(false, {{"snd", 0, "", 1, 0}}, {SoundFile::Entry(WaveMaker::Tone(440, 0.5))}));
    Frames(2);
    double begin = Now();
    int id = Play(true);
    Frames(6);
    double fade = Now();
    Sound_SetVolume(id, 0.0, 1000);  // 30 frames at the default 30 a second
    Frames(45);
    Recording r = Finish();
    double onset = Align(r, begin);
    ASSERT_GT(onset, 0);
    double latency = onset - begin, f = fade + latency;
    double full = r.Rms(onset + 0.02, f);
    ASSERT_GT(full, 0.05);
    EXPECT_NEAR(r.Rms(f + 0.45, f + 0.55) / full, 0.5, 0.12);  // half way
    EXPECT_LT(r.Rms(f + 1.1, f + 1.4), full * 0.02);          // silent after about 30 frames
}

TEST_F(DeviceSound, SamplesRoundRobinFourSourcesAndStopTogether)
{
    ASSERT_TRUE(Open(false, {{"snd", 0, "", 1, 0}}, {SoundFile::Entry(WaveMaker::Tone(440, 0.3, 1, 44100, 0.1))}));
    Frames(2);
    double single = Now();
    Play(false);
    Frames(15);
    double many = Now();
    for (int i = 0; i < 5; i++) Play(false);  // the fifth restarts the oldest: four sound together
    Frames(3);
    CSound* s = Sound_GetSound(0);
    EXPECT_TRUE(Sound_IsPlaying(s->m_fileName, s->m_hardwareId));
    double stop = Now();
    Sound_Stop(s->m_fileName, s->m_hardwareId);
    EXPECT_FALSE(Sound_IsPlaying(s->m_fileName, s->m_hardwareId));
    Frames(6);
    Recording r = Finish();
    double a = Align(r, single), b = Align(r, many);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, a + 0.3);
    double latency = a - single;
    EXPECT_NEAR(r.Rms(b + 0.01, b + 0.05) / r.Rms(a + 0.01, a + 0.05), 4.0, 0.3);
    EXPECT_LT(r.Rms(stop + latency + 0.05, stop + latency + 0.15), 0.001);
}
