// The math and string built-ins.
#pragma once

// Registers the math and string built-ins (75 names) in the built-in function table.
void Function_Math_Init();
