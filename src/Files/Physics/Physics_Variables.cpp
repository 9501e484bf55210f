// The per-instance physics variables: read and set through the instance's body, in pixels (and
// pixels per second), degrees and the engine's masses. An instance without a body reads 0 and
// ignores what it is given.
#include "Physics/Physics_Main.h"
#include "Physics/Physics_Object.h"
#include "Physics/Physics_World.h"

#include "Object/Instance_Class.h"
#include "Room/Room_Main.h"
#include "Variable/Variable_BuiltIn.h"

namespace {

CPhysicsObject* Body(CInstance* self)
{
    return self ? self->physics : nullptr;
}

template <double (*Read)(const CPhysicsObject*)>
bool Get(CInstance* self, int, TaggedValue* out)
{
    if (!self) return false;
    CPhysicsObject* body = Body(self);
    out->SetReal(body ? Read(body) : 0.0);
    return true;
}

template <void (*Write)(CPhysicsObject*, double)>
bool Set(CInstance* self, int, const TaggedValue* value)
{
    if (!self) return false;
    if (CPhysicsObject* body = Body(self)) Write(body, value->GetReal());
    return true;
}

float Scale(const CPhysicsObject* b) { return b->world->scale; }

double PositionX(const CPhysicsObject* b) { return b->X() / Scale(b); }
double PositionY(const CPhysicsObject* b) { return b->Y() / Scale(b); }
double Rotation(const CPhysicsObject* b) { return b->Angle(); }
double AngularVelocity(const CPhysicsObject* b) { return b->AngularVelocity(); }
double VelocityX(const CPhysicsObject* b) { return b->VelocityX() / Scale(b); }
double VelocityY(const CPhysicsObject* b) { return b->VelocityY() / Scale(b); }
// Pixels per step of the room.
double PerStep(double perSecond) { return Run_Room && Run_Room->speed > 0 ? perSecond / Run_Room->speed : 0.0; }
double SpeedX(const CPhysicsObject* b) { return PerStep(VelocityX(b)); }
double SpeedY(const CPhysicsObject* b) { return PerStep(VelocityY(b)); }
double Mass(const CPhysicsObject* b) { return b->Mass(); }
double Inertia(const CPhysicsObject* b) { return b->Inertia(); }
double CentreX(const CPhysicsObject* b) { return b->CentreX() / Scale(b); }
double CentreY(const CPhysicsObject* b) { return b->CentreY() / Scale(b); }
double Dynamic(const CPhysicsObject* b) { return b->Dynamic(); }
double Kinematic(const CPhysicsObject* b) { return b->Kinematic(); }
double Sleeping(const CPhysicsObject* b) { return !b->Awake(); }
double Bullet(const CPhysicsObject* b) { return b->Bullet(); }
double FixedRotation(const CPhysicsObject* b) { return b->FixedRotation(); }
double Active(const CPhysicsObject* b) { return b->Active(); }

void SetPositionX(CPhysicsObject* b, double v) { b->SetPosition((float)(v * Scale(b)), b->Y(), "phy_position_x"); }
void SetPositionY(CPhysicsObject* b, double v) { b->SetPosition(b->X(), (float)(v * Scale(b)), "phy_position_y"); }
void SetRotation(CPhysicsObject* b, double v) { b->SetAngle((float)v, "phy_rotation"); }
void SetAngularVelocity(CPhysicsObject* b, double v) { b->SetAngularVelocity((float)v, "phy_angular_velocity"); }
void SetVelocityX(CPhysicsObject* b, double v)
{
    b->SetLinearVelocity((float)(v * Scale(b)), b->VelocityY(), "phy_linear_velocity_x");
}
void SetVelocityY(CPhysicsObject* b, double v)
{
    b->SetLinearVelocity(b->VelocityX(), (float)(v * Scale(b)), "phy_linear_velocity_y");
}
void SetBullet(CPhysicsObject* b, double v) { b->SetBullet((float)v >= 0.5f); }
void SetFixedRotation(CPhysicsObject* b, double v) { b->SetFixedRotation((float)v >= 0.5f); }

// The world whose contact raises the collision events running now.
CPhysicsWorld* CollisionWorld(CInstance*)
{
    return Run_Room ? Run_Room->physics_world : nullptr;
}

bool GetCollisionPoints(CInstance* self, int, TaggedValue* out)
{
    if (!self) return false;
    CPhysicsWorld* w = CollisionWorld(self);
    out->SetReal(w ? w->GetCollisionPointCount(self->id) : 0);
    return true;
}

// phy_collision_x[n] and the like: point or normal n of the current contact, 0 when none.
template <bool Normal, bool Y>
bool GetCollisionVector(CInstance* self, int index, TaggedValue* out)
{
    if (!self) return false;
    CPhysicsWorld* w = CollisionWorld(self);
    float x = 0, y = 0;
    if (w) {
        if (Normal) w->GetCollisionNormal(self->id, index, &x, &y);
        else w->GetCollisionPoint(self->id, index, &x, &y);
    }
    out->SetReal(Y ? y : x);
    return true;
}

}  // namespace

void Physics_Variables_Init()
{
    Variable_BuiltIn_Add("phy_rotation", Get<Rotation>, Set<SetRotation>, true, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("phy_position_x", Get<PositionX>, Set<SetPositionX>, true, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("phy_position_y", Get<PositionY>, Set<SetPositionY>, true, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("phy_angular_velocity", Get<AngularVelocity>, Set<SetAngularVelocity>, true, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("phy_linear_velocity_x", Get<VelocityX>, Set<SetVelocityX>, true, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("phy_linear_velocity_y", Get<VelocityY>, Set<SetVelocityY>, true, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("phy_speed_x", Get<SpeedX>, nullptr, false, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("phy_speed_y", Get<SpeedY>, nullptr, false, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("phy_bullet", Get<Bullet>, Set<SetBullet>, true, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("phy_fixed_rotation", Get<FixedRotation>, Set<SetFixedRotation>, true, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("phy_active", Get<Active>, nullptr, false, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("phy_mass", Get<Mass>, nullptr, false, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("phy_inertia", Get<Inertia>, nullptr, false, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("phy_com_x", Get<CentreX>, nullptr, false, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("phy_com_y", Get<CentreY>, nullptr, false, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("phy_dynamic", Get<Dynamic>, nullptr, false, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("phy_kinematic", Get<Kinematic>, nullptr, false, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("phy_sleeping", Get<Sleeping>, nullptr, false, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("phy_collision_points", GetCollisionPoints, nullptr, false, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("phy_collision_x", GetCollisionVector<false, false>, nullptr, false, {true, BUILTIN_ANY_INDEX});
    Variable_BuiltIn_Add("phy_collision_y", GetCollisionVector<false, true>, nullptr, false, {true, BUILTIN_ANY_INDEX});
    Variable_BuiltIn_Add("phy_col_normal_x", GetCollisionVector<true, false>, nullptr, false, {true, BUILTIN_ANY_INDEX});
    Variable_BuiltIn_Add("phy_col_normal_y", GetCollisionVector<true, true>, nullptr, false, {true, BUILTIN_ANY_INDEX});
}
