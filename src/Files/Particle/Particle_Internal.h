// The records behind the particle operations, shared by the files of the module (and its tests).
#pragma once
#include "Particle/Particle_Main.h"

#include <cstdint>
#include <vector>

// A quantity drawn within min..max at birth, changed by increase every step and swung by up to
// wiggle each way.
struct ParticleRange {
    float min, max, increase, wiggle;
};

struct ParticleType {
    bool inUse;
    int sprite;  // drawn instead of the shape; -1 none
    bool animate, stretch, random;
    int shape;
    ParticleRange size;
    float xscale, yscale;
    int lifeMin, lifeMax;
    int deathType, deathNumber;
    int stepType, stepNumber;
    ParticleRange speed, direction;
    float gravityAmount, gravityDirection;
    ParticleRange orientation;
    bool orientationRelative;
    int colourMode;  // 0 one colour, 1 two, 2 three, 3 RGB ranges, 4 HSV ranges, 5 mix
    int colour[6];
    float alpha[3];  // at birth, half life, death
    bool additive;
};
enum { COLOUR_ONE, COLOUR_TWO, COLOUR_THREE, COLOUR_RGB, COLOUR_HSV, COLOUR_MIX };

struct Particle {
    bool alive;
    // stepX, stepY hold the move of the present speed and direction (no wiggle): a particle
    // whose motion does not change moves without working out its sine and cosine each step.
    bool moveKnown;
    int type;
    int age, lifetime;  // steps
    float x, y, xprevious, yprevious;
    float speed, direction;
    float angle;  // image orientation before wiggle
    uint32_t colour;
    float alpha, size;
    int firstFrame;
    int seed;  // 0..99999: the phase of the wiggles
    float stepX, stepY;
};

struct ParticleEmitter {
    bool created;
    int number;  // streamed each step; negative: one with chance 1 in -number
    float xmin, xmax, ymin, ymax;
    int distribution, shape, type;
};
struct ParticleAttractor {
    bool created;
    float x, y, force, distance;
    int kind;
    bool additive;  // changes the motion; otherwise moves the particle this step only
};
struct ParticleDestroyer {
    bool created;
    float xmin, xmax, ymin, ymax;
    int shape;
};
struct ParticleDeflector {
    bool created;
    float xmin, xmax, ymin, ymax;
    int kind;
    float friction;
};
struct ParticleChanger {
    bool created;
    float xmin, xmax, ymin, ymax;
    int shape, from, to, kind;
};

struct ParticleSystem {
    bool created;
    std::vector<Particle> particles;  // live particles, oldest first
    std::vector<ParticleEmitter> emitters;
    std::vector<ParticleAttractor> attractors;
    std::vector<ParticleDestroyer> destroyers;
    std::vector<ParticleDeflector> deflectors;
    std::vector<ParticleChanger> changers;
    bool oldToNew;
    float depth;
    float x, y;  // added to every particle when drawn
    bool autoUpdate, autoDraw;
    bool capWarned;  // the cap's warning is written once a system
};

// The type a particle follows: its record even when destroyed (cleared), a blank default record
// for an index outside the list.
const ParticleType& Particle_TypeOf(int type);
int ParticleType_Count();
// Particle_TypeOf for each particle of a pass in turn: particles of one type follow each other, so
// the last type found is kept (no type is made or destroyed during a pass).
class ParticleTypeCache {
public:
    const ParticleType& operator()(int type)
    {
        if (type != m_index || !m_type) {
            m_index = type;
            m_type = &Particle_TypeOf(type);
        }
        return *m_type;
    }
private:
    int m_index = -1;
    const ParticleType* m_type = nullptr;
};
// The system of an index, null for one not created.
ParticleSystem* ParticleSystem_Get(int system);
int ParticleSystem_Count();

// Fills a particle at (x, y) from an existing type; false (nothing written) for a missing type.
bool Particle_Setup(float x, float y, int type, Particle* p);
// The colour at birth (ranges and mixes drawn at random) or, later, along the type's colours.
void Particle_ComputeColor(Particle* p);
// The same with the particle's type at hand.
void Particle_ComputeColor(Particle* p, const ParticleType& t);
// Appends up to number particles of the type (no more than the cap allows); the count made. A
// missing type writes the warning line and makes none.
int Particle_CreateIn(ParticleSystem& ps, int index, float x, float y, int type, int64_t number);
// Each emitter with a stream makes its particles, in index order.
void Particle_StreamEmitters(ParticleSystem& ps, int index);
// One update of every pass; the drawing of a system's particles.
void Particle_UpdateSystem(ParticleSystem& ps, int index);
void Particle_DrawSystem(const ParticleSystem& ps);
// The effect state: no systems, no types (start-up and exit).
void Effect_Reset();

// A triangle wave between -1 and 1 over period steps: phase / divisor rises from 0 to 2, then folds
// back down. The wiggles of size, orientation, speed and direction each have their own.
inline float Particle_Wave(int64_t phase, int period, float divisor)
{
    float w = (float)(((phase % period) + period) % period) / divisor;
    return (w > 2 ? 4 - w : w) - 1;
}

// A uniform real in [0, 1).
float Particle_Random();
// True with chance 1 in |n| (n = 0 never).
bool Particle_ChanceOneIn(int n);
