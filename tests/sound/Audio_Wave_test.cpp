// The audio system as heard through the wave back end: emitters between the channels, falloff
// models, the master gain, and what a source must not keep from the voice before it. Each play
// is a burst of a quarter second with silence after it; the bursts are found in the recording.
#include "WaveTest.h"

#include <cmath>

namespace {

class AudioWave : public WaveTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Open(true, {{"snd", 0, "", 1, 0}}, {SoundFile::Entry(WaveMaker::Tone(440, 0.25))}));
        Frames(2);
    }
    template <class Play>
    void Burst(Play play)
    {
        play();
        Frames(12);
    }
    // The bursts of the recording; the test fails unless there are `count`.
    static std::vector<std::pair<double, double>> Expect(const Recording& r, size_t count)
    {
        std::vector<std::pair<double, double>> bursts = r.Bursts(0.005);
        EXPECT_EQ(bursts.size(), count);
        bursts.resize(count, {0.0, 0.0});
        return bursts;
    }
};

// The middle of a burst, clear of its edges.
double From(const std::pair<double, double>& b) { return b.first + 0.03; }
double To(const std::pair<double, double>& b) { return b.first + 0.2; }

}  // namespace

TEST_F(AudioWave, EmittersMoveTheSoundBetweenTheChannels)
{
    int e = Audio_CreateEmitter();
    Audio_SetEmitterPosition(e, 100, 0, 0);
    Burst([&] { Audio_PlaySoundOn(e, 0, false, 1); });
    Audio_SetEmitterPosition(e, -100, 0, 0);
    Burst([&] { Audio_PlaySoundOn(e, 0, false, 1); });
    // The listener turned round: +x is on the other side.
    Audio_SetListenerOrientation(0, 0, -1, 0, 1, 0);
    Audio_SetEmitterPosition(e, 100, 0, 0);
    Burst([&] { Audio_PlaySoundOn(e, 0, false, 1); });
    Recording r = Finish();
    auto b = Expect(r, 3);
    auto balance = [&](int i) { return r.RmsLeft(From(b[i]), To(b[i])) / r.RmsRight(From(b[i]), To(b[i])); };
    // Facing +z with y up, +x lies to the left.
    EXPECT_GT(balance(0), 3.0);
    EXPECT_LT(balance(1), 1 / 3.0);
    EXPECT_LT(balance(2), 1 / 3.0);
}

TEST_F(AudioWave, FalloffModelsAndTheMasterGain)
{
    auto at = [&](int model, float distance) {
        Burst([&] {
            Audio_SetFalloffModel(model);
            Audio_PlaySoundAt(0, 0, 0, distance, 100, 1000, 1, false, 1);
        });
    };
    at(0, 400);     // no falloff
    at(1, 400);     // 100 / (100 + (400 - 100)) = 0.25
    at(4, 400);     // 1 - (400 - 100) / (1000 - 100) = 2/3
    at(5, 400);     // (400 / 100) ^ -1 = 0.25
    at(2, 5000);    // clamped at the maximum: 100 / 1000
    Audio_SetFalloffModel(0);
    Audio_SetMasterGain(0.5);
    Burst([&] { Audio_PlaySound(0, 1, false); });
    Audio_SetMasterGain(-1);  // silence: no seventh burst
    Burst([&] { Audio_PlaySound(0, 1, false); });
    Recording r = Finish();
    auto b = Expect(r, 6);
    auto level = [&](int i) { return r.Rms(From(b[i]), To(b[i])); };
    double full = level(0);
    ASSERT_GT(full, 0.05);
    EXPECT_NEAR(level(1) / full, 0.25, 0.03);
    EXPECT_NEAR(level(2) / full, 2.0 / 3, 0.05);
    EXPECT_NEAR(level(3) / full, 0.25, 0.03);
    EXPECT_NEAR(level(4) / full, 0.1, 0.02);
    EXPECT_NEAR(level(5) / full, 0.5, 0.05);
    EXPECT_LT(r.Rms(b[5].second + 0.05, r.Seconds()), full * 0.01);
}

TEST_F(AudioWave, ASourceKeepsNothingOfTheVoiceBefore)
{
    // One source, so each voice takes the last one's.
    Audio_SetChannelNum(1);
    Audio_SetFalloffModel(0);
    int e = Audio_CreateEmitter();
    Audio_SetEmitterPitch(e, 2);
    Audio_SetEmitterPosition(e, 1000, 0, 0);
    Burst([&] { Audio_PlaySoundOn(e, 0, false, 1); });
    // A voice at a fixed point after it: its own pitch, not the emitter's.
    Burst([&] { Audio_PlaySoundAt(0, 0, 0, 10, 100, 1000, 1, false, 1); });
    // A plain voice in the record the emitter's voice had: the emitter no longer moves it.
    Burst([&] {
        Audio_PlaySound(0, 1, false);
        Audio_Update();
    });
    Recording r = Finish();
    auto b = Expect(r, 3);
    EXPECT_NEAR(r.Frequency(b[0].first + 0.02, b[0].first + 0.1), 880, 10);  // a pitch of 2 halves its length
    EXPECT_NEAR(r.Frequency(From(b[1]), To(b[1])), 440, 6);
    EXPECT_NEAR(r.RmsLeft(From(b[2]), To(b[2])) / r.RmsRight(From(b[2]), To(b[2])), 1.0, 0.05);
}
