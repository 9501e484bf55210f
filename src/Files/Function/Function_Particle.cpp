// The registrar and handlers of the particle built-ins. Each handler converts its arguments and
// makes one call of the particle module, which ignores indexes that name nothing; none reports an
// error. Flags are true from 0.5 up.
#include "Function/Function_Particle.h"
#include "Code/Function.h"
#include "Particle/Particle_Main.h"
#include "Variable/Arguments.h"

#define PARTICLE_BUILTIN(name) \
    void F_##name([[maybe_unused]] TaggedValue* result, CInstance*, CInstance*, int, [[maybe_unused]] TaggedValue* a)

namespace {

int I(const TaggedValue& v) { return Arg_I(v); }
float F(const TaggedValue& v) { return Arg_F(v); }
bool B(const TaggedValue& v) { return Arg_BD(v); }

PARTICLE_BUILTIN(part_type_create) { result->SetReal(ParticleType_Create()); }
PARTICLE_BUILTIN(part_type_destroy) { ParticleType_Destroy(I(a[0])); }
PARTICLE_BUILTIN(part_type_exists) { result->SetReal(ParticleType_Exists(I(a[0]))); }
PARTICLE_BUILTIN(part_type_clear) { ParticleType_Clear(I(a[0])); }
PARTICLE_BUILTIN(part_type_shape) { ParticleType_Shape(I(a[0]), I(a[1])); }
PARTICLE_BUILTIN(part_type_sprite) { ParticleType_Sprite(I(a[0]), I(a[1]), B(a[2]), B(a[3]), B(a[4])); }
PARTICLE_BUILTIN(part_type_size) { ParticleType_Size(I(a[0]), F(a[1]), F(a[2]), F(a[3]), F(a[4])); }
PARTICLE_BUILTIN(part_type_scale) { ParticleType_Scale(I(a[0]), F(a[1]), F(a[2])); }
PARTICLE_BUILTIN(part_type_life) { ParticleType_Life(I(a[0]), I(a[1]), I(a[2])); }
PARTICLE_BUILTIN(part_type_step) { ParticleType_Step(I(a[0]), I(a[1]), I(a[2])); }
PARTICLE_BUILTIN(part_type_death) { ParticleType_Death(I(a[0]), I(a[1]), I(a[2])); }
PARTICLE_BUILTIN(part_type_speed) { ParticleType_Speed(I(a[0]), F(a[1]), F(a[2]), F(a[3]), F(a[4])); }
PARTICLE_BUILTIN(part_type_direction) { ParticleType_Direction(I(a[0]), F(a[1]), F(a[2]), F(a[3]), F(a[4])); }
PARTICLE_BUILTIN(part_type_orientation) { ParticleType_Orientation(I(a[0]), F(a[1]), F(a[2]), F(a[3]), F(a[4]), B(a[5])); }
PARTICLE_BUILTIN(part_type_gravity) { ParticleType_Gravity(I(a[0]), F(a[1]), F(a[2])); }
PARTICLE_BUILTIN(part_type_color_mix) { ParticleType_ColorMix(I(a[0]), I(a[1]), I(a[2])); }
PARTICLE_BUILTIN(part_type_color_rgb) { ParticleType_ColorRGB(I(a[0]), I(a[1]), I(a[2]), I(a[3]), I(a[4]), I(a[5]), I(a[6])); }
PARTICLE_BUILTIN(part_type_color_hsv) { ParticleType_ColorHSV(I(a[0]), I(a[1]), I(a[2]), I(a[3]), I(a[4]), I(a[5]), I(a[6])); }
PARTICLE_BUILTIN(part_type_color1) { ParticleType_Color1(I(a[0]), I(a[1])); }
PARTICLE_BUILTIN(part_type_color2) { ParticleType_Color2(I(a[0]), I(a[1]), I(a[2])); }
PARTICLE_BUILTIN(part_type_color3) { ParticleType_Color3(I(a[0]), I(a[1]), I(a[2]), I(a[3])); }
PARTICLE_BUILTIN(part_type_alpha1) { ParticleType_Alpha1(I(a[0]), F(a[1])); }
PARTICLE_BUILTIN(part_type_alpha2) { ParticleType_Alpha2(I(a[0]), F(a[1]), F(a[2])); }
PARTICLE_BUILTIN(part_type_alpha3) { ParticleType_Alpha3(I(a[0]), F(a[1]), F(a[2]), F(a[3])); }
PARTICLE_BUILTIN(part_type_blend) { ParticleType_Blend(I(a[0]), B(a[1])); }

PARTICLE_BUILTIN(part_system_create) { result->SetReal(ParticleSystem_Create()); }
PARTICLE_BUILTIN(part_system_destroy) { ParticleSystem_Destroy(I(a[0])); }
PARTICLE_BUILTIN(part_system_exists) { result->SetReal(ParticleSystem_Exists(I(a[0]))); }
PARTICLE_BUILTIN(part_system_clear) { ParticleSystem_Clear(I(a[0])); }
PARTICLE_BUILTIN(part_system_draw_order) { ParticleSystem_DrawOrder(I(a[0]), B(a[1])); }
PARTICLE_BUILTIN(part_system_depth) { ParticleSystem_Depth(I(a[0]), F(a[1])); }
PARTICLE_BUILTIN(part_system_position) { ParticleSystem_Position(I(a[0]), F(a[1]), F(a[2])); }
PARTICLE_BUILTIN(part_system_automatic_update) { ParticleSystem_AutomaticUpdate(I(a[0]), B(a[1])); }
PARTICLE_BUILTIN(part_system_automatic_draw) { ParticleSystem_AutomaticDraw(I(a[0]), B(a[1])); }
PARTICLE_BUILTIN(part_system_update) { ParticleSystem_Update(I(a[0])); }
PARTICLE_BUILTIN(part_system_drawit) { ParticleSystem_Draw(I(a[0])); }

PARTICLE_BUILTIN(part_particles_create) { ParticleSystem_CreateParticles(I(a[0]), F(a[1]), F(a[2]), I(a[3]), I(a[4])); }
PARTICLE_BUILTIN(part_particles_create_color)
{
    ParticleSystem_CreateParticlesColor(I(a[0]), F(a[1]), F(a[2]), I(a[3]), I(a[4]), I(a[5]));
}
PARTICLE_BUILTIN(part_particles_clear) { ParticleSystem_ClearParticles(I(a[0])); }
PARTICLE_BUILTIN(part_particles_count) { result->SetReal(ParticleSystem_CountParticles(I(a[0]))); }

PARTICLE_BUILTIN(part_emitter_create) { result->SetReal(ParticleEmitter_Create(I(a[0]))); }
PARTICLE_BUILTIN(part_emitter_destroy) { ParticleEmitter_Destroy(I(a[0]), I(a[1])); }
PARTICLE_BUILTIN(part_emitter_destroy_all) { ParticleEmitter_DestroyAll(I(a[0])); }
PARTICLE_BUILTIN(part_emitter_exists) { result->SetReal(ParticleEmitter_Exists(I(a[0]), I(a[1]))); }
PARTICLE_BUILTIN(part_emitter_clear) { ParticleEmitter_Clear(I(a[0]), I(a[1])); }
PARTICLE_BUILTIN(part_emitter_region)
{
    ParticleEmitter_Region(I(a[0]), I(a[1]), F(a[2]), F(a[3]), F(a[4]), F(a[5]), I(a[6]), I(a[7]));
}
PARTICLE_BUILTIN(part_emitter_burst) { ParticleEmitter_Burst(I(a[0]), I(a[1]), I(a[2]), I(a[3])); }
PARTICLE_BUILTIN(part_emitter_stream) { ParticleEmitter_Stream(I(a[0]), I(a[1]), I(a[2]), I(a[3])); }

PARTICLE_BUILTIN(part_attractor_create) { result->SetReal(ParticleAttractor_Create(I(a[0]))); }
PARTICLE_BUILTIN(part_attractor_destroy) { ParticleAttractor_Destroy(I(a[0]), I(a[1])); }
PARTICLE_BUILTIN(part_attractor_destroy_all) { ParticleAttractor_DestroyAll(I(a[0])); }
PARTICLE_BUILTIN(part_attractor_exists) { result->SetReal(ParticleAttractor_Exists(I(a[0]), I(a[1]))); }
PARTICLE_BUILTIN(part_attractor_clear) { ParticleAttractor_Clear(I(a[0]), I(a[1])); }
PARTICLE_BUILTIN(part_attractor_position) { ParticleAttractor_Position(I(a[0]), I(a[1]), F(a[2]), F(a[3])); }
PARTICLE_BUILTIN(part_attractor_force) { ParticleAttractor_Force(I(a[0]), I(a[1]), F(a[2]), F(a[3]), I(a[4]), B(a[5])); }

PARTICLE_BUILTIN(part_destroyer_create) { result->SetReal(ParticleDestroyer_Create(I(a[0]))); }
PARTICLE_BUILTIN(part_destroyer_destroy) { ParticleDestroyer_Destroy(I(a[0]), I(a[1])); }
PARTICLE_BUILTIN(part_destroyer_destroy_all) { ParticleDestroyer_DestroyAll(I(a[0])); }
PARTICLE_BUILTIN(part_destroyer_exists) { result->SetReal(ParticleDestroyer_Exists(I(a[0]), I(a[1]))); }
PARTICLE_BUILTIN(part_destroyer_clear) { ParticleDestroyer_Clear(I(a[0]), I(a[1])); }
PARTICLE_BUILTIN(part_destroyer_region)
{
    ParticleDestroyer_Region(I(a[0]), I(a[1]), F(a[2]), F(a[3]), F(a[4]), F(a[5]), I(a[6]));
}

PARTICLE_BUILTIN(part_deflector_create) { result->SetReal(ParticleDeflector_Create(I(a[0]))); }
PARTICLE_BUILTIN(part_deflector_destroy) { ParticleDeflector_Destroy(I(a[0]), I(a[1])); }
PARTICLE_BUILTIN(part_deflector_destroy_all) { ParticleDeflector_DestroyAll(I(a[0])); }
PARTICLE_BUILTIN(part_deflector_exists) { result->SetReal(ParticleDeflector_Exists(I(a[0]), I(a[1]))); }
PARTICLE_BUILTIN(part_deflector_clear) { ParticleDeflector_Clear(I(a[0]), I(a[1])); }
PARTICLE_BUILTIN(part_deflector_region) { ParticleDeflector_Region(I(a[0]), I(a[1]), F(a[2]), F(a[3]), F(a[4]), F(a[5])); }
PARTICLE_BUILTIN(part_deflector_kind) { ParticleDeflector_Kind(I(a[0]), I(a[1]), I(a[2])); }
PARTICLE_BUILTIN(part_deflector_friction) { ParticleDeflector_Friction(I(a[0]), I(a[1]), F(a[2])); }

PARTICLE_BUILTIN(part_changer_create) { result->SetReal(ParticleChanger_Create(I(a[0]))); }
PARTICLE_BUILTIN(part_changer_destroy) { ParticleChanger_Destroy(I(a[0]), I(a[1])); }
PARTICLE_BUILTIN(part_changer_destroy_all) { ParticleChanger_DestroyAll(I(a[0])); }
PARTICLE_BUILTIN(part_changer_exists) { result->SetReal(ParticleChanger_Exists(I(a[0]), I(a[1]))); }
PARTICLE_BUILTIN(part_changer_clear) { ParticleChanger_Clear(I(a[0]), I(a[1])); }
PARTICLE_BUILTIN(part_changer_region)
{
    ParticleChanger_Region(I(a[0]), I(a[1]), F(a[2]), F(a[3]), F(a[4]), F(a[5]), I(a[6]));
}
PARTICLE_BUILTIN(part_changer_kind) { ParticleChanger_Kind(I(a[0]), I(a[1]), I(a[2])); }
PARTICLE_BUILTIN(part_changer_types) { ParticleChanger_Types(I(a[0]), I(a[1]), I(a[2]), I(a[3])); }

PARTICLE_BUILTIN(effect_create_below) { Effect_Create(true, I(a[0]), F(a[1]), F(a[2]), I(a[3]), I(a[4])); }
PARTICLE_BUILTIN(effect_create_above) { Effect_Create(false, I(a[0]), F(a[1]), F(a[2]), I(a[3]), I(a[4])); }
PARTICLE_BUILTIN(effect_clear) { Effect_Clear(); }

using Entry = FunctionEntry;
#define ENTRY FUNCTION_ENTRY

const Entry kParticles[] = {
    ENTRY(part_type_create, 0),
    ENTRY(part_type_destroy, 1),
    ENTRY(part_type_exists, 1),
    ENTRY(part_type_clear, 1),
    ENTRY(part_type_shape, 2),
    ENTRY(part_type_sprite, 5),
    ENTRY(part_type_size, 5),
    ENTRY(part_type_scale, 3),
    ENTRY(part_type_life, 3),
    ENTRY(part_type_step, 3),
    ENTRY(part_type_death, 3),
    ENTRY(part_type_speed, 5),
    ENTRY(part_type_direction, 5),
    ENTRY(part_type_orientation, 6),
    ENTRY(part_type_gravity, 3),
    ENTRY(part_type_color_mix, 3),
    ENTRY(part_type_color_rgb, 7),
    ENTRY(part_type_color_hsv, 7),
    ENTRY(part_type_color1, 2),
    ENTRY(part_type_color2, 3),
    ENTRY(part_type_color3, 4),
    {"part_type_color", F_part_type_color3, 4},
    ENTRY(part_type_alpha1, 2),
    ENTRY(part_type_alpha2, 3),
    ENTRY(part_type_alpha3, 4),
    {"part_type_alpha", F_part_type_alpha3, 4},
    ENTRY(part_type_blend, 2),

    ENTRY(part_system_create, 0),
    ENTRY(part_system_destroy, 1),
    ENTRY(part_system_exists, 1),
    ENTRY(part_system_clear, 1),
    ENTRY(part_system_draw_order, 2),
    ENTRY(part_system_depth, 2),
    ENTRY(part_system_position, 3),
    ENTRY(part_system_automatic_update, 2),
    ENTRY(part_system_automatic_draw, 2),
    ENTRY(part_system_update, 1),
    ENTRY(part_system_drawit, 1),

    ENTRY(part_particles_create, 5),
    ENTRY(part_particles_create_color, 6),
    ENTRY(part_particles_clear, 1),
    ENTRY(part_particles_count, 1),

    ENTRY(part_emitter_create, 1),
    ENTRY(part_emitter_destroy, 2),
    ENTRY(part_emitter_destroy_all, 1),
    ENTRY(part_emitter_exists, 2),
    ENTRY(part_emitter_clear, 2),
    ENTRY(part_emitter_region, 8),
    ENTRY(part_emitter_burst, 4),
    ENTRY(part_emitter_stream, 4),

    ENTRY(part_attractor_create, 1),
    ENTRY(part_attractor_destroy, 2),
    ENTRY(part_attractor_destroy_all, 1),
    ENTRY(part_attractor_exists, 2),
    ENTRY(part_attractor_clear, 2),
    ENTRY(part_attractor_position, 4),
    ENTRY(part_attractor_force, 6),

    ENTRY(part_destroyer_create, 1),
    ENTRY(part_destroyer_destroy, 2),
    ENTRY(part_destroyer_destroy_all, 1),
    ENTRY(part_destroyer_exists, 2),
    ENTRY(part_destroyer_clear, 2),
    ENTRY(part_destroyer_region, 7),

    ENTRY(part_deflector_create, 1),
    ENTRY(part_deflector_destroy, 2),
    ENTRY(part_deflector_destroy_all, 1),
    ENTRY(part_deflector_exists, 2),
    ENTRY(part_deflector_clear, 2),
    ENTRY(part_deflector_region, 6),
    ENTRY(part_deflector_kind, 3),
    ENTRY(part_deflector_friction, 3),

    ENTRY(part_changer_create, 1),
    ENTRY(part_changer_destroy, 2),
    ENTRY(part_changer_destroy_all, 1),
    ENTRY(part_changer_exists, 2),
    ENTRY(part_changer_clear, 2),
    ENTRY(part_changer_region, 7),
    ENTRY(part_changer_kind, 3),
    ENTRY(part_changer_types, 4),

    ENTRY(effect_create_below, 5),
    ENTRY(effect_create_above, 5),
    ENTRY(effect_clear, 0),
};

#undef ENTRY

}  // namespace

void Function_Particle_Init()
{
    Function_AddTable(kParticles);
}
