// The graphics built-ins: the display, the window and screen captures; drawing state and
// colours, shapes, user primitives, textures, text, sprites, backgrounds and reading the screen;
// tiles and surfaces.
#pragma once

// Registers the graphics family in the built-in function table.
void Function_Graphics_Init();
