// Particles: types (the templates particles are made from), systems that own live particles with
// their emitters, attractors, destroyers, deflectors and changers, and the ready-made effects built
// on both. Types, systems and components are named by index. An index that names nothing makes an
// operation do nothing (and answer false, 0 or -1); only particle creation says so, with a line on
// the warnings console.
//
// Angles are degrees (0 right, counter-clockwise), speeds pixels per step, colours 0xBBGGRR.
#pragma once

// Built-in shapes 0..13 (pt_shape_pixel .. pt_shape_snow), drawn from 64 x 64 textures.
const int PARTICLE_SHAPE_COUNT = 14;
// Region shapes of emitters, destroyers and changers.
enum { PS_SHAPE_RECTANGLE = 0, PS_SHAPE_ELLIPSE = 1, PS_SHAPE_DIAMOND = 2, PS_SHAPE_LINE = 3 };
// Distributions of random draws within a range.
enum { PS_DISTR_LINEAR = 0, PS_DISTR_GAUSSIAN = 1, PS_DISTR_INVGAUSSIAN = 2 };
// Attractor kinds, deflector kinds, changer kinds.
enum { PS_FORCE_CONSTANT = 0, PS_FORCE_LINEAR = 1, PS_FORCE_QUADRATIC = 2 };
enum { PS_DEFLECT_VERTICAL = 0, PS_DEFLECT_HORIZONTAL = 1 };
enum { PS_CHANGE_ALL = 0, PS_CHANGE_SHAPE = 1, PS_CHANGE_MOTION = 2 };
// The most live particles one system holds; creation beyond it makes nothing (a self-spawning
// type or a burst of billions would otherwise exhaust memory).
const int PARTICLE_SYSTEM_CAP = 500000;

// Module: start-up and exit empty every table; the shape textures are made once graphics exist.
void Particle_Init();
void Particle_Free();
void Particle_InitShapeTextures();
// The step: every system with automatic update advances once, in index order.
void Particle_UpdateAutomatic();

// Types. A new type takes the first free slot. Clearing restores every default except the
// additive flag and colour values 4 to 6, which a destroyed type also leaves to the next type
// created on its slot. Particles consult their type every step, so a change reaches them at once.
int ParticleType_Create();
void ParticleType_Destroy(int type);
bool ParticleType_Exists(int type);
void ParticleType_Clear(int type);
void ParticleType_Shape(int type, int shape);  // drops the sprite
void ParticleType_Sprite(int type, int sprite, bool animate, bool stretch, bool random);
void ParticleType_Size(int type, float min, float max, float increase, float wiggle);
void ParticleType_Scale(int type, float xscale, float yscale);
void ParticleType_Life(int type, int min, int max);
void ParticleType_Step(int type, int number, int stepType);
void ParticleType_Death(int type, int number, int deathType);
void ParticleType_Speed(int type, float min, float max, float increase, float wiggle);
void ParticleType_Direction(int type, float min, float max, float increase, float wiggle);
void ParticleType_Orientation(int type, float min, float max, float increase, float wiggle, bool relative);
void ParticleType_Gravity(int type, float amount, float direction);
void ParticleType_Color1(int type, int colour);
void ParticleType_Color2(int type, int start, int end);
void ParticleType_Color3(int type, int start, int middle, int end);
void ParticleType_ColorRGB(int type, int rmin, int rmax, int gmin, int gmax, int bmin, int bmax);
void ParticleType_ColorHSV(int type, int hmin, int hmax, int smin, int smax, int vmin, int vmax);
void ParticleType_ColorMix(int type, int colour1, int colour2);
void ParticleType_Alpha1(int type, float alpha);
void ParticleType_Alpha2(int type, float start, float end);
void ParticleType_Alpha3(int type, float start, float middle, float end);
void ParticleType_Blend(int type, bool additive);
void ParticleType_FreeAll();
// A random real within min..max (min when the range is empty or inverted), in single precision:
// linear, gaussian (clustered at the middle) or inverse gaussian (clustered at both ends).
float Particle_RandomInRange(float min, float max, int distribution);

// Systems.
int ParticleSystem_Create();
void ParticleSystem_Destroy(int system);
bool ParticleSystem_Exists(int system);
void ParticleSystem_Clear(int system);
void ParticleSystem_DrawOrder(int system, bool oldToNew);
void ParticleSystem_Depth(int system, float depth);
void ParticleSystem_Position(int system, float x, float y);
void ParticleSystem_AutomaticUpdate(int system, bool on);
void ParticleSystem_AutomaticDraw(int system, bool on);
void ParticleSystem_Update(int system);
void ParticleSystem_Draw(int system);
void ParticleSystem_CreateParticles(int system, float x, float y, int type, int number);
void ParticleSystem_CreateParticlesColor(int system, float x, float y, int type, int colour, int number);
void ParticleSystem_ClearParticles(int system);
int ParticleSystem_CountParticles(int system);

// Room drawing: the greatest depth of a system the room draws, the greatest one at least 0.01
// below a depth (-1e9 when none), and the drawing of every such system within 0.01 of a depth, so
// that each system is drawn exactly once as the depth walks down.
float ParticleSystems_MaxDepth();
float ParticleSystems_NextDepthBelow(float depth);
void ParticleSystems_DrawAtDepth(float depth);

// Components of a system: creation answers the new index (-1 for a bad system) and reuses the
// first destroyed slot.
int ParticleEmitter_Create(int system);
void ParticleEmitter_Destroy(int system, int emitter);
void ParticleEmitter_DestroyAll(int system);
bool ParticleEmitter_Exists(int system, int emitter);
void ParticleEmitter_Clear(int system, int emitter);
void ParticleEmitter_Region(int system, int emitter, float xmin, float xmax, float ymin, float ymax, int shape, int distribution);
void ParticleEmitter_Burst(int system, int emitter, int type, int number);
void ParticleEmitter_Stream(int system, int emitter, int type, int number);

int ParticleAttractor_Create(int system);
void ParticleAttractor_Destroy(int system, int attractor);
void ParticleAttractor_DestroyAll(int system);
bool ParticleAttractor_Exists(int system, int attractor);
void ParticleAttractor_Clear(int system, int attractor);
void ParticleAttractor_Position(int system, int attractor, float x, float y);
void ParticleAttractor_Force(int system, int attractor, float force, float distance, int kind, bool additive);

int ParticleDestroyer_Create(int system);
void ParticleDestroyer_Destroy(int system, int destroyer);
void ParticleDestroyer_DestroyAll(int system);
bool ParticleDestroyer_Exists(int system, int destroyer);
void ParticleDestroyer_Clear(int system, int destroyer);
void ParticleDestroyer_Region(int system, int destroyer, float xmin, float xmax, float ymin, float ymax, int shape);

int ParticleDeflector_Create(int system);
void ParticleDeflector_Destroy(int system, int deflector);
void ParticleDeflector_DestroyAll(int system);
bool ParticleDeflector_Exists(int system, int deflector);
void ParticleDeflector_Clear(int system, int deflector);
void ParticleDeflector_Region(int system, int deflector, float xmin, float xmax, float ymin, float ymax);
void ParticleDeflector_Kind(int system, int deflector, int kind);
void ParticleDeflector_Friction(int system, int deflector, float friction);

int ParticleChanger_Create(int system);
void ParticleChanger_Destroy(int system, int changer);
void ParticleChanger_DestroyAll(int system);
bool ParticleChanger_Exists(int system, int changer);
void ParticleChanger_Clear(int system, int changer);
void ParticleChanger_Region(int system, int changer, float xmin, float xmax, float ymin, float ymax, int shape);
void ParticleChanger_Types(int system, int changer, int fromType, int toType);
void ParticleChanger_Kind(int system, int changer, int kind);

// Effects: twelve kinds (ef_explosion 0 .. ef_snow 11) in three sizes (0 small, 2 large, any other
// medium), fired into a system behind everything (depth 100000) or in front of everything
// (-100000). Both systems and the 38 effect types are made on the first effect; speeds and lives
// follow the room speed so that effects look alike at any speed. Without a room nothing happens.
void Effect_Create(bool below, int kind, float x, float y, int size, int colour);
// Removes the particles of both effect systems (effect_clear and every room start).
void Effect_Clear();
// 1, or 30 / the room speed (or 30 / the frame rate when the game runs well below its speed) when
// both exceed 30.
float Effect_TimeFactor();
// What effects scale by: the running room's size and speed and the frame rate. The run installs
// the hook; false (or no hook) when no room runs.
struct EffectRoom {
    int width, height, speed, fps;
};
extern bool (*Effect_RoomHook)(EffectRoom* out);
