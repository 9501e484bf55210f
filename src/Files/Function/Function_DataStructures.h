// The ds_ built-ins: stacks, queues, lists, maps, priority queues and grids named by index.
#pragma once
#include "Support/DS_Fast.h"

void Function_DataStructures_Init();
