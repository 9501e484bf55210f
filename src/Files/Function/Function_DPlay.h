// The multiplayer built-ins (mplay_*): each converts its arguments, calls the multiplayer layer
// and turns its answer into the result.
#pragma once

void Function_DPlay_Init();
