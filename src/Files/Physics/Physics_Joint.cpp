// The joint list; the joints themselves are made and read in the Linux half.
#include "Physics/Physics_Joint.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {
std::vector<std::unique_ptr<CPhysicsJoint>> Joints;
int LastJointId = 0;
}  // namespace

CPhysicsJoint* PhysicsJoint_Find(int id)
{
    for (const auto& j : Joints)
        if (j->id == id) return j.get();
    return nullptr;
}

CPhysicsJoint* PhysicsJoint_Add(CPhysicsWorld* world, b2Joint* joint, int kind)
{
    auto record = std::make_unique<CPhysicsJoint>();
    record->id = ++LastJointId;
    record->kind = kind;
    record->world = world;
    record->joint = joint;
    Joints.push_back(std::move(record));
    return Joints.back().get();
}

void PhysicsJoint_Forget(CPhysicsJoint* joint)
{
    auto it = std::find_if(Joints.begin(), Joints.end(), [joint](const auto& j) { return j.get() == joint; });
    if (it != Joints.end()) Joints.erase(it);
}

void PhysicsJoint_ForgetWorld(CPhysicsWorld* world)
{
    Joints.erase(std::remove_if(Joints.begin(), Joints.end(), [world](const auto& j) { return j->world == world; }),
                 Joints.end());
}

int PhysicsJoint_Count()
{
    return (int)Joints.size();
}

CPhysicsJoint* PhysicsJoint_At(int index)
{
    return index >= 0 && index < (int)Joints.size() ? Joints[(size_t)index].get() : nullptr;
}
