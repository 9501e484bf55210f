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
    int id = Play(false);
    Frames(15);
    Sound_SetVolume(id, 0.5, 0);
    Frames(1);  // the volume is taken at the next tick and the next play
    Play(false);
    Frames(15);
    Sound_SetVolume(id, 5.0, 0);  // a volume above 1 is 1
    Frames(1);
    Play(false);
    Frames(15);
    Recording r = Finish();
    auto b = r.Bursts(0.005);
    ASSERT_EQ(b.size(), 3u);
    EXPECT_NEAR(b[0].second - b[0].first, 0.3, 0.02);
    EXPECT_NEAR(r.Frequency(b[0].first + 0.05, b[0].first + 0.25), 440, 4);
    double loud = r.Rms(b[0].first + 0.05, b[0].first + 0.25);
    EXPECT_GT(loud, 0.05);
    EXPECT_NEAR(r.Rms(b[1].first + 0.05, b[1].first + 0.25) / loud, 0.5, 0.05);
    EXPECT_NEAR(r.Rms(b[2].first + 0.05, b[2].first + 0.25) / loud, 1.0, 0.05);
}

TEST_F(DeviceSound, AFadeOfASecondEndsAfterThirtyFrames)
{
    ASSERT_TRUE(Open(false, {{"snd", 0, "", 1, 0}}, {SoundFile::Entry(WaveMaker::Tone(440, 0.5))}));
    Frames(2);
    int id = Play(true);
    Frames(6);
    Sound_SetVolume(id, 0.0, 1000);  // 30 frames at the default 30 a second
    Frames(45);
    Recording r = Finish();
    double onset = r.Onset(0.01);
    ASSERT_GT(onset, 0);
    double full = r.Rms(onset + 0.02, onset + 0.12);
    ASSERT_GT(full, 0.05);
    // The fade read off the recording: where the level first falls, and where it is gone.
    const double step = 0.01;
    double begin = -1, end = -1;
    for (double t = onset; t + step < r.Seconds() && end < 0; t += step) {
        double level = r.Rms(t, t + step);
        if (begin < 0 && level < full * 0.95) begin = t;
        if (begin >= 0 && level < full * 0.02) end = t;
    }
    ASSERT_GT(begin, onset);
    ASSERT_GT(end, begin);
    EXPECT_NEAR(end - begin, 1.0, 0.25);  // about 30 frames
    double middle = (begin + end) / 2;
    EXPECT_NEAR(r.Rms(middle - 0.05, middle + 0.05) / full, 0.5, 0.15);
    EXPECT_LT(r.Rms(end + 0.05, r.Seconds()), full * 0.02);  // and silent after
}

TEST_F(DeviceSound, SamplesRoundRobinFourSourcesAndStopTogether)
{
    ASSERT_TRUE(Open(false, {{"snd", 0, "", 1, 0}}, {SoundFile::Entry(WaveMaker::Tone(440, 0.3, 1, 44100, 0.1))}));
    Frames(2);
    Play(false);
    Frames(15);
    for (int i = 0; i < 5; i++) Play(false);  // the fifth restarts the oldest: four sound together
    Frames(3);
    CSound* s = Sound_GetSound(0);
    EXPECT_TRUE(Sound_IsPlaying(s->m_fileName, s->m_hardwareId));
    Sound_Stop(s->m_fileName, s->m_hardwareId);
    EXPECT_FALSE(Sound_IsPlaying(s->m_fileName, s->m_hardwareId));
    Frames(6);
    Recording r = Finish();
    auto b = r.Bursts(0.002);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_NEAR(r.Rms(b[1].first + 0.01, b[1].first + 0.05) / r.Rms(b[0].first + 0.01, b[0].first + 0.05), 4.0, 0.3);
    EXPECT_LT(b[1].second - b[1].first, 0.25);  // stopped before its end
}
