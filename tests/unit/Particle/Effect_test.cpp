// Effects: their systems and types, their lives at different room speeds, and rooms without them.
#include "Particle/Particle_Internal.h"

#include "Base/Random.h"
#include "Room/Room_Class.h"
#include "Room/Room_Main.h"
#include "Run/Run_Main.h"

#include <gtest/gtest.h>

namespace {

enum { EF_EXPLOSION = 0, EF_RING = 1, EF_FIREWORK = 3, EF_SMOKE = 4, EF_RAIN = 10, EF_SNOW = 11 };
// The systems made by the first effect when no system exists before it.
const int BELOW = 0, ABOVE = 1;

class Effects : public ::testing::Test {
protected:
    void SetUp() override
    {
        Particle_Init();
        Random_Seed(7);
        room.width = 300;
        room.height = 200;
        Run_Room = &room;
        fps = Run_FPS;
    }
    void TearDown() override
    {
        Run_Room = nullptr;
        Run_FPS = fps;
        Particle_Init();
    }
    static const std::vector<Particle>& Particles(int system) { return ParticleSystem_Get(system)->particles; }
    // The updates after which the last particle of the system has gone.
    static int Lifespan(int system)
    {
        int updates = 0;
        while (ParticleSystem_CountParticles(system) > 0 && updates < 1000) {
            ParticleSystem_Update(system);
            updates++;
        }
        return updates;
    }
    void Speeds(int roomSpeed, int framesPerSecond)
    {
        room.speed = roomSpeed;
        Run_FPS = framesPerSecond;
    }

    CRoom room;
    int fps = 0;
};

}  // namespace

TEST_F(Effects, SystemsAndTypesAreMadeOnce)
{
    Effect_Create(false, EF_RING, 10, 20, 0, 0x00FF00);
    ASSERT_TRUE(ParticleSystem_Exists(BELOW) && ParticleSystem_Exists(ABOVE));
    EXPECT_EQ(ParticleSystem_Get(BELOW)->depth, 100000);
    EXPECT_EQ(ParticleSystem_Get(ABOVE)->depth, -100000);
    EXPECT_EQ(ParticleSystem_CountParticles(ABOVE), 1);
    EXPECT_EQ(ParticleSystem_CountParticles(BELOW), 0);
    EXPECT_EQ(Particles(ABOVE)[0].colour, 0x00FF00u);
    EXPECT_EQ(Particles(ABOVE)[0].x, 10);
    // All 38 types exist, so the game's next type is 38.
    EXPECT_EQ(ParticleType_Create(), 38);
    Effect_Create(true, EF_RING, 0, 0, 0, 0);
    EXPECT_EQ(ParticleType_Create(), 39);
    EXPECT_EQ(ParticleSystem_CountParticles(BELOW), 1);

    // A destroyed effect system comes back at its depth; clearing keeps the systems.
    ParticleSystem_Destroy(BELOW);
    EXPECT_FALSE(ParticleSystem_Exists(BELOW));
    Effect_Create(true, EF_RING, 0, 0, 0, 0);
    ASSERT_TRUE(ParticleSystem_Exists(BELOW));
    EXPECT_EQ(ParticleSystem_Get(BELOW)->depth, 100000);
    EXPECT_EQ(ParticleSystem_CountParticles(BELOW), 1);
    Effect_Clear();
    EXPECT_EQ(ParticleSystem_CountParticles(BELOW), 0);
    EXPECT_EQ(ParticleSystem_CountParticles(ABOVE), 0);
    EXPECT_TRUE(ParticleSystem_Exists(BELOW) && ParticleSystem_Exists(ABOVE));
    EXPECT_EQ(ParticleType_Create(), 40);
}

TEST_F(Effects, LivesFollowTheRoomSpeed)
{
    Speeds(30, 30);
    EXPECT_EQ(Effect_TimeFactor(), 1);
    for (int i = 0; i < 20; i++) Effect_Create(false, EF_RING, 0, 0, 0, 0);
    int span = Lifespan(ABOVE);
    EXPECT_TRUE(span >= 10 && span <= 12) << span;

    // At 60 steps a second, running at that speed: everything lasts twice as long.
    Speeds(60, 60);
    EXPECT_FLOAT_EQ(Effect_TimeFactor(), 0.5f);
    for (int i = 0; i < 20; i++) Effect_Create(false, EF_RING, 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(Particle_TypeOf(Particles(ABOVE)[0].type).size.increase, 0.075f);
    for (const Particle& p : Particles(ABOVE)) EXPECT_TRUE(p.lifetime >= 20 && p.lifetime <= 24) << p.lifetime;
    span = Lifespan(ABOVE);
    EXPECT_TRUE(span >= 20 && span <= 24) << span;

    // Running well below its speed, the game goes by the frames it makes.
    Speeds(60, 40);
    EXPECT_FLOAT_EQ(Effect_TimeFactor(), 0.75f);
    Speeds(60, 55);
    EXPECT_FLOAT_EQ(Effect_TimeFactor(), 0.5f);
    Speeds(60, 30);
    EXPECT_EQ(Effect_TimeFactor(), 1);
    Speeds(20, 60);
    EXPECT_EQ(Effect_TimeFactor(), 1);
    Run_Room = nullptr;
    EXPECT_EQ(Effect_TimeFactor(), 1);
}

TEST_F(Effects, ExplosionsAndSizes)
{
    Speeds(30, 30);
    Effect_Create(false, EF_EXPLOSION, 50, 60, 0, 0x0000FF);
    ASSERT_EQ(ParticleSystem_CountParticles(ABOVE), 21);
    EXPECT_EQ(Particles(ABOVE)[0].colour, 0x0000FFu);
    EXPECT_EQ(Particles(ABOVE)[20].colour, 0u);  // the dark cloud
    EXPECT_FLOAT_EQ(Particles(ABOVE)[0].size, 0.1f);
    EXPECT_FLOAT_EQ(Particles(ABOVE)[0].speed, 2);
    // 1, 3 and -1 are medium; 2 is large.
    for (int size : {1, 3, -1}) {
        Effect_Clear();
        Effect_Create(false, EF_EXPLOSION, 0, 0, size, 0);
        EXPECT_FLOAT_EQ(Particles(ABOVE)[0].size, 0.3f) << size;
    }
    Effect_Clear();
    Effect_Create(false, EF_FIREWORK, 0, 0, 2, 0);
    EXPECT_EQ(ParticleSystem_CountParticles(ABOVE), 250);

    // Smoke scatters around the point; rain and snow fall from above the room wherever asked.
    Effect_Clear();
    Effect_Create(false, EF_SMOKE, 100, 100, 0, 0);
    ASSERT_EQ(ParticleSystem_CountParticles(ABOVE), 6);
    for (const Particle& p : Particles(ABOVE)) EXPECT_TRUE(p.x >= 95 && p.x <= 104 && p.y >= 95 && p.y <= 104);
    Effect_Clear();
    Effect_Create(false, EF_RAIN, 1000, 1000, 2, 0);
    Effect_Create(false, EF_SNOW, 1000, 1000, 2, 0);
    ASSERT_EQ(ParticleSystem_CountParticles(ABOVE), 16);
    for (const Particle& p : Particles(ABOVE)) {
        EXPECT_TRUE(p.x >= -60 && p.x < 360 && p.y >= -30 && p.y < -10) << p.x << ", " << p.y;
        EXPECT_EQ(p.lifetime, p.type == Particles(ABOVE)[0].type ? 40 : 100);  // a fifth or half the height
    }
    // Unknown kinds make nothing.
    Effect_Clear();
    Effect_Create(false, 12, 0, 0, 0, 0);
    Effect_Create(false, -1, 0, 0, 0, 0);
    EXPECT_EQ(ParticleSystem_CountParticles(ABOVE), 0);
}

// Before the first room (an extension's start-up code) there is no room to read.
TEST_F(Effects, WithoutARoomNothingHappens)
{
    Run_Room = nullptr;
    for (int kind = 0; kind < 12; kind++) Effect_Create(kind % 2 == 0, kind, 0, 0, 1, 0);
    Effect_Clear();
    EXPECT_EQ(ParticleSystem_Count(), 0);
    EXPECT_EQ(ParticleType_Count(), 0);
}
