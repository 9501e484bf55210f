// Particle systems without drawing: slots, creation and its caps, emitters and the update passes.
#include "../Base/CapturedWarnings.h"
#include "Particle/Particle_Internal.h"

#include "Base/Color.h"
#include "Base/Random.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

namespace {

class ParticleSystems : public ::testing::Test {
protected:
    void SetUp() override
    {
        Particle_Init();
        Random_Seed(99);
        ps = ParticleSystem_Create();
        type = ParticleType_Create();
    }
    void TearDown() override { Particle_Init(); }

    std::vector<Particle>& Particles() { return ParticleSystem_Get(ps)->particles; }
    // The one particle of a system made of the type at (x, y).
    Particle& One(float x, float y, int t)
    {
        ParticleSystem_ClearParticles(ps);
        ParticleSystem_CreateParticles(ps, x, y, t, 1);
        EXPECT_EQ(ParticleSystem_CountParticles(ps), 1);
        return Particles()[0];
    }
    void Update(int times = 1)
    {
        for (int i = 0; i < times; i++) ParticleSystem_Update(ps);
    }
    static size_t Count(const std::string& text, const std::string& line)
    {
        size_t n = 0;
        for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) n++;
        return n;
    }

    TCapturedWarnings warnings;
    int ps = -1, type = -1;
};

}  // namespace

TEST_F(ParticleSystems, SlotsAndComponentsAreReused)
{
    int second = ParticleSystem_Create();
    EXPECT_EQ(second, ps + 1);
    ParticleSystem_Destroy(ps);
    EXPECT_FALSE(ParticleSystem_Exists(ps));
    EXPECT_EQ(ParticleSystem_Create(), ps);
    EXPECT_TRUE(ParticleSystem_Get(ps)->oldToNew && ParticleSystem_Get(ps)->autoUpdate);

    int e0 = ParticleEmitter_Create(ps), e1 = ParticleEmitter_Create(ps);
    EXPECT_EQ(e1, e0 + 1);
    ParticleEmitter_Destroy(ps, e0);
    EXPECT_FALSE(ParticleEmitter_Exists(ps, e0));
    EXPECT_TRUE(ParticleEmitter_Exists(ps, e1));
    EXPECT_EQ(ParticleEmitter_Create(ps), e0);
    ParticleEmitter_DestroyAll(ps);
    EXPECT_FALSE(ParticleEmitter_Exists(ps, e1));
    EXPECT_EQ(ParticleEmitter_Create(ps), 0);

    // New components start cleared: an attractor is additive, a changer exists with no types.
    int a = ParticleAttractor_Create(ps);
    EXPECT_TRUE(ParticleSystem_Get(ps)->attractors[a].additive);
    int c = ParticleChanger_Create(ps);
    EXPECT_TRUE(ParticleChanger_Exists(ps, c));
    EXPECT_EQ(ParticleSystem_Get(ps)->changers[c].from, -1);
    EXPECT_EQ(ParticleDestroyer_Create(ps), 0);
    EXPECT_EQ(ParticleDeflector_Create(ps), 0);

    // Bad systems and components are ignored.
    for (int bad : {-1, 7, INT_MIN}) {
        EXPECT_EQ(ParticleEmitter_Create(bad), -1);
        EXPECT_FALSE(ParticleAttractor_Exists(ps, bad));
        EXPECT_FALSE(ParticleDeflector_Exists(bad, 0));
        ParticleChanger_Types(ps, bad, 1, 2);
        ParticleSystem_Update(bad);
        EXPECT_EQ(ParticleSystem_CountParticles(bad), 0);
    }
    ParticleSystem_Clear(ps);
    EXPECT_FALSE(ParticleAttractor_Exists(ps, a));
    EXPECT_TRUE(ParticleSystem_Exists(ps));
}

TEST_F(ParticleSystems, CreationWarnsAboutWhatDoesNotExist)
{
    ParticleSystem_CreateParticles(5, 0, 0, type, 1);
    ParticleSystem_CreateParticles(ps, 0, 0, type + 1, 1);
    ParticleSystem_CreateParticles(ps, 0, 0, type, 0);
    ParticleSystem_CreateParticles(ps, 0, 0, type, -3);
    EXPECT_EQ(ParticleSystem_CountParticles(ps), 0);
    EXPECT_EQ(Count(warnings.text, "part_particles_create :: particle system does not exist!\n"), 1u);
    EXPECT_EQ(Count(warnings.text, "part_particles_create :: particle type does not exist!\n"), 1u);
    ParticleSystem_CreateParticlesColor(ps, 3, 4, type, 0x123456, 2);
    ASSERT_EQ(ParticleSystem_CountParticles(ps), 2);
    EXPECT_EQ(Particles()[1].colour, 0x123456u);
    EXPECT_EQ(Particles()[1].x, 3);
}

// A type that makes itself each step, a lifetime-1 death cycle and huge bursts stop at the cap.
TEST_F(ParticleSystems, RunawayCreationStopsAtTheCap)
{
    ParticleType_Step(type, 1, type);
    One(0, 0, type);
    Update();
    EXPECT_EQ(ParticleSystem_CountParticles(ps), PARTICLE_SYSTEM_CAP);
    Update();
    EXPECT_EQ(ParticleSystem_CountParticles(ps), PARTICLE_SYSTEM_CAP);
    EXPECT_EQ(Count(warnings.text, "no more are created"), 1u);

    int cycle = ParticleType_Create();
    ParticleType_Life(cycle, 1, 1);
    ParticleType_Death(cycle, 2, cycle);
    One(0, 0, cycle);
    Update();
    EXPECT_LE(ParticleSystem_CountParticles(ps), PARTICLE_SYSTEM_CAP);
    EXPECT_EQ(Count(warnings.text, "no more are created"), 2u);  // once more after the clear

    ParticleSystem_ClearParticles(ps);
    int e = ParticleEmitter_Create(ps);
    ParticleEmitter_Burst(ps, e, type, INT_MAX);
    EXPECT_EQ(ParticleSystem_CountParticles(ps), PARTICLE_SYSTEM_CAP);
    EXPECT_EQ(Count(warnings.text, "no more are created"), 3u);
    ParticleSystem_ClearParticles(ps);
    ParticleEmitter_Burst(ps, e, type, INT_MIN);  // one chance in 2^31
    EXPECT_LE(ParticleSystem_CountParticles(ps), 1);
}

TEST_F(ParticleSystems, EmittersFillTheirRegions)
{
    int e = ParticleEmitter_Create(ps);
    // A shape that is none of the four counts as a rectangle instead of never placing a particle.
    ParticleEmitter_Region(ps, e, 10, 20, 30, 40, 4, PS_DISTR_LINEAR);
    ParticleEmitter_Burst(ps, e, type, 500);
    ASSERT_EQ(ParticleSystem_CountParticles(ps), 500);
    for (const Particle& p : Particles()) ASSERT_TRUE(p.x >= 10 && p.x <= 20 && p.y >= 30 && p.y <= 40);

    // A line runs from corner to corner; an ellipse keeps to its curve, a diamond to its sides.
    for (int shape : {PS_SHAPE_LINE, PS_SHAPE_ELLIPSE, PS_SHAPE_DIAMOND}) {
        for (int d = 0; d < 3; d++) {
            ParticleSystem_ClearParticles(ps);
            ParticleEmitter_Region(ps, e, 0, 10, 0, 20, shape, d);
            ParticleEmitter_Burst(ps, e, type, 300);
            for (const Particle& p : Particles()) {
                float nx = (p.x - 5) / 5, ny = (p.y - 10) / 10;
                float outside = shape == PS_SHAPE_LINE      ? std::fabs(p.y - p.x * 2)
                                : shape == PS_SHAPE_ELLIPSE ? nx * nx + ny * ny - 1
                                                            : std::fabs(nx) + std::fabs(ny) - 1;
                ASSERT_LE(outside, 1e-3f) << "shape " << shape << " at " << p.x << ", " << p.y;
            }
        }
    }
    // A negative number makes one particle with chance 1 in its size; a stream bursts every update.
    ParticleSystem_ClearParticles(ps);
    for (int i = 0; i < 1000; i++) ParticleEmitter_Burst(ps, e, type, -4);
    EXPECT_NEAR(ParticleSystem_CountParticles(ps), 250, 60);
    ParticleSystem_ClearParticles(ps);
    ParticleEmitter_Stream(ps, e, type, 3);
    Update(4);
    EXPECT_EQ(ParticleSystem_CountParticles(ps), 12);
    ParticleEmitter_Stream(ps, e, type + 1, 3);  // a missing type warns and makes nothing
    Update();
    EXPECT_EQ(ParticleSystem_CountParticles(ps), 12);
    EXPECT_EQ(Count(warnings.text, "particle type does not exist"), 1u);
}

TEST_F(ParticleSystems, LifeStepAndDeath)
{
    ParticleType_Life(type, 30, 10);
    ParticleSystem_CreateParticles(ps, 0, 0, type, 5);
    Update(29);
    EXPECT_EQ(ParticleSystem_CountParticles(ps), 5);
    Update();
    EXPECT_EQ(ParticleSystem_CountParticles(ps), 0);

    // A lifetime-1 particle dies in the first update, and its death particles are aged in it.
    int child = ParticleType_Create();
    ParticleType_Life(child, 5, 5);
    ParticleType_Life(type, 1, 1);
    ParticleType_Death(type, 3, child);
    One(7, 8, type);
    Update();
    ASSERT_EQ(ParticleSystem_CountParticles(ps), 3);
    for (const Particle& p : Particles()) {
        EXPECT_EQ(p.type, child);
        EXPECT_EQ(p.age, 1);
        EXPECT_EQ(p.x, 7);
        EXPECT_EQ(p.y, 8);
    }
    // A step number of -5 makes one particle a living particle on about one step in five.
    ParticleSystem_ClearParticles(ps);
    int stepper = ParticleType_Create();
    ParticleType_Life(stepper, 1000, 1000);
    ParticleType_Step(stepper, -5, child);
    ParticleSystem_CreateParticles(ps, 0, 0, stepper, 1000);
    Update();
    EXPECT_NEAR(ParticleSystem_CountParticles(ps), 1200, 50);
    // A destroyed type's particles go on with its cleared record.
    ParticleType_Speed(child, 0, 0, 1, 0);
    Particle& orphan = One(0, 0, child);
    ParticleType_Destroy(child);
    Update();
    EXPECT_EQ(orphan.speed, 0);
    EXPECT_EQ(orphan.age, 1);
}

TEST_F(ParticleSystems, MotionGravityAndWiggles)
{
    ParticleType_Life(type, 1000, 1000);
    ParticleType_Speed(type, 2, 2, 0, 0);
    Particle& p = One(10, 10, type);
    Update(10);
    EXPECT_FLOAT_EQ(p.x, 30);
    EXPECT_FLOAT_EQ(p.y, 10);
    EXPECT_FLOAT_EQ(p.xprevious, 28);

    ParticleType_Direction(type, 90, 90, 0, 0);
    ParticleType_Speed(type, 2, 2, -0.5f, 0);  // speed never falls below 0
    Particle& up = One(0, 0, type);
    Update(6);
    EXPECT_NEAR(up.y, -(1.5 + 1 + 0.5), 1e-4);
    EXPECT_EQ(up.speed, 0);
    EXPECT_EQ(up.direction, 90);  // at rest it keeps its direction

    ParticleType_Speed(type, 0, 0, 0, 0);
    ParticleType_Gravity(type, 1, 270);
    Particle& falling = One(0, 0, type);
    Update(3);
    EXPECT_NEAR(falling.y, 6, 1e-4);
    EXPECT_NEAR(falling.direction, 270, 1e-3);
    EXPECT_NEAR(falling.speed, 3, 1e-4);

    // Wiggles move the particle but leave its stored speed and direction.
    ParticleType_Gravity(type, 0, 270);
    ParticleType_Speed(type, 1, 1, 0, 3);
    ParticleType_Direction(type, 0, 0, 0, 45);
    Particle& w = One(0, 0, type);
    float seenX = 0;
    bool varied = false;
    for (int i = 0; i < 30; i++) {
        float x = w.x;
        Update();
        varied |= i > 0 && std::fabs((w.x - x) - seenX) > 0.01f;
        seenX = w.x - x;
        EXPECT_EQ(w.speed, 1);
        EXPECT_EQ(w.direction, 0);
    }
    EXPECT_TRUE(varied);
}

TEST_F(ParticleSystems, Attractors)
{
    ParticleType_Life(type, 1000, 1000);
    int a = ParticleAttractor_Create(ps);
    ParticleAttractor_Position(ps, a, 10, 0);
    ParticleAttractor_Force(ps, a, 1, 100, PS_FORCE_CONSTANT, true);
    // A particle at rest is given the direction of the pull.
    Particle& p = One(0, 0, type);
    Update();
    EXPECT_NEAR(p.x, 1, 1e-5);
    EXPECT_NEAR(p.speed, 1, 1e-5);
    EXPECT_NEAR(p.direction, 0, 1e-3);
    Particle& below = One(10, 10, type);  // pulled upwards
    Update();
    EXPECT_NEAR(below.direction, 90, 1e-3);

    // Linear and quadratic pulls fall with the distance.
    ParticleAttractor_Force(ps, a, 1, 20, PS_FORCE_LINEAR, true);
    One(0, 0, type);
    Update();
    EXPECT_NEAR(Particles()[0].speed, 0.5, 1e-5);
    ParticleAttractor_Force(ps, a, 1, 20, PS_FORCE_QUADRATIC, true);
    One(0, 0, type);
    Update();
    EXPECT_NEAR(Particles()[0].speed, 0.25, 1e-5);

    // A non-additive pull moves the particle this step only.
    ParticleAttractor_Force(ps, a, 1, 100, PS_FORCE_CONSTANT, false);
    Particle& pushed = One(0, 0, type);
    Update();
    EXPECT_NEAR(pushed.x, 1, 1e-5);
    EXPECT_EQ(pushed.speed, 0);

    // None on top of the particle, none beyond or with distance 0, none when destroyed.
    ParticleAttractor_Force(ps, a, 1, 100, PS_FORCE_CONSTANT, true);
    Particle& onTop = One(10, 0, type);
    Update();
    EXPECT_EQ(onTop.speed, 0);
    ParticleAttractor_Force(ps, a, 1, 5, PS_FORCE_CONSTANT, true);
    Particle& far = One(0, 0, type);
    Update();
    EXPECT_EQ(far.speed, 0);
    ParticleAttractor_Force(ps, a, 1, 0, PS_FORCE_CONSTANT, true);
    Update();
    EXPECT_EQ(far.speed, 0);
    ParticleAttractor_Force(ps, a, 1, 100, PS_FORCE_CONSTANT, true);
    ParticleAttractor_Destroy(ps, a);
    Update();
    EXPECT_EQ(far.speed, 0);
}

TEST_F(ParticleSystems, Deflectors)
{
    ParticleType_Life(type, 1000, 1000);
    ParticleType_Speed(type, 2, 2, 0, 0);
    int d = ParticleDeflector_Create(ps);
    ParticleDeflector_Region(ps, d, 1, 10, 0, 10);
    ParticleDeflector_Kind(ps, d, PS_DEFLECT_HORIZONTAL);
    ParticleDeflector_Friction(ps, d, 0.5f);
    Particle& p = One(0, 5, type);
    Update();
    EXPECT_FLOAT_EQ(p.x, -2);
    EXPECT_FLOAT_EQ(p.direction, 180);
    EXPECT_FLOAT_EQ(p.speed, 1.5f);

    ParticleDeflector_Kind(ps, d, PS_DEFLECT_VERTICAL);
    ParticleDeflector_Region(ps, d, 0, 10, 1, 10);
    ParticleType_Direction(type, 270, 270, 0, 0);  // downwards into it
    Particle& down = One(5, 0, type);
    Update();
    EXPECT_NEAR(down.y, -2, 1e-4);
    EXPECT_FLOAT_EQ(down.direction, 90);

    ParticleDeflector_Region(ps, d, 0, 0, 1, 10);  // no width: nothing
    Particle& through = One(0, 0, type);
    Update();
    EXPECT_NEAR(through.y, 2, 1e-4);
}

// A particle whose motion stays the same moves by the same step; whatever changes its speed or
// direction afterwards (a bounce, a change of motion, a type given an increase or a wiggle midway)
// changes the steps after it.
TEST_F(ParticleSystems, LaterStepsFollowEveryChangeOfMotion)
{
    // A floor (vertical kind, the default) that takes 1 off the speed of what falls on it.
    ParticleDeflector_Friction(ps, ParticleDeflector_Create(ps), 1);
    ParticleDeflector_Region(ps, 0, -10, 10, 1, 10);
    ParticleType_Direction(type, 270, 270, 0, 0);
    ParticleType_Speed(type, 2, 2, 0, 0);
    ParticleType_Life(type, 1000, 1000);
    Particle& p = One(0, -4, type);
    Update(2);
    EXPECT_FLOAT_EQ(p.y, 0);
    Update();  // bounced back up at 1 a step
    EXPECT_FLOAT_EQ(p.y, -2);
    Update(2);
    EXPECT_FLOAT_EQ(p.y, -4);
    ParticleDeflector_DestroyAll(ps);
    ParticleType_Direction(type, 0, 0, 0, 0);

    // Speed 5 upwards from the changer on.
    int fast = ParticleType_Create();
    ParticleType_Life(fast, 1000, 1000);
    ParticleType_Speed(fast, 5, 5, 0, 0);
    ParticleType_Direction(fast, 90, 90, 0, 0);
    int c = ParticleChanger_Create(ps);
    ParticleChanger_Region(ps, c, 3, 5, 0, 10, PS_SHAPE_RECTANGLE);
    ParticleChanger_Types(ps, c, type, fast);
    ParticleChanger_Kind(ps, c, PS_CHANGE_MOTION);
    Particle& q = One(0, 5, type);
    Update(2);
    EXPECT_FLOAT_EQ(q.x, 4);
    EXPECT_EQ(q.type, fast);
    Update(2);
    EXPECT_FLOAT_EQ(q.x, 4);
    EXPECT_FLOAT_EQ(q.y, -5);
    ParticleChanger_DestroyAll(ps);

    // The type changed while its particle moves.
    Particle& r = One(0, 0, type);
    Update(3);
    EXPECT_FLOAT_EQ(r.x, 6);
    ParticleType_Speed(type, 2, 2, 1, 0);
    Update();
    EXPECT_FLOAT_EQ(r.x, 9);
    ParticleType_Speed(type, 2, 2, 0, 0);
    ParticleType_Direction(type, 0, 0, 90, 0);
    Update();
    EXPECT_FLOAT_EQ(r.x, 9);
    EXPECT_FLOAT_EQ(r.y, -3);
    ParticleType_Direction(type, 0, 0, 0, 0);
    Update();
    EXPECT_FLOAT_EQ(r.y, -6);
    ParticleType_Speed(type, 2, 2, 0, 1);  // the wiggle changes each step's move, not the speed
    float y = r.y;
    bool varied = false;
    for (int i = 0; i < 10; i++) {
        float before = r.y;
        Update();
        varied |= std::fabs((before - r.y) - 3) > 0.01f;
    }
    EXPECT_TRUE(varied);
    EXPECT_EQ(r.speed, 3);
    ParticleType_Speed(type, 2, 2, 0, 0);
    y = r.y;
    Update();
    EXPECT_FLOAT_EQ(r.y, y - 3);
}

// Particles made together look alike along their life; a neighbour of another lifetime or type
// keeps its own colour and alpha.
TEST_F(ParticleSystems, NeighboursOfOtherLivesKeepTheirOwnLook)
{
    ParticleType_Color2(type, 0x0000FF, 0xFF0000);
    ParticleType_Alpha2(type, 1, 0);
    ParticleType_Life(type, 10, 10);
    ParticleSystem_CreateParticles(ps, 0, 0, type, 2);
    ParticleType_Life(type, 20, 20);
    ParticleSystem_CreateParticles(ps, 0, 0, type, 1);
    int other = ParticleType_Create();
    ParticleType_Color1(other, 0x00FF00);
    ParticleType_Alpha1(other, 0.25f);
    ParticleType_Life(other, 20, 20);
    ParticleSystem_CreateParticles(ps, 0, 0, other, 1);
    ParticleSystem_CreateParticles(ps, 0, 0, type, 1);
    Update(5);
    const std::vector<Particle>& p = Particles();
    ASSERT_EQ(p.size(), 5u);
    for (int i : {0, 1}) {
        EXPECT_EQ((int)p[i].colour, Color_Merge(0x0000FF, 0xFF0000, 0.5f)) << "particle " << i;
        EXPECT_FLOAT_EQ(p[i].alpha, 0.5f) << "particle " << i;
    }
    for (int i : {2, 4}) {
        EXPECT_EQ((int)p[i].colour, Color_Merge(0x0000FF, 0xFF0000, 0.25f)) << "particle " << i;
        EXPECT_FLOAT_EQ(p[i].alpha, 0.75f) << "particle " << i;
    }
    EXPECT_EQ(p[3].colour, 0x00FF00u);
    EXPECT_FLOAT_EQ(p[3].alpha, 0.25f);
}

TEST_F(ParticleSystems, DestroyersByShape)
{
    ParticleType_Life(type, 1000, 1000);
    int d = ParticleDestroyer_Create(ps);
    // The centre, a corner of the rectangle, a point inside the ellipse only, a point outside.
    const float spots[][2] = {{5, 5}, {0.5f, 0.5f}, {8.5f, 8.5f}, {20, 20}};
    const int survivors[] = {1, 2, 3, 4, 4};  // rectangle, ellipse, diamond, line, unknown
    for (int shape = 0; shape < 5; shape++) {
        ParticleSystem_ClearParticles(ps);
        for (const auto& s : spots) ParticleSystem_CreateParticles(ps, s[0], s[1], type, 1);
        ParticleDestroyer_Region(ps, d, 0, 10, 0, 10, shape);
        Update();
        EXPECT_EQ(ParticleSystem_CountParticles(ps), survivors[shape]) << "shape " << shape;
        EXPECT_EQ(Particles().back().x, 20);  // survivors keep their order
    }
}

TEST_F(ParticleSystems, ChangersByKind)
{
    int other = ParticleType_Create();
    ParticleType_Life(type, 1000, 1000);
    ParticleType_Color1(type, 0x0000FF);
    ParticleType_Life(other, 50, 50);
    ParticleType_Speed(other, 3, 3, 0, 0);
    ParticleType_Direction(other, 90, 90, 0, 0);
    ParticleType_Color1(other, 0x00FF00);
    int c = ParticleChanger_Create(ps);
    ParticleChanger_Region(ps, c, 0, 10, 0, 10, PS_SHAPE_ELLIPSE);
    ParticleChanger_Types(ps, c, type, other);

    ParticleChanger_Kind(ps, c, PS_CHANGE_ALL);
    ParticleSystem_CreateParticles(ps, 0.5f, 0.5f, type, 1);  // outside the ellipse
    ParticleSystem_CreateParticles(ps, 5, 5, type, 1);
    Update();
    EXPECT_EQ(Particles()[0].type, type);
    EXPECT_EQ(Particles()[1].type, other);
    EXPECT_EQ(Particles()[1].lifetime, 50);
    EXPECT_EQ(Particles()[1].colour, 0x00FF00u);

    ParticleChanger_Kind(ps, c, PS_CHANGE_MOTION);
    Particle& m = One(5, 5, type);
    Update();
    EXPECT_EQ(m.type, other);
    EXPECT_EQ(m.speed, 3);
    EXPECT_EQ(m.colour, 0x0000FFu);
    EXPECT_EQ(m.lifetime, 1000);

    ParticleChanger_Kind(ps, c, PS_CHANGE_SHAPE);
    Particle& s = One(5, 5, type);
    Update();
    EXPECT_EQ(s.colour, 0x00FF00u);
    EXPECT_EQ(s.speed, 0);

    ParticleChanger_Kind(ps, c, 7);  // the type alone
    Particle& k = One(5, 5, type);
    Update();
    EXPECT_EQ(k.type, other);
    EXPECT_EQ(k.colour, 0x0000FFu);

    // A to type that does not exist cannot be made: the particle goes.
    ParticleChanger_Types(ps, c, type, 40);
    One(5, 5, type);
    Update();
    EXPECT_EQ(ParticleSystem_CountParticles(ps), 0);
}

TEST_F(ParticleSystems, AppearanceAlongTheLife)
{
    ParticleType_Life(type, 10, 10);
    ParticleType_Alpha3(type, 1, 0.5f, 0);
    ParticleType_Size(type, 1, 1, -0.3f, 0);
    Particle& p = One(0, 0, type);
    Update(2);
    EXPECT_FLOAT_EQ(p.alpha, 0.8f);
    Update(6);
    EXPECT_FLOAT_EQ(p.alpha, 0.2f);
    EXPECT_EQ(p.size, 0);  // never below 0
}

// The depth walk of room drawing visits each system once, greatest depth first; systems within
// 0.01 of each other share one visit.
TEST_F(ParticleSystems, DepthQueries)
{
    const float depths[] = {10, 10.005f, 5, -3, 50};
    ParticleSystem_Destroy(ps);
    for (float d : depths) ParticleSystem_Depth(ParticleSystem_Create(), d);
    ParticleSystem_AutomaticDraw(4, false);
    EXPECT_FLOAT_EQ(ParticleSystems_MaxDepth(), 10.005f);
    EXPECT_FLOAT_EQ(ParticleSystems_NextDepthBelow(10.005f), 5);
    EXPECT_FLOAT_EQ(ParticleSystems_NextDepthBelow(5), -3);
    EXPECT_EQ(ParticleSystems_NextDepthBelow(-3), -1e9f);
    ParticleSystem_Destroy(1);
    EXPECT_FLOAT_EQ(ParticleSystems_MaxDepth(), 10);
    for (int s = 0; s < 5; s++) ParticleSystem_Destroy(s);
    EXPECT_EQ(ParticleSystems_MaxDepth(), -1e9f);
}
