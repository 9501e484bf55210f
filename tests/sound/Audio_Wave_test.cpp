// The audio system as heard through the wave back end: emitters between the channels, falloff
// models, the master gain, and what a source must not keep from the voice before it.
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
    // Plays with `play` at a frame's start and gives the recording time that frame will have.
    template <class Play>
    double Burst(Play play, int frames = 12)
    {
        double at = Now();
        play();
        Frames(frames);
        return at;
    }
};

}  // namespace

TEST_F(AudioWave, EmittersMoveTheSoundBetweenTheChannels)
{
    int e = Audio_CreateEmitter();
    Audio_SetEmitterPosition(e, 100, 0, 0);
    double right = Burst([&] { Audio_PlaySoundOn(e, 0, false, 1); });
    Audio_SetEmitterPosition(e, -100, 0, 0);
    double left = Burst([&] { Audio_PlaySoundOn(e, 0, false, 1); });
    // The listener turned round: +x is on the other side.
    Audio_SetListenerOrientation(0, 0, -1, 0, 1, 0);
    Audio_SetEmitterPosition(e, 100, 0, 0);
    double turned = Burst([&] { Audio_PlaySoundOn(e, 0, false, 1); });
    Recording r = Finish();
    double latency = Align(r, right) - right;
    ASSERT_GT(latency, -0.06);
    auto balance = [&](double at) { return r.RmsLeft(at + latency + 0.03, at + latency + 0.2) / r.RmsRight(at + latency + 0.03, at + latency + 0.2); };
    // Facing +z with y up, +x lies to the left.
    EXPECT_GT(balance(right), 3.0);
    EXPECT_LT(balance(left), 1 / 3.0);
    EXPECT_LT(balance(turned), 1 / 3.0);
}

TEST_F(AudioWave, FalloffModelsAndTheMasterGain)
{
    auto at = [&](int model, float distance) {
        return Burst([&] {
            Audio_SetFalloffModel(model);
            Audio_PlaySoundAt(0, 0, 0, distance, 100, 1000, 1, false, 1);
        });
    };
    double none = at(0, 400);
    double inverse = at(1, 400);         // 100 / (100 + (400 - 100)) = 0.25
    double linear = at(4, 400);          // 1 - (400 - 100) / (1000 - 100) = 2/3
    double exponent = at(5, 400);        // (400 / 100) ^ -1 = 0.25
    double clampedFar = at(2, 5000);     // clamped at the maximum: 100 / 1000
    Audio_SetFalloffModel(0);
    Audio_SetMasterGain(0.5);
    double half = Burst([&] { Audio_PlaySound(0, 1, false); });
    Audio_SetMasterGain(-1);
    double muted = Burst([&] { Audio_PlaySound(0, 1, false); });
    Recording r = Finish();
    double latency = Align(r, none) - none;
    ASSERT_GT(latency, -0.06);
    auto level = [&](double t) { return r.Rms(t + latency + 0.03, t + latency + 0.2); };
    double full = level(none);
    ASSERT_GT(full, 0.05);
    EXPECT_NEAR(level(inverse) / full, 0.25, 0.03);
    EXPECT_NEAR(level(linear) / full, 2.0 / 3, 0.05);
    EXPECT_NEAR(level(exponent) / full, 0.25, 0.03);
    EXPECT_NEAR(level(clampedFar) / full, 0.1, 0.02);
    EXPECT_NEAR(level(half) / full, 0.5, 0.05);
    EXPECT_LT(level(muted), full * 0.01);
}

TEST_F(AudioWave, ASourceKeepsNothingOfTheVoiceBefore)
{
    // One source, so each voice takes the last one's.
    Audio_SetChannelNum(1);
    Audio_SetFalloffModel(0);
    int e = Audio_CreateEmitter();
    Audio_SetEmitterPitch(e, 2);
    Audio_SetEmitterPosition(e, 1000, 0, 0);
    double high = Burst([&] { Audio_PlaySoundOn(e, 0, false, 1); });
    // A voice at a fixed point after it: its own pitch, not the emitter's.
    double at = Burst([&] { Audio_PlaySoundAt(0, 0, 0, 10, 100, 1000, 1, false, 1); });
    // A plain voice in the record the emitter's voice had: the emitter no longer moves it.
    double plain = Burst([&] {
        Audio_PlaySound(0, 1, true);
        Audio_Update();
    });
    Recording r = Finish();
    double latency = Align(r, high) - high;
    ASSERT_GT(latency, -0.06);
    auto span = [&](double t) { return std::make_pair(t + latency + 0.03, t + latency + 0.1); };
    EXPECT_NEAR(r.Frequency(span(high).first, span(high).second), 880, 10);
    EXPECT_NEAR(r.Frequency(span(at).first, span(at).second), 440, 6);
    double balance = r.RmsLeft(span(plain).first, span(plain).second) / r.RmsRight(span(plain).first, span(plain).second);
    EXPECT_NEAR(balance, 1.0, 0.05);
}
