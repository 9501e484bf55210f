// The graphics built-ins: drawing state and colours, shapes, user primitives, textures, text,
// sprites, backgrounds and reading the screen.
#pragma once

// Registers the graphics family in the built-in function table.
void Function_Graphics_Init();
