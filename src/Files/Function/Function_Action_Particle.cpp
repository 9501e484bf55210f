// The particle actions: one particle system of their own, with 16 type slots and 16 emitter slots
// that the actions name by number. The system, and a type for a type slot, are made when an
// action first needs them (again when a game destroyed them through the particle built-ins).
// A slot number outside 0 to 15 is reported and the action does nothing.
#include "Function/Function_Action.h"
#include "Function/Function_Action_Internal.h"

#include "Code/Error.h"
#include "Particle/Particle_Main.h"
#include "Variable/Arguments.h"

namespace {

constexpr int kSlots = 16;

int System = -1;
int Types[kSlots];
int Emitters[kSlots];
bool SlotsCleared = false;

void ClearSlots(int* slots)
{
    for (int i = 0; i < kSlots; i++) slots[i] = -1;
}

void EnsureSlots()
{
    if (SlotsCleared) return;
    ClearSlots(Types);
    ClearSlots(Emitters);
    SlotsCleared = true;
}

int EnsureSystem()
{
    EnsureSlots();
    if (System < 0 || !ParticleSystem_Exists(System)) {
        System = ParticleSystem_Create();
        ClearSlots(Emitters);
    }
    return System;
}

// The slot number of an argument, or -1 (reported) outside 0 to 15.
int Slot(const TaggedValue& a, const char* what)
{
    int slot = Arg_I(a);
    if (slot >= 0 && slot < kSlots) return slot;
    Error_Show_Action((std::string("There are only particle ") + what + " slots 0 to 15.").c_str(), false);
    return -1;
}

// The particle type of a type slot, made when the slot holds none; -1 for a bad slot.
int TypeOf(const TaggedValue& a)
{
    int slot = Slot(a, "type");
    if (slot < 0) return -1;
    EnsureSystem();
    if (Types[slot] < 0 || !ParticleType_Exists(Types[slot])) Types[slot] = ParticleType_Create();
    return Types[slot];
}

// The emitter of an emitter slot (-1 when the slot holds none), or -2 for a bad slot.
int EmitterOf(const TaggedValue& a)
{
    int slot = Slot(a, "emitter");
    if (slot < 0) return -2;
    EnsureSystem();
    return Emitters[slot];
}

// Bursts and streams need an emitter made before, and a type slot.
bool EmitterAndType(const TaggedValue* args, int* emitter, int* type)
{
    *emitter = EmitterOf(args[0]);
    if (*emitter == -2) return false;
    if (*emitter == -1) {
        Error_Show_Action("The particle emitter must first be created.", false);
        return false;
    }
    int slot = Slot(args[1], "type");
    if (slot < 0) return false;
    *type = Types[slot];
    return true;
}

}  // namespace

void Function_Action_ResetParticles()
{
    System = -1;
    SlotsCleared = false;
    EnsureSlots();
}

// A fresh system: its particles and emitters go and every slot is empty again. The types stay:
// a script may have kept their ids.
void F_action_partsyst_create(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int system = EnsureSystem();
    ParticleSystem_Clear(system);
    ParticleSystem_Depth(system, Arg_F(args[0]));
    ClearSlots(Types);
    ClearSlots(Emitters);
}

// The emitter slots go with the system, so that a later system does not take their numbers for
// emitters of its own.
void F_action_partsyst_destroy(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*)
{
    EnsureSlots();
    if (System >= 0) ParticleSystem_Destroy(System);
    System = -1;
    ClearSlots(Emitters);
}

void F_action_partsyst_clear(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*)
{
    ParticleSystem_ClearParticles(EnsureSystem());
}

void F_action_parttype_create_old(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int type = TypeOf(args[0]);
    if (type < 0) return;
    ParticleType_Shape(type, Arg_I(args[1]));
    ParticleType_Size(type, Arg_F(args[2]), Arg_F(args[3]), 0, 0);
    ParticleType_Color2(type, Arg_I(args[4]), Arg_I(args[5]));
}

void F_action_parttype_create(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int type = TypeOf(args[0]);
    if (type < 0) return;
    ParticleType_Shape(type, Arg_I(args[1]));
    ParticleType_Sprite(type, Arg_I(args[2]), true, false, false);
    ParticleType_Size(type, Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]), 0);
}

// Colour kind 0 mixes the two colours at random; any other fades from the first to the second.
void F_action_parttype_color(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int type = TypeOf(args[0]);
    if (type < 0) return;
    if (Arg_I(args[1]) == 0) ParticleType_ColorMix(type, Arg_I(args[2]), Arg_I(args[3]));
    else ParticleType_Color2(type, Arg_I(args[2]), Arg_I(args[3]));
    ParticleType_Alpha2(type, Arg_F(args[4]), Arg_F(args[5]));
}

void F_action_parttype_life(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int type = TypeOf(args[0]);
    if (type >= 0) ParticleType_Life(type, Arg_I(args[1]), Arg_I(args[2]));
}

// The friction slows the particles by that much each step.
void F_action_parttype_speed(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int type = TypeOf(args[0]);
    if (type < 0) return;
    ParticleType_Speed(type, Arg_F(args[1]), Arg_F(args[2]), -Arg_F(args[5]), 0);
    ParticleType_Direction(type, Arg_F(args[3]), Arg_F(args[4]), 0, 0);
}

void F_action_parttype_gravity(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int type = TypeOf(args[0]);
    if (type >= 0) ParticleType_Gravity(type, Arg_F(args[1]), Arg_F(args[2]));
}

// The particles made each step and at death are of the types the two other slots hold now (none
// when they hold none); only the slot being set up gets a type made for it.
void F_action_parttype_secondary(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int type = TypeOf(args[0]), stepSlot = Slot(args[1], "type"), deathSlot = Slot(args[3], "type");
    if (type < 0 || stepSlot < 0 || deathSlot < 0) return;
    ParticleType_Step(type, Arg_I(args[2]), Types[stepSlot]);
    ParticleType_Death(type, Arg_I(args[4]), Types[deathSlot]);
}

void F_action_partemit_create(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int slot = Slot(args[0], "emitter");
    if (slot < 0) return;
    int system = EnsureSystem();
    if (Emitters[slot] < 0) Emitters[slot] = ParticleEmitter_Create(system);
    ParticleEmitter_Region(system, Emitters[slot], Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]),
                           Arg_I(args[1]), PS_DISTR_LINEAR);
}

// The slot is free again: a later create makes a new emitter for it.
void F_action_partemit_destroy(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int slot = Slot(args[0], "emitter");
    if (slot < 0) return;
    int system = EnsureSystem();
    if (Emitters[slot] >= 0) ParticleEmitter_Destroy(system, Emitters[slot]);
    Emitters[slot] = -1;
}

void F_action_partemit_burst(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int emitter, type;
    if (EmitterAndType(args, &emitter, &type)) ParticleEmitter_Burst(System, emitter, type, Arg_I(args[2]));
}

void F_action_partemit_stream(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int emitter, type;
    if (EmitterAndType(args, &emitter, &type)) ParticleEmitter_Stream(System, emitter, type, Arg_I(args[2]));
}

// Below the instances when where is below 0.5, above them otherwise.
void F_action_effect(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    Effect_Create(!Arg_B(args[5]), Arg_I(args[0]), Action_X(args[1], self), Action_Y(args[2], self), Arg_I(args[3]),
                  Arg_I(args[4]));
}
