// What the game world asks of the physics module: a room's world, the step that replaces ordinary
// motion in such a room, the bodies of instances, the per-instance phy_* variables and the
// "-debug" log hook. Nothing here names the physics engine.
#pragma once

class CRoom;
class CInstance;
class CPhysicsWorld;

// Makes the world of the room: scale in world units per pixel, the room's speed as update speed.
// An existing world takes the new scale and update speed instead. Null (with a message) for a scale
// that is not a finite number above 0.
CPhysicsWorld* Physics_CreateWorld(CRoom* room, float scale, const char* who);
// The world of a room built from its settings (physics flag, scale, gravity), when it has none.
void Physics_RoomStart(CRoom* room);
// Deletes the room's world; every body and joint in it goes too.
void Physics_DestroyWorld(CRoom* room);
// The motion pass of a room with a world: paths, sub-steps, instances from bodies, collision events.
void Physics_Step(CRoom* room);
// Gives a new instance of the room a body from its object's physics properties when the room has
// a world and the object has them.
void Physics_InstanceCreated(CRoom* room, CInstance* inst);
// Destroys the instance's body (and the joints on it), wherever its world is.
void Physics_RemoveBody(CInstance* inst);
// The "-debug" switch: refused engine calls also show the engine check they stood in for.
void Physics_InstallLogHook();
// Registers phy_rotation, phy_position_x and the other per-instance physics variables.
void Physics_Variables_Init();
