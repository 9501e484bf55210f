// The physics engine ends the process when one of its internal checks fails, so every value a
// script can hand it is checked here first; a refused call reports why and does nothing.
#pragma once
#include <initializer_list>

// The largest magnitude of a position, length, velocity, force or any other number the engine is
// given, in world units. With masses, inertias and materials within the bounds below, nothing the
// solver works out from such numbers overflows single precision.
constexpr double PHYSICS_MAX_VALUE = 1e10;
// Shapes stay within this distance of their body's origin.
constexpr double PHYSICS_MAX_SIZE = 1e6;
// A dynamic body's mass and its inertia about its centre of mass.
constexpr double PHYSICS_MIN_MASS = 1e-12, PHYSICS_MAX_MASS = 1e12;
constexpr double PHYSICS_MIN_INERTIA = 1e-24, PHYSICS_MAX_INERTIA = 1e30;
// Friction and restitution.
constexpr double PHYSICS_MAX_MATERIAL = 1000;
// Update speeds and iteration counts above these would keep the runner in one frame for ever.
constexpr int PHYSICS_MAX_UPDATE_SPEED = 10000;
constexpr int PHYSICS_MAX_ITERATIONS = 1000;

// Shows "who: problem" as a non-fatal run-time error. With the log hook installed ("-debug"), the
// engine check that the refusal stood in for follows as a second error.
void Physics_Refuse(const char* who, const char* problem, const char* engineCheck = nullptr);
bool Physics_LogHookInstalled();

// Whether every value is finite and within PHYSICS_MAX_VALUE; refuses otherwise.
bool Physics_CheckValues(const char* who, std::initializer_list<double> values);
// Whether a size is finite, above 0 and within PHYSICS_MAX_SIZE; refuses with "the <what> must
// be greater than 0" (or out of range) otherwise.
bool Physics_CheckSize(const char* who, const char* what, double size);
// Whether a value is finite, at least 0 and at most `limit`; refuses otherwise.
bool Physics_CheckNotNegative(const char* who, const char* what, double value, double limit = PHYSICS_MAX_VALUE);
