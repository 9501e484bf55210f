// Collision shapes of instances and the queries built on them: which instances touch a point, a
// rectangle, an ellipse, a line or another instance, and the collision events of one step.
//
// A shape is the instance's bounding box, pixel cells bbox_left..bbox_right by
// bbox_top..bbox_bottom; in a precise test the pixel tests of its mask sprite (else its sprite)
// decide once the boxes meet. Every test here goes through them, so nothing else needs to know
// about masks.
#pragma once

class CInstance;

// Shape tests. With precise, mask pixels count where the instance's sprite is precise.
bool Collision_InstancesOverlap(CInstance* a, CInstance* b, bool precise = true);
bool Collision_InstanceCoversPoint(CInstance* inst, float x, float y, bool precise);
bool Collision_InstanceTouchesRectangle(CInstance* inst, float x1, float y1, float x2, float y2, bool precise);
bool Collision_InstanceTouchesEllipse(CInstance* inst, float x1, float y1, float x2, float y2, bool precise);
bool Collision_InstanceTouchesLine(CInstance* inst, float x1, float y1, float x2, float y2, bool precise);

// The first live instance of the target touching the shape, or null. Target -3 is the room's
// active list, 100000 and above that instance, anything else an object with its descendants.
// With notme self is passed over.
CInstance* Collision_AtPoint(CInstance* self, float x, float y, int target, bool precise, bool notme);
CInstance* Collision_Rectangle(CInstance* self, float x1, float y1, float x2, float y2, int target, bool precise,
                               bool notme);
CInstance* Collision_Ellipse(CInstance* self, float x1, float y1, float x2, float y2, int target, bool precise,
                             bool notme);
CInstance* Collision_Line(CInstance* self, float x1, float y1, float x2, float y2, int target, bool precise,
                          bool notme);
// Whether a live instance of the target covers the point (precise).
bool Collision_PositionMeeting(float x, float y, int target);

// The first live instance of the target covering the point (precise), or null.
CInstance* Instance_AtPosition(float x, float y, int target);
// Every active instance covering the point gets its destroy event and is marked destroyed.
void Instance_DestroyAtPosition(float x, float y);
// Every active instance covering the point changes into the object.
void Instance_ChangeAtPosition(float x, float y, int object, bool perform);
// The first live instance of the target (never self) that self meets when standing at (x, y);
// self is put back where it was.
CInstance* Instance_Place(CInstance* self, float x, float y, int target);
// Whether self at (x, y) meets an instance of the target (a solid one when solidOnly).
bool Instance_PlaceBlocked(CInstance* self, float x, float y, int target, bool solidOnly);
// Whether self at (x, y) meets no solid instance, no instance at all, an instance of the target.
bool Instance_PlaceFree(CInstance* self, float x, float y);
bool Instance_PlaceEmpty(CInstance* self, float x, float y);
bool Instance_PlaceMeeting(CInstance* self, float x, float y, int target);

// The collision events of one step: for every pair of objects with a collision event, the
// meeting instances receive it; an instance meeting a solid one returns to its previous position.
void Collision_StepEvents();
