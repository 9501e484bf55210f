// Effects: ready-made bursts in two systems of their own, from particle types that each kind of
// effect owns and sets anew every time it fires.
#include "Particle/Particle_Internal.h"

#include "Base/Random.h"
#include "Variable/Arguments.h"

namespace {
enum {
    EF_EXPLOSION, EF_RING, EF_ELLIPSE, EF_FIREWORK, EF_SMOKE, EF_SMOKEUP,
    EF_STAR, EF_SPARK, EF_FLARE, EF_CLOUD, EF_RAIN, EF_SNOW
};

// The effect types, one slot each per kind and size (two for the explosion, one for all sizes of
// the firework, rain and snow); the last slots are kept free, so that the first type a game makes
// after its first effect is always 38.
enum {
    T_EXPLOSION = 0, T_RING = 6, T_ELLIPSE = 9, T_FIREWORK = 12, T_SMOKE = 13, T_SMOKEUP = 16,
    T_STAR = 19, T_SPARK = 22, T_FLARE = 25, T_CLOUD = 28, T_RAIN = 31, T_SNOW = 32, T_SLOTS = 38
};

int Below = -1, Above = -1;
bool TypesMade = false;
int Types[T_SLOTS];

void EnsureSystems()
{
    if (!ParticleSystem_Exists(Below)) {
        Below = ParticleSystem_Create();
        ParticleSystem_Depth(Below, 100000);
    }
    if (!ParticleSystem_Exists(Above)) {
        Above = ParticleSystem_Create();
        ParticleSystem_Depth(Above, -100000);
    }
    if (TypesMade) return;
    for (int& type : Types) type = ParticleType_Create();
    TypesMade = true;
}

// What every maker shares: the system, the place, the colour, the size (0 small, 1 medium, 2
// large) and the time factor, which divides lives and multiplies speeds.
struct Shot {
    int system;
    float x, y;
    int colour;
    int size;
    float f;

    // Lives in steps at the game's speed, to the nearest whole step.
    void Life(int type, float min, float max) const { ParticleType_Life(type, RealToInt(min / f), RealToInt(max / f)); }
    void Fire(int type, int number) const { Fire(type, x, y, number); }
    void Fire(int type, float px, float py, int number) const { ParticleSystem_CreateParticlesColor(system, px, py, type, colour, number); }
};

void Explosion(const Shot& s)
{
    static const float size[] = {0.1f, 0.3f, 0.4f}, grow[] = {0.05f, 0.1f, 0.2f};
    static const float speed[] = {2, 4, 7}, slow[] = {-0.1f, -0.18f, -0.2f};
    static const float lifeMin[] = {10, 12, 15}, lifeMax[] = {15, 17, 20};
    int t = Types[T_EXPLOSION + 2 * s.size];
    ParticleType_Shape(t, 10);
    ParticleType_Size(t, size[s.size], size[s.size], grow[s.size] * s.f, 0);
    ParticleType_Orientation(t, 0, 360, 0, 0, false);
    ParticleType_Direction(t, 0, 360, 0, 0);
    ParticleType_Speed(t, speed[s.size] * s.f, speed[s.size] * s.f, slow[s.size] * s.f, 0);
    ParticleType_Alpha2(t, 0.6f, 0);
    s.Life(t, lifeMin[s.size], lifeMax[s.size]);
    s.Fire(t, 20);

    // One dark cloud in the middle.
    static const float growDark[] = {0.1f, 0.2f, 0.4f}, lifeDark[] = {15, 17, 20};
    int dark = Types[T_EXPLOSION + 2 * s.size + 1];
    ParticleType_Shape(dark, 10);
    ParticleType_Size(dark, size[s.size], size[s.size], growDark[s.size] * s.f, 0);
    ParticleType_Orientation(dark, 0, 360, 0, 0, false);
    ParticleType_Alpha2(dark, 0.8f, 0);
    s.Life(dark, lifeDark[s.size], lifeDark[s.size]);
    ParticleSystem_CreateParticlesColor(s.system, s.x, s.y, dark, 0, 1);
}

void Ring(const Shot& s, bool ellipse)
{
    static const float ringGrow[] = {0.15f, 0.25f, 0.4f}, ellipseGrow[] = {0.2f, 0.35f, 0.6f};
    static const float lifeMin[] = {10, 13, 18}, lifeMax[] = {12, 15, 20};
    int t = Types[(ellipse ? T_ELLIPSE : T_RING) + s.size];
    ParticleType_Shape(t, 6);
    ParticleType_Alpha2(t, 1, 0);
    ParticleType_Size(t, 0, 0, (ellipse ? ellipseGrow : ringGrow)[s.size] * s.f, 0);
    if (ellipse) ParticleType_Scale(t, 1, 0.5f);
    s.Life(t, lifeMin[s.size], lifeMax[s.size]);
    s.Fire(t, 1);
}

void Firework(const Shot& s)
{
    static const float speed[] = {3, 6, 8}, gravity[] = {0.1f, 0.15f, 0.17f};
    static const float lifeMin[] = {15, 20, 30}, lifeMax[] = {25, 30, 40};
    static const int count[] = {75, 150, 250};
    int t = Types[T_FIREWORK];
    ParticleType_Shape(t, 8);
    ParticleType_Size(t, 0.1f, 0.2f, 0, 0);
    ParticleType_Speed(t, 0.5f * s.f, speed[s.size] * s.f, 0, 0);
    ParticleType_Direction(t, 0, 360, 0, 0);
    ParticleType_Alpha2(t, 1, 0.4f);
    s.Life(t, lifeMin[s.size], lifeMax[s.size]);
    ParticleType_Gravity(t, gravity[s.size] * s.f, 270);
    s.Fire(t, count[s.size]);
}

void Smoke(const Shot& s, bool up)
{
    static const float sizeMax[] = {0.4f, 0.7f, 1.0f}, sizeMin[] = {0.2f, 0.4f, 0.4f}, life[] = {25, 30, 50};
    static const float speedMin[] = {3, 5, 6}, speedMax[] = {4, 6, 7};
    static const int count[] = {6, 11, 16}, spread[] = {10, 30, 60};
    int t = Types[(up ? T_SMOKEUP : T_SMOKE) + s.size];
    ParticleType_Shape(t, 10);
    ParticleType_Size(t, sizeMin[s.size], sizeMax[s.size], -0.01f * s.f, 0);
    ParticleType_Alpha2(t, 0.4f, 0);
    s.Life(t, life[s.size], life[s.size]);
    if (up) {
        ParticleType_Direction(t, 90, 90, 0, 0);
        ParticleType_Speed(t, speedMin[s.size] * s.f, speedMax[s.size] * s.f, 0, 0);
    }
    int n = spread[s.size];
    for (int k = 0; k < count[s.size]; k++) {
        int j = Random_Int(n);
        int i = Random_Int(n);
        s.Fire(t, s.x - n / 2 + i, s.y - n / 2 + j, 1);
    }
}

// The star, the spark and the flare: one shrinking, turned particle.
void Star(const Shot& s, int slot, int shape)
{
    static const float size[] = {0.4f, 0.75f, 1.2f}, shrink[] = {-0.02f, -0.03f, -0.04f}, life[] = {20, 25, 30};
    int t = Types[slot + s.size];
    ParticleType_Shape(t, shape);
    ParticleType_Size(t, size[s.size], size[s.size], shrink[s.size] * s.f, 0);
    ParticleType_Orientation(t, 0, 360, 0, 0, false);
    s.Life(t, life[s.size], life[s.size]);
    s.Fire(t, 1);
}

void Cloud(const Shot& s)
{
    static const float size[] = {2, 4, 8};
    int t = Types[T_CLOUD + s.size];
    ParticleType_Shape(t, 10);
    ParticleType_Size(t, size[s.size], size[s.size], 0, 0);
    ParticleType_Scale(t, 1, 0.5f);
    ParticleType_Alpha3(t, 0, 0.3f, 0);
    s.Life(t, 100, 100);
    s.Fire(t, 1);
}

// Rain and snow fall over the whole room from just above it, wherever they are asked for.
void Weather(const Shot& s, bool snow, const EffectRoom& room)
{
    static const int rain[] = {2, 5, 9}, flakes[] = {1, 3, 7};
    int t = Types[snow ? T_SNOW : T_RAIN];
    float height = (float)room.height * (snow ? 0.5f : 0.2f);
    if (snow) {
        ParticleType_Shape(t, 13);
        ParticleType_Size(t, 0.1f, 0.25f, 0, 0);
        ParticleType_Alpha1(t, 0.6f);
        ParticleType_Orientation(t, 0, 360, 0, 0, false);
        ParticleType_Speed(t, 2.5f * s.f, 3 * s.f, 0, 0);
        ParticleType_Direction(t, 240, 300, 0, 20);
    } else {
        ParticleType_Shape(t, 3);
        ParticleType_Size(t, 0.2f, 0.3f, 0, 0);
        ParticleType_Orientation(t, 0, 0, 0, 0, true);
        ParticleType_Speed(t, 7 * s.f, 7 * s.f, 0, 0);
        ParticleType_Direction(t, 260, 260, 0, 0);
        ParticleType_Alpha1(t, 0.4f);
    }
    s.Life(t, height, height);
    int count = (snow ? flakes : rain)[s.size];
    for (int k = 0; k < count; k++) {
        float x = Particle_Random() * 1.2f * (float)room.width - (snow ? 60 : 0);
        float y = (float)Random_Real(20) - 30;
        s.Fire(t, x, y, 1);
    }
}

bool RunningRoom(EffectRoom* room) { return Effect_RoomHook && Effect_RoomHook(room); }

float TimeFactor(const EffectRoom& room)
{
    if (room.speed <= 30 || room.fps <= 30) return 1;
    float ratio = (float)room.speed / (float)room.fps;
    return ratio < 1.2f ? 30.0f / (float)room.speed : 30.0f / (float)room.fps;
}
}  // namespace

bool (*Effect_RoomHook)(EffectRoom* out) = nullptr;

void Effect_Reset()
{
    Below = Above = -1;
    TypesMade = false;
}

float Effect_TimeFactor()
{
    EffectRoom room;
    return RunningRoom(&room) ? TimeFactor(room) : 1;
}

void Effect_Create(bool below, int kind, float x, float y, int size, int colour)
{
    EffectRoom room;
    if (!RunningRoom(&room)) return;
    EnsureSystems();
    Shot s = {below ? Below : Above, x, y, colour, size == 0 ? 0 : size == 2 ? 2 : 1, TimeFactor(room)};
    switch (kind) {
    case EF_EXPLOSION: Explosion(s); break;
    case EF_RING: Ring(s, false); break;
    case EF_ELLIPSE: Ring(s, true); break;
    case EF_FIREWORK: Firework(s); break;
    case EF_SMOKE: Smoke(s, false); break;
    case EF_SMOKEUP: Smoke(s, true); break;
    case EF_STAR: Star(s, T_STAR, 4); break;
    case EF_SPARK: Star(s, T_SPARK, 9); break;
    case EF_FLARE: Star(s, T_FLARE, 8); break;
    case EF_CLOUD: Cloud(s); break;
    case EF_RAIN: Weather(s, false, room); break;
    case EF_SNOW: Weather(s, true, room); break;
    default: break;
    }
}

void Effect_Clear()
{
    ParticleSystem_ClearParticles(Below);
    ParticleSystem_ClearParticles(Above);
}
