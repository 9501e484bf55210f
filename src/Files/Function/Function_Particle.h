// The particle built-ins: particle types, particle systems with their particles, emitters,
// attractors, destroyers, deflectors and changers, and the ready-made effects.
#pragma once

// Registers the particle family in the built-in function table.
void Function_Particle_Init();
