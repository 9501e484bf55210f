// Particle types: slots and defaults, the random draw within a range, and a new particle's set-up
// and colours.
#include "Particle/Particle_Internal.h"

#include "Base/Color.h"
#include "Base/Random.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class ParticleTypes : public ::testing::Test {
protected:
    void SetUp() override
    {
        Particle_Init();
        Random_Seed(1234);
    }
    void TearDown() override { Particle_Init(); }

    // A particle of the type at its birth, then aged to the given step.
    static Particle Born(int type, int age = 0)
    {
        Particle p = {};
        EXPECT_TRUE(Particle_Setup(0, 0, type, &p));
        p.age = age;
        if (age > 0) Particle_ComputeColor(&p);
        return p;
    }
};

}  // namespace

TEST_F(ParticleTypes, SlotsDefaultsAndWhatAClearKeeps)
{
    int a = ParticleType_Create(), b = ParticleType_Create();
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
    const ParticleType& t = Particle_TypeOf(a);
    EXPECT_EQ(t.sprite, -1);
    EXPECT_TRUE(t.animate);
    EXPECT_EQ(t.lifeMin, 100);
    EXPECT_EQ(t.gravityDirection, 270);
    EXPECT_EQ(t.colour[0], 0xFFFFFF);
    EXPECT_EQ(t.alpha[2], 1);
    EXPECT_FALSE(t.additive);

    ParticleType_Blend(a, true);
    ParticleType_ColorHSV(a, 1, 2, 3, 4, 5, 6);
    ParticleType_Speed(a, 3, 4, 0, 0);
    ParticleType_Clear(a);
    EXPECT_TRUE(t.additive);
    EXPECT_EQ(t.colour[3], 4);
    EXPECT_EQ(t.colour[5], 6);
    EXPECT_EQ(t.colour[0], 0xFFFFFF);
    EXPECT_EQ(t.colourMode, COLOUR_ONE);
    EXPECT_EQ(t.speed.max, 0);

    // A destroyed slot is reused, and its successor inherits the additive flag.
    ParticleType_Destroy(a);
    EXPECT_FALSE(ParticleType_Exists(a));
    EXPECT_EQ(ParticleType_Create(), a);
    EXPECT_TRUE(Particle_TypeOf(a).additive);
    EXPECT_FALSE(Particle_TypeOf(ParticleType_Create()).additive);

    // Indexes that name nothing are ignored.
    for (int bad : {-1, 3, 1000, INT32_MIN}) {
        EXPECT_FALSE(ParticleType_Exists(bad));
        ParticleType_Destroy(bad);
        ParticleType_Life(bad, 1, 1);
        Particle p;
        EXPECT_FALSE(Particle_Setup(0, 0, bad, &p));
    }
    EXPECT_EQ(ParticleType_Count(), 3);
}

TEST_F(ParticleTypes, SettersKeepTheirOwnFields)
{
    int t = ParticleType_Create();
    ParticleType_Alpha2(t, 1, 0);
    EXPECT_EQ(Particle_TypeOf(t).alpha[1], 0.5f);
    EXPECT_EQ(Particle_TypeOf(t).alpha[2], 0);
    ParticleType_Shape(t, 5);
    ParticleType_Sprite(t, 7, false, true, true);
    EXPECT_EQ(Particle_TypeOf(t).shape, 5);  // a sprite leaves the shape
    EXPECT_EQ(Particle_TypeOf(t).sprite, 7);
    ParticleType_Shape(t, 3);
    EXPECT_EQ(Particle_TypeOf(t).sprite, -1);  // a shape drops the sprite
    // Step and death take the number first, then the type.
    ParticleType_Step(t, 2, 9);
    ParticleType_Death(t, -4, 8);
    EXPECT_EQ(Particle_TypeOf(t).stepNumber, 2);
    EXPECT_EQ(Particle_TypeOf(t).stepType, 9);
    EXPECT_EQ(Particle_TypeOf(t).deathNumber, -4);
    EXPECT_EQ(Particle_TypeOf(t).deathType, 8);
}

// Every draw of an empty or inverted range is its minimum, and lifetimes are whole steps.
TEST_F(ParticleTypes, RangesAndLifetimes)
{
    for (int d = 0; d < 3; d++) {
        EXPECT_EQ(Particle_RandomInRange(30, 10, d), 30);
        EXPECT_EQ(Particle_RandomInRange(-2, -2, d), -2);
    }
    int t = ParticleType_Create();
    ParticleType_Life(t, 30, 10);
    ParticleType_Speed(t, 1, 3, 0, 0);
    ParticleType_Size(t, 0.5f, 0.25f, 0, 0);
    for (int i = 0; i < 200; i++) {
        Particle p = Born(t);
        EXPECT_EQ(p.lifetime, 30);
        EXPECT_EQ(p.size, 0.5f);
        EXPECT_TRUE(p.speed >= 1 && p.speed < 3) << p.speed;
        EXPECT_TRUE(p.seed >= 0 && p.seed < 100000);
        EXPECT_EQ(p.firstFrame, 0);
    }
    ParticleType_Life(t, 10, 12);
    ParticleType_Sprite(t, -1, true, false, true);
    bool seen[3] = {};
    bool frames = false;
    for (int i = 0; i < 300; i++) {
        Particle p = Born(t);
        ASSERT_TRUE(p.lifetime >= 10 && p.lifetime <= 12) << p.lifetime;
        seen[p.lifetime - 10] = true;
        frames |= p.firstFrame > 0;
    }
    EXPECT_TRUE(seen[0] && seen[1]);
    EXPECT_TRUE(frames);
    // The extreme lives do not overflow.
    ParticleType_Life(t, INT32_MIN, INT32_MAX);
    for (int i = 0; i < 50; i++) Born(t);
    ParticleType_Life(t, INT32_MAX, INT32_MAX);
    EXPECT_EQ(Born(t).lifetime, INT32_MAX);
}

// Seeded histograms of the three distributions over 0..1 in ten bins, against the shares of a
// normal curve cut at three deviations.
TEST_F(ParticleTypes, DistributionHistograms)
{
    const int n = 100000;
    auto phi = [](double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); };
    auto gaussianShare = [&](double a, double b) { return (phi(b) - phi(a)) / (phi(3) - phi(-3)); };
    for (int d = 0; d < 3; d++) {
        int bins[10] = {};
        for (int i = 0; i < n; i++) {
            float v = Particle_RandomInRange(0, 1, d);
            ASSERT_TRUE(v >= 0 && v < 1) << v;
            bins[std::min(9, (int)(v * 10))]++;
        }
        for (int b = 0; b < 10; b++) {
            double want = 0.1;
            if (d == 1) want = gaussianShare(b * 0.6 - 3, b * 0.6 - 2.4);
            // The inverse: 0..0.5 holds the upper half of the curve, 0.5..1 the lower half.
            if (d == 2) want = b < 5 ? gaussianShare(b * 0.6, b * 0.6 + 0.6) : gaussianShare(b * 0.6 - 6, b * 0.6 - 5.4);
            EXPECT_NEAR(bins[b] / (double)n, want, 0.006) << "distribution " << d << " bin " << b;
        }
    }
}

TEST_F(ParticleTypes, ColoursAtBirthAndAlongTheLife)
{
    int t = ParticleType_Create();
    ParticleType_Color2(t, 0x0000FF, 0xFF0000);
    Particle p = Born(t);
    EXPECT_EQ(p.colour, 0x0000FFu);
    p.lifetime = 10;
    p.age = 5;
    Particle_ComputeColor(&p);
    EXPECT_EQ((int)p.colour, Color_Merge(0x0000FF, 0xFF0000, 0.5f));
    p.age = 40;  // past the end: the end colour
    Particle_ComputeColor(&p);
    EXPECT_EQ(p.colour, 0xFF0000u);

    ParticleType_Color3(t, 0x0000FF, 0x00FF00, 0xFF0000);
    p.age = 5;
    Particle_ComputeColor(&p);
    EXPECT_EQ(p.colour, 0x00FF00u);
    p.age = 8;  // three quarters of the way from the middle colour to the last
    Particle_ComputeColor(&p);
    EXPECT_EQ((int)p.colour, Color_Merge(0x00FF00, 0xFF0000, 0.6f));

    // Ranges are drawn at birth only.
    ParticleType_ColorRGB(t, 255, 255, 0, 0, 128, 128);
    p = Born(t);
    EXPECT_EQ(p.colour, 0x8000FFu);
    ParticleType_ColorHSV(t, 0, 0, 255, 255, 255, 255);
    EXPECT_EQ(Born(t).colour, 0x0000FFu);
    p = Born(t, 5);
    EXPECT_EQ(p.colour, 0x0000FFu);
    // Negative stored values are read as unsigned: far beyond a byte, whose low bits are 0.
    ParticleType_ColorRGB(t, -1, -1, INT32_MIN, INT32_MIN, 255, 255);
    EXPECT_EQ(Born(t).colour, 0xFF0000u);

    ParticleType_ColorMix(t, 0x0000FF, 0xFF0000);
    bool mixed = false;
    for (int i = 0; i < 20; i++) {
        uint32_t c = Born(t).colour;
        EXPECT_EQ(c & 0xFF00, 0u);
        EXPECT_NEAR((int)(c & 0xFF) + (int)(c >> 16), 255, 1);
        mixed |= (c & 0xFF) > 10 && (c >> 16) > 10;
    }
    EXPECT_TRUE(mixed);
}
