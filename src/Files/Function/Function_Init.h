// Registers every built-in function family, in the order games see them in the function table.
#pragma once

void Function_Init();
