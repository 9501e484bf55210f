// One update of a particle system, pass by pass: life, motion, deflectors, changers, destroyers,
// appearance, then the emitters' streams.
#include "Particle/Particle_Internal.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kRadians = 3.1415927f / 180.0f;

// How many particles a step or death number makes now: a negative one makes one with chance 1 in
// its size.
int64_t SpawnCount(int number)
{
    if (number >= 0) return number;
    return Particle_ChanceOneIn(number) ? 1 : 0;
}

void RemoveDead(std::vector<Particle>& particles)
{
    particles.erase(std::remove_if(particles.begin(), particles.end(), [](const Particle& p) { return !p.alive; }),
                    particles.end());
}

// Ages every particle; the dead leave their death particles, the living their step particles.
// Particles made in the pass are visited by it too, so they age once before the next update.
void UpdateLife(ParticleSystem& ps, int index)
{
    ParticleTypeCache typeOf;
    bool dead = false;
    for (size_t i = 0; i < ps.particles.size(); i++) {
        Particle& p = ps.particles[i];
        p.age++;
        const ParticleType& t = typeOf(p.type);
        int64_t number;
        int type;
        if (p.age >= p.lifetime) {
            p.alive = false;
            dead = true;
            number = SpawnCount(t.deathNumber);
            type = t.deathType;
        } else {
            number = SpawnCount(t.stepNumber);
            type = t.stepType;
        }
        // Creation may move the array: p is not used after it.
        if (number > 0) Particle_CreateIn(ps, index, p.x, p.y, type, number);
    }
    if (dead) RemoveDead(ps.particles);
}

// Speed and direction from a motion vector (y downwards).
void VectorToMotion(Particle& p, float vx, float vy)
{
    if (vx == 0) {
        if (vy > 0) p.direction = 270;
        else if (vy < 0) p.direction = 90;
    } else {
        float a = std::atan2(vy, vx) / kRadians;
        p.direction = a > 0 ? 360 - a : -a;
    }
    p.direction -= 360 * std::floor(p.direction / 360);
    p.speed = std::sqrt(vx * vx + vy * vy);
}

// Size, colour and alpha along the life.
void Appear(Particle& p, const ParticleType& t)
{
    p.size = std::max(p.size + t.size.increase, 0.0f);
    // Colours change after birth only along two or three colours.
    if (p.age < 1 || p.lifetime < 1 || t.colourMode == COLOUR_TWO || t.colourMode == COLOUR_THREE) Particle_ComputeColor(&p);
    if (p.lifetime > 0) {
        float f = 2.0f * (float)p.age / (float)p.lifetime;
        p.alpha = f < 1 ? (1 - f) * t.alpha[0] + f * t.alpha[1] : (2 - f) * t.alpha[1] + (f - 1) * t.alpha[2];
    } else {
        p.alpha = t.alpha[1];
    }
}

// With nothing to deflect, change or destroy particles in between, each particle's appearance is
// updated with its motion, in one pass over the array.
void UpdateMotion(ParticleSystem& ps, bool appear)
{
    ParticleTypeCache typeOf;
    bool forces = !ps.attractors.empty();
    for (Particle& p : ps.particles) {
        const ParticleType& t = typeOf(p.type);
        p.xprevious = p.x;
        p.yprevious = p.y;
        p.speed = std::max(p.speed + t.speed.increase, 0.0f);
        p.direction += t.direction.increase;
        p.angle += t.orientation.increase;
        // Non-additive attractors move the particle this step without changing its motion.
        float dx = 0, dy = 0;
        if (t.gravityAmount != 0 || forces) {
            float vx = std::cos(p.direction * kRadians) * p.speed;
            float vy = -std::sin(p.direction * kRadians) * p.speed;
            if (t.gravityAmount != 0) {
                vx += std::cos(t.gravityDirection * kRadians) * t.gravityAmount;
                vy -= std::sin(t.gravityDirection * kRadians) * t.gravityAmount;
            }
            for (const ParticleAttractor& a : ps.attractors) {
                if (!a.created || a.force == 0 || a.distance == 0) continue;
                float ax = a.x - p.x, ay = a.y - p.y;
                float d = std::sqrt(ax * ax + ay * ay);
                if (!(d > 0 && d <= a.distance)) continue;
                float k = a.force / d;
                float nearness = (a.distance - d) / a.distance;
                if (a.kind == PS_FORCE_LINEAR) k *= nearness;
                else if (a.kind == PS_FORCE_QUADRATIC) k *= nearness * nearness;
                if (a.additive) {
                    vx += k * ax;
                    vy += k * ay;
                } else {
                    dx += k * ax;
                    dy += k * ay;
                }
            }
            VectorToMotion(p, vx, vy);
        }
        // The wiggles change this step's move only.
        float s = p.speed, e = p.direction;
        if (t.speed.wiggle != 0) s += Particle_Wave(p.age + 4 * (int64_t)p.seed, 20, 5) * t.speed.wiggle;
        if (t.direction.wiggle != 0) e += Particle_Wave(p.age + 3 * (int64_t)p.seed, 24, 6) * t.direction.wiggle;
        if (s != 0) {
            p.x += std::cos(e * kRadians) * s;
            p.y -= std::sin(e * kRadians) * s;
        }
        p.x += dx;
        p.y += dy;
        if (appear) Appear(p, t);
    }
}

template <class Region>
bool InRectangle(const Region& r, const Particle& p)
{
    return p.x >= r.xmin && p.x <= r.xmax && p.y >= r.ymin && p.y <= r.ymax;
}

template <class Region>
bool Usable(const Region& r)
{
    return r.created && r.xmin < r.xmax && r.ymin < r.ymax;
}

// Within the ellipse or diamond that fills the region; any other shape is the rectangle itself.
template <class Region>
bool InShape(const Region& r, int shape, const Particle& p)
{
    if (shape != PS_SHAPE_ELLIPSE && shape != PS_SHAPE_DIAMOND) return true;
    double nx = (p.x - ((double)r.xmin + r.xmax) / 2) * 2 / ((double)r.xmax - r.xmin);
    double ny = (p.y - ((double)r.ymin + r.ymax) / 2) * 2 / ((double)r.ymax - r.ymin);
    return shape == PS_SHAPE_ELLIPSE ? nx * nx + ny * ny <= 1 : std::fabs(nx) + std::fabs(ny) <= 1;
}

void Deflect(ParticleSystem& ps)
{
    for (const ParticleDeflector& d : ps.deflectors) {
        if (!Usable(d)) continue;
        for (Particle& p : ps.particles) {
            if (!InRectangle(d, p)) continue;
            if (d.kind == PS_DEFLECT_HORIZONTAL) {
                p.direction = 180 - p.direction;
                if (p.direction < 0) p.direction += 360;
                p.x = 2 * p.xprevious - p.x;
            } else {
                p.direction = 360 - p.direction;
                p.y = 2 * p.yprevious - p.y;
            }
            p.speed = std::max(p.speed - d.friction, 0.0f);
        }
    }
}

// A changed particle takes the new type with what its kind names from a particle freshly made of
// that type. A type that no longer exists cannot be made: the particle goes.
void Change(ParticleSystem& ps)
{
    bool dead = false;
    for (const ParticleChanger& c : ps.changers) {
        if (!Usable(c)) continue;
        for (Particle& p : ps.particles) {
            if (!p.alive || p.type != c.from || !InRectangle(c, p) || !InShape(c, c.shape, p)) continue;
            Particle fresh;
            if (!Particle_Setup(p.x, p.y, c.to, &fresh)) {
                p.alive = false;
                dead = true;
                continue;
            }
            p.type = c.to;
            if (c.kind == PS_CHANGE_ALL) {
                p = fresh;
            } else if (c.kind == PS_CHANGE_SHAPE) {
                p.colour = fresh.colour;
                p.alpha = fresh.alpha;
                p.size = fresh.size;
                p.firstFrame = fresh.firstFrame;
                p.angle = fresh.angle;
            } else if (c.kind == PS_CHANGE_MOTION) {
                p.speed = fresh.speed;
                p.direction = fresh.direction;
            }
        }
    }
    if (dead) RemoveDead(ps.particles);
}

void Destroy(ParticleSystem& ps)
{
    for (const ParticleDestroyer& d : ps.destroyers) {
        if (!Usable(d) || d.shape < PS_SHAPE_RECTANGLE || d.shape > PS_SHAPE_DIAMOND) continue;
        for (Particle& p : ps.particles)
            if (InRectangle(d, p) && InShape(d, d.shape, p)) p.alive = false;
    }
    RemoveDead(ps.particles);
}

void UpdateAppearance(ParticleSystem& ps)
{
    ParticleTypeCache typeOf;
    for (Particle& p : ps.particles) Appear(p, typeOf(p.type));
}
}  // namespace

void Particle_UpdateSystem(ParticleSystem& ps, int index)
{
    UpdateLife(ps, index);
    bool between = !ps.deflectors.empty() || !ps.changers.empty() || !ps.destroyers.empty();
    UpdateMotion(ps, !between);
    if (!between) {
        Particle_StreamEmitters(ps, index);
        return;
    }
    if (!ps.deflectors.empty()) Deflect(ps);
    if (!ps.changers.empty()) Change(ps);
    if (!ps.destroyers.empty()) Destroy(ps);
    UpdateAppearance(ps);
    Particle_StreamEmitters(ps, index);
}
