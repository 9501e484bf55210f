// The physics built-ins: the current room's world, fixtures and their binding, forces and
// impulses, overlap tests and joints.
#pragma once

// Registers the physics family in the built-in function table.
void Function_Physics_Init();
