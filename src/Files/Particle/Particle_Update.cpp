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

// The motion of one step: changes of speed, direction and angle, gravity and attractors, then the
// move (wiggled).
void Move(Particle& p, const ParticleType& t, const std::vector<ParticleAttractor>& attractors)
{
    p.xprevious = p.x;
    p.yprevious = p.y;
    float speed = p.speed, direction = p.direction;
    p.speed = std::max(p.speed + t.speed.increase, 0.0f);
    p.direction += t.direction.increase;
    p.angle += t.orientation.increase;
    // Non-additive attractors move the particle this step without changing its motion.
    float dx = 0, dy = 0;
    if (t.gravityAmount != 0 || !attractors.empty()) {
        float vx = std::cos(p.direction * kRadians) * p.speed;
        float vy = -std::sin(p.direction * kRadians) * p.speed;
        if (t.gravityAmount != 0) {
            vx += std::cos(t.gravityDirection * kRadians) * t.gravityAmount;
            vy -= std::sin(t.gravityDirection * kRadians) * t.gravityAmount;
        }
        for (const ParticleAttractor& a : attractors) {
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
    bool wiggles = t.speed.wiggle != 0 || t.direction.wiggle != 0;
    if (t.speed.wiggle != 0) s += Particle_Wave(p.age + 4 * (int64_t)p.seed, 20, 5) * t.speed.wiggle;
    if (t.direction.wiggle != 0) e += Particle_Wave(p.age + 3 * (int64_t)p.seed, 24, 6) * t.direction.wiggle;
    if (s != 0) {
        if (wiggles || !p.moveKnown || p.speed != speed || p.direction != direction) {
            p.stepX = std::cos(e * kRadians) * s;
            p.stepY = std::sin(e * kRadians) * s;
            p.moveKnown = !wiggles;
        }
        p.x += p.stepX;
        p.y -= p.stepY;
    }
    p.x += dx;
    p.y += dy;
}

// Size, colour and alpha along the life. Particles made together of one type share their age and
// lifetime, and with them their colour along two or three colours and their alpha: the look last
// worked out in a pass serves the particles after it that share them.
class Looks {
public:
    void Appear(Particle& p, const ParticleType& t)
    {
        p.size = std::max(p.size + t.size.increase, 0.0f);
        bool along = t.colourMode == COLOUR_TWO || t.colourMode == COLOUR_THREE;
        if (p.type == m_type && p.age == m_age && p.lifetime == m_lifetime) {
            if (along) p.colour = m_colour;
            p.alpha = m_alpha;
            return;
        }
        // At birth colours may be drawn at random: such a look is never shared.
        bool born = p.age < 1 || p.lifetime < 1;
        if (born || along) Particle_ComputeColor(&p, t);
        if (p.lifetime > 0) {
            float f = 2.0f * (float)p.age / (float)p.lifetime;
            p.alpha = f < 1 ? (1 - f) * t.alpha[0] + f * t.alpha[1] : (2 - f) * t.alpha[1] + (f - 1) * t.alpha[2];
        } else {
            p.alpha = t.alpha[1];
        }
        m_type = born ? -1 : p.type;
        m_age = p.age;
        m_lifetime = p.lifetime;
        m_colour = p.colour;
        m_alpha = p.alpha;
    }
private:
    int m_type = -1, m_age = 0, m_lifetime = 0;
    uint32_t m_colour = 0;
    float m_alpha = 0;
};

// Life and motion, and the appearance too when nothing lies between, in one pass over the array.
// Each particle is aged; the dead leave their death particles, the living their step particles
// (where the particle stood before it moves) and then move. Particles made in the pass are visited
// by it too, so they age once before the next update. The dead are dropped as the pass goes, the
// living moving down in their order.
void LiveAndMove(ParticleSystem& ps, int index, bool appear)
{
    ParticleTypeCache typeOf;
    Looks looks;
    size_t kept = 0;
    for (size_t i = 0; i < ps.particles.size(); i++) {
        Particle* p = &ps.particles[i];
        p->age++;
        const ParticleType& t = typeOf(p->type);
        bool dies = p->age >= p->lifetime;
        int number = dies ? t.deathNumber : t.stepNumber;
        if (number != 0) {
            int64_t made = SpawnCount(number);
            // Creation may move the array.
            if (made > 0) Particle_CreateIn(ps, index, p->x, p->y, dies ? t.deathType : t.stepType, made);
            p = &ps.particles[i];
        }
        if (dies) continue;
        Move(*p, t, ps.attractors);
        if (appear) looks.Appear(*p, t);
        if (kept != i) ps.particles[kept] = *p;
        kept++;
    }
    ps.particles.resize(kept);
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
            p.moveKnown = false;
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
                p.moveKnown = false;
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
    Looks looks;
    for (Particle& p : ps.particles) looks.Appear(p, typeOf(p.type));
}
}  // namespace

void Particle_UpdateSystem(ParticleSystem& ps, int index)
{
    bool between = !ps.deflectors.empty() || !ps.changers.empty() || !ps.destroyers.empty();
    LiveAndMove(ps, index, !between);
    if (between) {
        if (!ps.deflectors.empty()) Deflect(ps);
        if (!ps.changers.empty()) Change(ps);
        if (!ps.destroyers.empty()) Destroy(ps);
        UpdateAppearance(ps);
    }
    Particle_StreamEmitters(ps, index);
}
