// Particle types, the random draw within a range and the set-up of a new particle.
#include "Particle/Particle_Internal.h"

#include "Base/Color.h"
#include "Base/Random.h"

#include <algorithm>
#include <cmath>

namespace {
std::vector<ParticleType> Types;

ParticleType* Find(int type)
{
    if (type < 0 || type >= (int)Types.size() || !Types[type].inUse) return nullptr;
    return &Types[type];
}

// The byte of a colour channel drawn from a range of stored integers read as unsigned: through 64
// bits, since 4294967295 does not fit an int.
int ChannelInRange(int min, int max)
{
    float v = Particle_RandomInRange((float)(uint32_t)min, (float)(uint32_t)max, PS_DISTR_LINEAR);
    return (int)(uint8_t)(int64_t)v;
}

// A whole number of steps from a real, truncated; out of range ends at the nearest limit.
int Steps(float v)
{
    if (!(v > -2147483648.0f)) return INT32_MIN;
    if (v >= 2147483648.0f) return INT32_MAX;
    return (int)v;
}

// A draw on the bell curve of -3..3 (rejection sampling).
float GaussianDraw()
{
    float x;
    do x = (Particle_Random() - 0.5f) * 6.0f;
    while (!(std::exp(-x * x / 2) > Particle_Random()));
    return x;
}
}  // namespace

float Particle_Random()
{
    // The largest float below 1: a double just under 1 would otherwise round up to it.
    return std::min((float)Random_Real(1.0), 0.99999994f);
}

bool Particle_ChanceOneIn(int n)
{
    return n != 0 && Random_Int(n) == 0;
}

float Particle_RandomInRange(float min, float max, int distribution)
{
    float range = max - min;
    if (range <= 0) return min;
    if (distribution == PS_DISTR_GAUSSIAN) return min + (GaussianDraw() + 3) / 6 * range;
    if (distribution == PS_DISTR_INVGAUSSIAN) {
        float x = GaussianDraw();
        if (x < 0) x += 6;
        return min + x / 6 * range;
    }
    return min + Particle_Random() * range;
}

const ParticleType& Particle_TypeOf(int type)
{
    static const ParticleType blank = [] {
        ParticleType t = {};
        t.sprite = -1;
        return t;
    }();
    if (type < 0 || type >= (int)Types.size()) return blank;
    return Types[type];
}

int ParticleType_Count()
{
    return (int)Types.size();
}

int ParticleType_Create()
{
    int index = 0;
    while (index < (int)Types.size() && Types[index].inUse) index++;
    if (index == (int)Types.size()) Types.push_back(ParticleType{});
    Types[index].inUse = true;
    ParticleType_Clear(index);
    return index;
}

void ParticleType_Destroy(int type)
{
    if (!Find(type)) return;
    ParticleType_Clear(type);
    Types[type].inUse = false;
}

bool ParticleType_Exists(int type)
{
    return Find(type) != nullptr;
}

void ParticleType_Clear(int type)
{
    ParticleType* t = Find(type);
    if (!t) return;
    ParticleType cleared = {};
    cleared.inUse = true;
    cleared.sprite = -1;
    cleared.animate = true;
    cleared.size.min = cleared.size.max = 1;
    cleared.xscale = cleared.yscale = 1;
    cleared.lifeMin = cleared.lifeMax = 100;
    cleared.gravityDirection = 270;
    cleared.colour[0] = cleared.colour[1] = cleared.colour[2] = 0xFFFFFF;
    cleared.alpha[0] = cleared.alpha[1] = cleared.alpha[2] = 1;
    // What a clear keeps.
    cleared.additive = t->additive;
    std::copy(t->colour + 3, t->colour + 6, cleared.colour + 3);
    *t = cleared;
}

void ParticleType_Shape(int type, int shape)
{
    if (ParticleType* t = Find(type)) {
        t->shape = shape;
        t->sprite = -1;
    }
}

void ParticleType_Sprite(int type, int sprite, bool animate, bool stretch, bool random)
{
    if (ParticleType* t = Find(type)) {
        t->sprite = sprite;
        t->animate = animate;
        t->stretch = stretch;
        t->random = random;
    }
}

void ParticleType_Size(int type, float min, float max, float increase, float wiggle)
{
    if (ParticleType* t = Find(type)) t->size = {min, max, increase, wiggle};
}

void ParticleType_Scale(int type, float xscale, float yscale)
{
    if (ParticleType* t = Find(type)) {
        t->xscale = xscale;
        t->yscale = yscale;
    }
}

void ParticleType_Life(int type, int min, int max)
{
    if (ParticleType* t = Find(type)) {
        t->lifeMin = min;
        t->lifeMax = max;
    }
}

void ParticleType_Step(int type, int number, int stepType)
{
    if (ParticleType* t = Find(type)) {
        t->stepNumber = number;
        t->stepType = stepType;
    }
}

void ParticleType_Death(int type, int number, int deathType)
{
    if (ParticleType* t = Find(type)) {
        t->deathNumber = number;
        t->deathType = deathType;
    }
}

void ParticleType_Speed(int type, float min, float max, float increase, float wiggle)
{
    if (ParticleType* t = Find(type)) t->speed = {min, max, increase, wiggle};
}

void ParticleType_Direction(int type, float min, float max, float increase, float wiggle)
{
    if (ParticleType* t = Find(type)) t->direction = {min, max, increase, wiggle};
}

void ParticleType_Orientation(int type, float min, float max, float increase, float wiggle, bool relative)
{
    if (ParticleType* t = Find(type)) {
        t->orientation = {min, max, increase, wiggle};
        t->orientationRelative = relative;
    }
}

void ParticleType_Gravity(int type, float amount, float direction)
{
    if (ParticleType* t = Find(type)) {
        t->gravityAmount = amount;
        t->gravityDirection = direction;
    }
}

namespace {
void SetColours(int type, int mode, std::initializer_list<int> values)
{
    ParticleType* t = Find(type);
    if (!t) return;
    t->colourMode = mode;
    std::copy(values.begin(), values.end(), t->colour);
}

void SetAlphas(int type, float a, float b, float c)
{
    if (ParticleType* t = Find(type)) {
        t->alpha[0] = a;
        t->alpha[1] = b;
        t->alpha[2] = c;
    }
}
}  // namespace

void ParticleType_Color1(int type, int colour) { SetColours(type, COLOUR_ONE, {colour}); }
void ParticleType_Color2(int type, int start, int end) { SetColours(type, COLOUR_TWO, {start, end}); }
void ParticleType_Color3(int type, int start, int middle, int end) { SetColours(type, COLOUR_THREE, {start, middle, end}); }
void ParticleType_ColorRGB(int type, int rmin, int rmax, int gmin, int gmax, int bmin, int bmax)
{
    SetColours(type, COLOUR_RGB, {rmin, rmax, gmin, gmax, bmin, bmax});
}
void ParticleType_ColorHSV(int type, int hmin, int hmax, int smin, int smax, int vmin, int vmax)
{
    SetColours(type, COLOUR_HSV, {hmin, hmax, smin, smax, vmin, vmax});
}
void ParticleType_ColorMix(int type, int colour1, int colour2) { SetColours(type, COLOUR_MIX, {colour1, colour2}); }

void ParticleType_Alpha1(int type, float alpha) { SetAlphas(type, alpha, alpha, alpha); }
void ParticleType_Alpha2(int type, float start, float end) { SetAlphas(type, start, (start + end) / 2, end); }
void ParticleType_Alpha3(int type, float start, float middle, float end) { SetAlphas(type, start, middle, end); }

void ParticleType_Blend(int type, bool additive)
{
    if (ParticleType* t = Find(type)) t->additive = additive;
}

void ParticleType_FreeAll()
{
    Types.clear();
    Types.shrink_to_fit();
}

bool Particle_Setup(float x, float y, int type, Particle* p)
{
    const ParticleType* t = Find(type);
    if (!t) return false;
    p->alive = true;
    p->moveKnown = false;
    p->type = type;
    p->x = p->xprevious = x;
    p->y = p->yprevious = y;
    p->speed = Particle_RandomInRange(t->speed.min, t->speed.max, PS_DISTR_LINEAR);
    p->direction = Particle_RandomInRange(t->direction.min, t->direction.max, PS_DISTR_LINEAR);
    p->angle = Particle_RandomInRange(t->orientation.min, t->orientation.max, PS_DISTR_LINEAR);
    p->lifetime = Steps(Particle_RandomInRange((float)t->lifeMin, (float)t->lifeMax, PS_DISTR_LINEAR));
    p->age = 0;
    Particle_ComputeColor(p);
    p->alpha = t->alpha[0];
    p->size = Particle_RandomInRange(t->size.min, t->size.max, PS_DISTR_LINEAR);
    p->firstFrame = t->random ? Random_Int(10000) : 0;
    p->seed = Random_Int(100000);
    return true;
}

void Particle_ComputeColor(Particle* p)
{
    Particle_ComputeColor(p, Particle_TypeOf(p->type));
}

void Particle_ComputeColor(Particle* p, const ParticleType& t)
{
    const int* c = t.colour;
    if (p->age < 1 || p->lifetime < 1) {
        switch (t.colourMode) {
        case COLOUR_RGB: {
            ColorRGB rgb;
            int r = ChannelInRange(c[0], c[1]), g = ChannelInRange(c[2], c[3]), b = ChannelInRange(c[4], c[5]);
            p->colour = (uint32_t)Color_FromRGB(ColorRGB_Set(&rgb, r, g, b));
            break;
        }
        case COLOUR_HSV: {
            ColorHSV hsv;
            int h = ChannelInRange(c[0], c[1]), s = ChannelInRange(c[2], c[3]), v = ChannelInRange(c[4], c[5]);
            p->colour = (uint32_t)Color_FromHSV(ColorHSV_Set(&hsv, h, s, v));
            break;
        }
        case COLOUR_MIX: p->colour = (uint32_t)Color_Merge(c[0], c[1], Particle_Random()); break;
        default: p->colour = (uint32_t)c[0]; break;
        }
        return;
    }
    if (t.colourMode == COLOUR_TWO) {
        float f = std::min((float)p->age / (float)p->lifetime, 1.0f);
        p->colour = (uint32_t)Color_Merge(c[0], c[1], f);
    } else if (t.colourMode == COLOUR_THREE) {
        float f = std::min(2.0f * (float)p->age / (float)p->lifetime, 2.0f);
        p->colour = (uint32_t)(f < 1 ? Color_Merge(c[0], c[1], f) : Color_Merge(c[1], c[2], f - 1));
    }
}
