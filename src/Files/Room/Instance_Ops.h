// What the game does with instances: create, destroy, change object, count and find them.
#pragma once
#include <vector>

class CInstance;
class CObject;

// A new instance of the object in the current room; its create event runs at once and it is
// flagged created. A missing object (or no room) gives a non-fatal error and null.
CInstance* Instance_Create(int object, float x, float y);
// The two halves of Instance_Create, for a caller that sets the instance up before its create
// event: the instance made (or null, as above), then its create event run and the flag set.
CInstance* Instance_Make(int object, float x, float y);
void Instance_RunCreate(CInstance* inst);
// Runs the destroy event once per instance and marks it destroyed.
void Instance_Destroy(CInstance* inst);
// Turns the instance into another object; with perform the old destroy event runs first (unless
// it already ran) and the new create event after.
void Instance_ChangeObject(CInstance* inst, int object, bool perform);
// The object's sprite, mask, depth and flags given to an instance of it (made or changed).
void Instance_TakeObjectDefaults(CInstance* inst, const CObject* o);
// The number of live instances of a target: -3 all, an id 0 or 1, else the object with descendants.
int Instance_Number(int target);
// The live instance of the target (-3 or an object) nearest to, or furthest from, the point.
CInstance* Instance_Nearest(float x, float y, int target);
CInstance* Instance_Furthest(float x, float y, int target);
// Sets the instance's sprite when the sprite exists; else "Setting instance to non-existing
// sprite: " and the number.
void Instance_SetSprite(CInstance* inst, int sprite);
