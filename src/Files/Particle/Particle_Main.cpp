// Particle systems: the system list, the creation of particles, emitters and the other components,
// and the depth queries of room drawing.
#include "Particle/Particle_Internal.h"

#include "Base/Console.h"
#include "Graphics_API/EmbeddedImages.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {
std::vector<std::unique_ptr<ParticleSystem>> Systems;

template <class T>
void Release(std::vector<T>& list)
{
    std::vector<T>().swap(list);
}

void ClearSystem(ParticleSystem& ps)
{
    Release(ps.particles);
    Release(ps.emitters);
    Release(ps.attractors);
    Release(ps.destroyers);
    Release(ps.deflectors);
    Release(ps.changers);
    ps.oldToNew = true;
    ps.depth = 0;
    ps.x = ps.y = 0;
    ps.autoUpdate = ps.autoDraw = true;
    ps.capWarned = false;
}

// A particle type that can be made, or the warning line.
bool TypeUsable(int type)
{
    if (ParticleType_Exists(type)) return true;
    Console_Warnings->Output("part_particles_create :: particle type does not exist!\n");
    return false;
}

// How many of number particles the system still takes: the rest of its cap, with one warning line
// in the system's life when the cap cuts a creation short.
int64_t Room(ParticleSystem& ps, int index, int64_t number)
{
    int64_t room = PARTICLE_SYSTEM_CAP - (int64_t)ps.particles.size();
    if (number <= room) return number;
    if (!ps.capWarned)
        Console_Warnings->Output("Particle system %d holds %d particles, the most it can: no more are created.\n", index,
                                 PARTICLE_SYSTEM_CAP);
    ps.capWarned = true;
    return std::max<int64_t>(room, 0);
}

// Where an emitter puts a particle: a point of its region drawn by its distribution. A shape that
// is none of the four counts as a rectangle.
void EmitterPoint(const ParticleEmitter& e, float* x, float* y)
{
    float u, v;
    for (;;) {
        u = Particle_RandomInRange(0, 1, e.distribution);
        v = Particle_RandomInRange(0, 1, e.distribution);
        // The inverse gaussian crowds the corners; one coordinate drawn evenly crowds the edges.
        if (e.distribution == PS_DISTR_INVGAUSSIAN && e.shape != PS_SHAPE_LINE) {
            if (Particle_Random() >= 0.5f) v = Particle_Random();
            else u = Particle_Random();
        }
        if (e.shape == PS_SHAPE_ELLIPSE) {
            if ((u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f) <= 0.25f) break;
        } else if (e.shape == PS_SHAPE_DIAMOND) {
            if (std::fabs(u - 0.5f) + std::fabs(v - 0.5f) <= 0.5f) break;
        } else {
            break;
        }
    }
    *x = e.xmin + (e.xmax - e.xmin) * u;
    *y = e.ymin + (e.ymax - e.ymin) * (e.shape == PS_SHAPE_LINE ? u : v);
}

void Burst(ParticleSystem& ps, int index, const ParticleEmitter& e, int type, int number)
{
    int64_t n = number < 0 ? (Particle_ChanceOneIn(number) ? 1 : 0) : number;
    if (n <= 0 || !TypeUsable(type)) return;
    n = Room(ps, index, n);
    size_t need = ps.particles.size() + (size_t)n;
    if (need > ps.particles.capacity()) ps.particles.reserve(std::max(need, ps.particles.capacity() * 2));
    for (int64_t i = 0; i < n; i++) {
        float x, y;
        EmitterPoint(e, &x, &y);
        ps.particles.emplace_back();
        Particle_Setup(x, y, type, &ps.particles.back());
    }
}

// Components live in their slots until the system is cleared; destroying one clears its flag.
void Reset(ParticleEmitter& e) { e = {true, 0, 0, 0, 0, 0, 0, 0, 0}; }
void Reset(ParticleAttractor& a) { a = {true, 0, 0, 0, 0, 0, true}; }
void Reset(ParticleDestroyer& d) { d = {true, 0, 0, 0, 0, 0}; }
void Reset(ParticleDeflector& d) { d = {true, 0, 0, 0, 0, 0, 0}; }
void Reset(ParticleChanger& c) { c = {true, 0, 0, 0, 0, 0, -1, -1, 0}; }

template <class T>
using ListOf = std::vector<T> ParticleSystem::*;

template <class T>
T* Find(int system, ListOf<T> list, int index)
{
    ParticleSystem* ps = ParticleSystem_Get(system);
    if (!ps) return nullptr;
    std::vector<T>& items = ps->*list;
    if (index < 0 || index >= (int)items.size() || !items[index].created) return nullptr;
    return &items[index];
}

template <class T>
int Create(int system, ListOf<T> list)
{
    ParticleSystem* ps = ParticleSystem_Get(system);
    if (!ps) return -1;
    std::vector<T>& items = ps->*list;
    size_t index = 0;
    while (index < items.size() && items[index].created) index++;
    if (index == items.size()) items.emplace_back();
    Reset(items[index]);
    return (int)index;
}

template <class T>
void Destroy(int system, ListOf<T> list, int index)
{
    if (T* item = Find(system, list, index)) item->created = false;
}

template <class T>
void DestroyAll(int system, ListOf<T> list)
{
    if (ParticleSystem* ps = ParticleSystem_Get(system)) Release(ps->*list);
}

template <class T>
void Clear(int system, ListOf<T> list, int index)
{
    if (T* item = Find(system, list, index)) Reset(*item);
}

template <class T>
void SetRegion(T* item, float xmin, float xmax, float ymin, float ymax)
{
    item->xmin = xmin;
    item->xmax = xmax;
    item->ymin = ymin;
    item->ymax = ymax;
}

constexpr ListOf<ParticleEmitter> Emitters = &ParticleSystem::emitters;
constexpr ListOf<ParticleAttractor> Attractors = &ParticleSystem::attractors;
constexpr ListOf<ParticleDestroyer> Destroyers = &ParticleSystem::destroyers;
constexpr ListOf<ParticleDeflector> Deflectors = &ParticleSystem::deflectors;
constexpr ListOf<ParticleChanger> Changers = &ParticleSystem::changers;

// Systems the room draws, in index order.
template <class Body>
void ForDrawnSystems(Body body)
{
    for (const std::unique_ptr<ParticleSystem>& ps : Systems)
        if (ps->created && ps->autoDraw) body(*ps);
}
}  // namespace

void Particle_Init()
{
    Release(Systems);
    ParticleType_FreeAll();
    Effect_Reset();
}

void Particle_Free()
{
    Particle_Init();
}

void Particle_InitShapeTextures()
{
    for (int shape = 0; shape < PARTICLE_SHAPE_COUNT; shape++) EmbeddedImages_GetTexture(shape + 1);
}

void Particle_UpdateAutomatic()
{
    for (size_t i = 0; i < Systems.size(); i++)
        if (Systems[i]->created && Systems[i]->autoUpdate) Particle_UpdateSystem(*Systems[i], (int)i);
}

ParticleSystem* ParticleSystem_Get(int system)
{
    if (system < 0 || system >= (int)Systems.size() || !Systems[system]->created) return nullptr;
    return Systems[system].get();
}

int ParticleSystem_Count()
{
    return (int)Systems.size();
}

int ParticleSystem_Create()
{
    size_t index = 0;
    while (index < Systems.size() && Systems[index]->created) index++;
    if (index == Systems.size()) Systems.push_back(std::make_unique<ParticleSystem>());
    Systems[index]->created = true;
    ClearSystem(*Systems[index]);
    return (int)index;
}

void ParticleSystem_Destroy(int system)
{
    if (ParticleSystem* ps = ParticleSystem_Get(system)) {
        ClearSystem(*ps);
        ps->created = false;
    }
}

bool ParticleSystem_Exists(int system)
{
    return ParticleSystem_Get(system) != nullptr;
}

void ParticleSystem_Clear(int system)
{
    if (ParticleSystem* ps = ParticleSystem_Get(system)) ClearSystem(*ps);
}

void ParticleSystem_DrawOrder(int system, bool oldToNew)
{
    if (ParticleSystem* ps = ParticleSystem_Get(system)) ps->oldToNew = oldToNew;
}

void ParticleSystem_Depth(int system, float depth)
{
    if (ParticleSystem* ps = ParticleSystem_Get(system)) ps->depth = depth;
}

void ParticleSystem_Position(int system, float x, float y)
{
    if (ParticleSystem* ps = ParticleSystem_Get(system)) {
        ps->x = x;
        ps->y = y;
    }
}

void ParticleSystem_AutomaticUpdate(int system, bool on)
{
    if (ParticleSystem* ps = ParticleSystem_Get(system)) ps->autoUpdate = on;
}

void ParticleSystem_AutomaticDraw(int system, bool on)
{
    if (ParticleSystem* ps = ParticleSystem_Get(system)) ps->autoDraw = on;
}

void ParticleSystem_Update(int system)
{
    if (ParticleSystem* ps = ParticleSystem_Get(system)) Particle_UpdateSystem(*ps, system);
}

void ParticleSystem_Draw(int system)
{
    if (ParticleSystem* ps = ParticleSystem_Get(system)) Particle_DrawSystem(*ps);
}

int Particle_CreateIn(ParticleSystem& ps, int index, float x, float y, int type, int64_t number)
{
    if (!TypeUsable(type) || number < 1) return 0;
    number = Room(ps, index, number);
    size_t first = ps.particles.size();
    ps.particles.resize(first + (size_t)number);
    for (size_t i = first; i < ps.particles.size(); i++) Particle_Setup(x, y, type, &ps.particles[i]);
    return (int)number;
}

void ParticleSystem_CreateParticles(int system, float x, float y, int type, int number)
{
    ParticleSystem* ps = ParticleSystem_Get(system);
    if (!ps) {
        Console_Warnings->Output("part_particles_create :: particle system does not exist!\n");
        return;
    }
    Particle_CreateIn(*ps, system, x, y, type, number);
}

void ParticleSystem_CreateParticlesColor(int system, float x, float y, int type, int colour, int number)
{
    ParticleSystem* ps = ParticleSystem_Get(system);
    if (!ps) {
        Console_Warnings->Output("part_particles_create :: particle system does not exist!\n");
        return;
    }
    int made = Particle_CreateIn(*ps, system, x, y, type, number);
    for (size_t i = ps->particles.size() - made; i < ps->particles.size(); i++) ps->particles[i].colour = (uint32_t)colour;
}

void ParticleSystem_ClearParticles(int system)
{
    if (ParticleSystem* ps = ParticleSystem_Get(system)) {
        Release(ps->particles);
        ps->capWarned = false;
    }
}

int ParticleSystem_CountParticles(int system)
{
    ParticleSystem* ps = ParticleSystem_Get(system);
    return ps ? (int)ps->particles.size() : 0;
}

// A system is drawn at the first depth of the walk that lies within 0.01 above it; the next depth
// of the walk lies at least 0.01 lower, so no system is drawn twice.
static bool WellBelow(float depth, const ParticleSystem& ps)
{
    return (double)depth - ps.depth >= 0.01;
}

float ParticleSystems_MaxDepth()
{
    float best = -1e9f;
    ForDrawnSystems([&](const ParticleSystem& ps) { best = std::max(best, ps.depth); });
    return best;
}

float ParticleSystems_NextDepthBelow(float depth)
{
    float best = -1e9f;
    ForDrawnSystems([&](const ParticleSystem& ps) {
        if (WellBelow(depth, ps) && ps.depth > best) best = ps.depth;
    });
    return best;
}

void ParticleSystems_DrawAtDepth(float depth)
{
    ForDrawnSystems([&](const ParticleSystem& ps) {
        if (ps.depth <= depth && !WellBelow(depth, ps)) Particle_DrawSystem(ps);
    });
}

int ParticleEmitter_Create(int system) { return Create(system, Emitters); }
void ParticleEmitter_Destroy(int system, int emitter) { Destroy(system, Emitters, emitter); }
void ParticleEmitter_DestroyAll(int system) { DestroyAll(system, Emitters); }
bool ParticleEmitter_Exists(int system, int emitter) { return Find(system, Emitters, emitter) != nullptr; }
void ParticleEmitter_Clear(int system, int emitter) { Clear(system, Emitters, emitter); }

void ParticleEmitter_Region(int system, int emitter, float xmin, float xmax, float ymin, float ymax, int shape, int distribution)
{
    if (ParticleEmitter* e = Find(system, Emitters, emitter)) {
        SetRegion(e, xmin, xmax, ymin, ymax);
        e->shape = shape;
        e->distribution = distribution;
    }
}

void ParticleEmitter_Burst(int system, int emitter, int type, int number)
{
    if (ParticleEmitter* e = Find(system, Emitters, emitter)) Burst(*ParticleSystem_Get(system), system, *e, type, number);
}

void ParticleEmitter_Stream(int system, int emitter, int type, int number)
{
    if (ParticleEmitter* e = Find(system, Emitters, emitter)) {
        e->type = type;
        e->number = number;
    }
}

void Particle_StreamEmitters(ParticleSystem& ps, int index)
{
    for (size_t i = 0; i < ps.emitters.size(); i++) {
        ParticleEmitter e = ps.emitters[i];
        if (e.created && e.number != 0) Burst(ps, index, e, e.type, e.number);
    }
}

int ParticleAttractor_Create(int system) { return Create(system, Attractors); }
void ParticleAttractor_Destroy(int system, int attractor) { Destroy(system, Attractors, attractor); }
void ParticleAttractor_DestroyAll(int system) { DestroyAll(system, Attractors); }
bool ParticleAttractor_Exists(int system, int attractor) { return Find(system, Attractors, attractor) != nullptr; }
void ParticleAttractor_Clear(int system, int attractor) { Clear(system, Attractors, attractor); }

void ParticleAttractor_Position(int system, int attractor, float x, float y)
{
    if (ParticleAttractor* a = Find(system, Attractors, attractor)) {
        a->x = x;
        a->y = y;
    }
}

void ParticleAttractor_Force(int system, int attractor, float force, float distance, int kind, bool additive)
{
    if (ParticleAttractor* a = Find(system, Attractors, attractor)) {
        a->force = force;
        a->distance = distance;
        a->kind = kind;
        a->additive = additive;
    }
}

int ParticleDestroyer_Create(int system) { return Create(system, Destroyers); }
void ParticleDestroyer_Destroy(int system, int destroyer) { Destroy(system, Destroyers, destroyer); }
void ParticleDestroyer_DestroyAll(int system) { DestroyAll(system, Destroyers); }
bool ParticleDestroyer_Exists(int system, int destroyer) { return Find(system, Destroyers, destroyer) != nullptr; }
void ParticleDestroyer_Clear(int system, int destroyer) { Clear(system, Destroyers, destroyer); }

void ParticleDestroyer_Region(int system, int destroyer, float xmin, float xmax, float ymin, float ymax, int shape)
{
    if (ParticleDestroyer* d = Find(system, Destroyers, destroyer)) {
        SetRegion(d, xmin, xmax, ymin, ymax);
        d->shape = shape;
    }
}

int ParticleDeflector_Create(int system) { return Create(system, Deflectors); }
void ParticleDeflector_Destroy(int system, int deflector) { Destroy(system, Deflectors, deflector); }
void ParticleDeflector_DestroyAll(int system) { DestroyAll(system, Deflectors); }
bool ParticleDeflector_Exists(int system, int deflector) { return Find(system, Deflectors, deflector) != nullptr; }
void ParticleDeflector_Clear(int system, int deflector) { Clear(system, Deflectors, deflector); }

void ParticleDeflector_Region(int system, int deflector, float xmin, float xmax, float ymin, float ymax)
{
    if (ParticleDeflector* d = Find(system, Deflectors, deflector)) SetRegion(d, xmin, xmax, ymin, ymax);
}

void ParticleDeflector_Kind(int system, int deflector, int kind)
{
    if (ParticleDeflector* d = Find(system, Deflectors, deflector)) d->kind = kind;
}

void ParticleDeflector_Friction(int system, int deflector, float friction)
{
    if (ParticleDeflector* d = Find(system, Deflectors, deflector)) d->friction = friction;
}

int ParticleChanger_Create(int system) { return Create(system, Changers); }
void ParticleChanger_Destroy(int system, int changer) { Destroy(system, Changers, changer); }
void ParticleChanger_DestroyAll(int system) { DestroyAll(system, Changers); }
bool ParticleChanger_Exists(int system, int changer) { return Find(system, Changers, changer) != nullptr; }
void ParticleChanger_Clear(int system, int changer) { Clear(system, Changers, changer); }

void ParticleChanger_Region(int system, int changer, float xmin, float xmax, float ymin, float ymax, int shape)
{
    if (ParticleChanger* c = Find(system, Changers, changer)) {
        SetRegion(c, xmin, xmax, ymin, ymax);
        c->shape = shape;
    }
}

void ParticleChanger_Types(int system, int changer, int fromType, int toType)
{
    if (ParticleChanger* c = Find(system, Changers, changer)) {
        c->from = fromType;
        c->to = toType;
    }
}

void ParticleChanger_Kind(int system, int changer, int kind)
{
    if (ParticleChanger* c = Find(system, Changers, changer)) c->kind = kind;
}
