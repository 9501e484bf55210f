// The d3d built-ins: 3D mode and render states, projections, the world transform and its stack,
// 3D primitives and shapes, lights and 3D models.
#pragma once

// Registers the d3d family in the built-in function table.
void Function_D3D_Init();
