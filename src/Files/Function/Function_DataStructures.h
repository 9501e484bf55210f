// The ds_ built-ins: stacks, queues, lists, maps, priority queues and grids named by index.
#pragma once

void Function_DataStructures_Init();
